// SPDX-License-Identifier: MIT
#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <QDir>
#include <QImage>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>
#include <filesystem>
#include <fstream>

#include "qtfiles.h"

using namespace korrin;
using korrin::test::readFile;
using korrin::test::writeFile;

namespace {

struct Run {
    int status = -1;
    QByteArray out{};
    QByteArray err{};
};

// The user korrin-map runs as.
struct Saver {
    uid_t uid = ::geteuid();
    gid_t gid = ::getegid();
};

// Tiled runs offscreen with the folder as its home.
const std::string kTiled =
    "QT_QPA_PLATFORM=offscreen HOME=$PWD XDG_CONFIG_HOME=$PWD XDG_RUNTIME_DIR=$PWD ";

// Runs the shell `command` in `folder`, as `saver`, with standard output and error caught in
// the folder's parent. $K is korrin-map, which runs as a build script would, with no display
// and no Qt platform.
Run sh(const std::string& folder, const std::string& command, Saver saver = {}) {
    ::setenv("CMD", command.c_str(), 1);
    const std::string as = saver.uid == ::geteuid()
                               ? ""
                               : "setpriv --clear-groups --reuid=" + std::to_string(saver.uid) +
                                     " --regid=" + std::to_string(saver.gid);
    const int status = std::system(("cd '" + folder + "' && " + as +
                                    " sh -c 'unset QT_QPA_PLATFORM DISPLAY WAYLAND_DISPLAY; "
                                    "eval \"$CMD\"' >../out 2>../err")
                                       .c_str());
    const QString io = QString::fromStdString(folder + "/../");
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, readFile(io + "out"),
            readFile(io + "err")};
}

// test::kBrickMap as the editor saves it, written out by hand to check the writer's number
// form and line ends too.
const QByteArray kNormalGood = QByteArray(" 13 \r\n 13 \r\n0111110111110\r\n") +
                               QByteArray("1111111111111\r\n").repeated(11) + "2222029202222\r\n";

// What a save did to the file it was given.
enum class Fate { Untouched, InPlace, Renamed, Created };

// One shell command as the saving user, after `setup` made the folder's files as root.
struct Row {
    std::string setup{};  // $ME is the saver's uid:gid
    std::string command{};
    Fate fate = Fate::Untouched;
    int status = 1;
    QByteArray out{};
    QByteArray err{};
    std::string file = "t";            // the file whose fate is checked
    QByteArray content = kNormalGood;  // what it holds after a save
    bool root = false;                 // the row needs another user's files
    const char* needs = "";            // a command that must work here for the row to run
    bool tagged = false;               // `file` gets a user.* attribute
};

// A file's inode; its owner, mode, links and attribute names ("none" when missing); its bytes.
struct FileState {
    ino_t inode = 0;
    std::string rest = "none";
    QByteArray bytes{};
};

FileState stateOf(const std::string& path) {
    FileState state;
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0) {
        std::string names(4096, '\0');
        names.resize(std::max<ssize_t>(0, ::listxattr(path.c_str(), names.data(), names.size())));
        state = {st.st_ino, std::to_string(st.st_uid) + ":" + std::to_string(st.st_gid) + " " +
                                std::to_string(st.st_mode) + " " + std::to_string(st.st_nlink) +
                                " " + names};
        std::ifstream in(S_ISREG(st.st_mode) ? path : "", std::ios::binary);
        state.bytes = QByteArray::fromStdString({std::istreambuf_iterator<char>(in), {}});
    }
    return state;
}

int entriesIn(const std::string& folder) {
    const std::filesystem::recursive_directory_iterator entries(folder);
    return static_cast<int>(std::distance(begin(entries), end(entries)));
}

// Runs the row in `folder`; returns what went wrong, or "skip: " and why it cannot run here.
std::string runRow(const Row& row, const std::string& folder, Saver saver) {
    const std::string me = std::to_string(saver.uid) + ":" + std::to_string(saver.gid);
    ::setenv("ME", me.c_str(), 1);
    if (sh(folder, row.needs, saver).status != 0) {
        return std::string("skip: this machine cannot run ") + row.needs;
    }
    if (sh(folder, std::string("set -e; ") + row.setup).status != 0) {
        return std::string("setup failed: ") + row.setup;
    }
    const std::string path = folder + "/" + row.file;
    if (row.tagged && ::setxattr(path.c_str(), "user.korrin", "1", 1, 0) != 0) {
        return errno == ENOTSUP ? "skip: no user.* attributes in " + folder : "setxattr failed";
    }
    const FileState before = stateOf(path);
    const int entries = entriesIn(folder);
    const Run run = sh(folder, row.command, saver);
    if (run.status != row.status || run.out != row.out || run.err != row.err) {
        return "status " + std::to_string(run.status) + ", out '" + run.out.toStdString() +
               "', err '" + run.err.toStdString() + "'";
    }
    const FileState after = stateOf(path);
    const bool kept = after.inode == before.inode && after.rest == before.rest;
    const bool fateHeld = row.fate == Fate::Untouched  ? kept && after.bytes == before.bytes
                          : after.bytes != row.content ? false
                          : row.fate == Fate::InPlace  ? kept
                          : row.fate == Fate::Created
                              ? before.rest == "none"
                              : after.inode != before.inode && after.rest == before.rest;
    if (!fateHeld) {
        return "the file's fate was not " + std::to_string(static_cast<int>(row.fate));
    }
    if (entriesIn(folder) != entries + (row.fate == Fate::Created ? 1 : 0)) {
        return "a file was left behind or removed";
    }
    return {};
}

// What the editor saves after opening kLevel: the fixed cells imposed.
const QByteArray kLevelSaved =
    QByteArray(" 13 \r\n 13 \r\n0123450789010\r\n") +
    "1234567890123\r\n2345678901234\r\n3456789012345\r\n4567890123456\r\n5678901234567\r\n"
    "6789012345678\r\n7890123456789\r\n8901234567890\r\n9012345678901\r\n0123456789012\r\n"
    "1234567890123\r\n2345079901234\r\n";
// Every code in every row and column: cell (x, y) holds (x + y - 2) % 10, but for a base in the
// top-left corner, which must stay empty. Its picture is larger than one page of memory.
const QByteArray kLevel = QByteArray(kLevelSaved)
                              .replace("0123450789010", "9123456789012")
                              .replace("2345079901234", "2345678901234");

// The cells of kLevel as comma-separated gids of a tileset starting at `first`, with cell
// (3, 2) replaced by `cell` if given, and `count` cells in all.
QByteArray csv(quint32 first = 1, qint64 cell = -1, int count = 169) {
    QByteArrayList fields;
    for (int i = 0; i < count; ++i) {
        const quint32 gid = first + (i % 13 + i / 13) % 10;
        fields << QByteArray::number(i == 13 + 2 && cell >= 0 ? cell : gid);
    }
    return fields.join(',');
}

// csv() as Python's zlib and gzip modules compress its gids, little-endian.
const QByteArray kZlib =
    "eJy90qkBACEQwMBdfui/YCLPXgQibmQyIgpVatRp0KRFmw7lx/31Tfgu/BB+Cr+E38If4VP4IvzLDy6z/AOM";
const QByteArray kGzip =
    "H4sIAAAAAAAAA73SqQEAIRDAwF1+6L9gIs9eBCJuZDIiClVq1GnQpEWbDuXH/fVN+C78EH4Kv4Tfwh/hU/gi/"
    "MsPLowGs9KkAgAA";

// Maps cut down to what the importer reads; what Tiled itself writes is tried below.
const QByteArray kKorrin = R"(<tileset firstgid="1" name="korrin"/>)";
QByteArray tmx(const QByteArray& layers, const QByteArray& head = R"(width="13" height="13")") {
    return R"(<?xml version="1.0"?><map orientation="orthogonal" )" + head + ">" + layers +
           "</map>";
}
QByteArray layer(const QByteArray& data, const QByteArray& encoding = R"(encoding="csv")") {
    return "<layer name=\"map\"><data " + encoding + ">\n" + data + "\n</data></layer>";
}
QByteArray json(const QByteArray& layers,
                const QByteArray& head = R"("orientation":"orthogonal","width":13,"height":13,)"
                                         R"("tilesets":[{"firstgid":1,"name":"korrin"}])") {
    return "{" + head + R"(,"layers":[)" + layers + "]}";
}
QByteArray jsonLayer(const QByteArray& data, const QByteArray& more = {}) {
    return R"({"type":"tilelayer","data":)" + data + more + "}";
}

}  // namespace

Q_DECLARE_METATYPE(Row)

class TestCli : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void saving_data();
    void saving();
    void importRoundTrips_data();
    void importRoundTrips();
    void importRefusesWhatIsNotAKorrinMap_data();
    void importRefusesWhatIsNotAKorrinMap();
    void tiledReadsAndWritesTheExport_data() {
        QTest::addColumn<int>("none");
        QTest::newRow("tmx");
        QTest::newRow("json");
    }
    void tiledReadsAndWritesTheExport();

private:
    std::unique_ptr<QTemporaryDir> dir_;
    std::string folder() const { return dir_->filePath("w").toStdString(); }
    Run sh(const std::string& command) const { return ::sh(folder(), command); }
};

// The rows' folder w, and beside it korrin-map, where any saver may run it.
void TestCli::init() {
    dir_ = std::make_unique<QTemporaryDir>();
    QVERIFY(QDir(dir_->path()).mkdir("w") && QFile::copy(KORRIN_MAP_PATH, dir_->filePath("K")));
    QVERIFY(::chmod(dir_->path().toLocal8Bit(), 0755) == 0);
    ::setenv("K", dir_->filePath("K").toLocal8Bit(), 1);
    writeFile(dir_->filePath("w/good.txt"), test::kBrickMap);
    writeFile(dir_->filePath("w/level.txt"), kLevel);
}

// QTemporaryDir cannot remove names that are not UTF-8.
void TestCli::cleanup() {
    std::error_code ignored;
    std::filesystem::remove_all(dir_->path().toStdString(), ignored);
}

void TestCli::saving_data() {
    QTest::addColumn<Row>("row");
    const std::string save = "$K normalize good.txt -o t";
    const QByteArray denied = "t: error 70: Permission denied\n";
    const QByteArray fullOutput = "standard output: error 61: Disk full\n";
    const QByteArray empty = ": error 52: Bad file name or number\n";
    const std::string oddName = "\"$(printf '\\377\\376.txt')\"";  // a name that is not UTF-8
    const std::string odd = "cp good.txt " + oddName;
    using enum Fate;
    // clang-format off
    // The new contents reach the disk before the rename makes them the file. LeakSanitizer
    // cannot run under ptrace.
    QTest::newRow("symbolic link to own file: target renamed, mode kept, fsync first") << Row{
        .setup = "printf old > t; chown $ME t; chmod 640 t; ln -s t l",
        .command = "ASAN_OPTIONS=detect_leaks=0 strace -f -qq -o /dev/fd/3 -e trace=fsync,rename "
                   "$K normalize good.txt -o l 3>&1 | sed -n '/fsync/,$p' | grep -q rename",
        .fate = Renamed, .status = 0, .needs = "strace -o /dev/null true"};
    QTest::newRow("read-only target") << Row{
        .setup = "printf old > t; chown $ME t; chmod 444 t", .command = save, .err = denied};
    QTest::newRow("someone else's file") << Row{
        .setup = "printf old > t", .command = save, .err = denied, .root = true};
    QTest::newRow("own file in an unwritable folder: in place") << Row{
        .setup = "mkdir d; printf old > d/t; chown $ME d/t",
        .command = "$K normalize good.txt -o d/t",
        .fate = InPlace, .status = 0, .file = "d/t", .root = true};
    QTest::newRow("hard link: in place, shorter") << Row{
        .setup = "printf %300s > t; ln t u; chown $ME t", .command = save, .fate = InPlace,
        .status = 0};
    QTest::newRow("user.* attribute: in place") << Row{
        .setup = "printf old > t; chown $ME t", .command = save, .fate = InPlace, .status = 0,
        .tagged = true};
    // A small file system of its own, filled up; the hard link makes the write one in place.
    QTest::newRow("full disk, in place: old bytes intact") << Row{
        .setup = "mkdir disk",
        .command = "unshare -rm sh -c 'mount -t tmpfs -o size=64k none disk; "
        "printf old > disk/t; ln disk/t disk/u; cat /dev/zero > disk/f 2>&-; "
        "$K render level.txt -o disk/t; s=$?; [ \"$(cat disk/t)\" = old ] || s=99; exit $s'",
        .err = "disk/t: error 61: Disk full\n", .needs = "unshare -rm true"};
    // korrin-map holds the FIFO open for reading itself, so opening it to write would succeed.
    QTest::newRow("FIFO target") << Row{
        .setup = "mkfifo t; chown $ME t", .command = save + " 1<>t",
        .err = "t: error 75: Path/File access error\n"};
    QTest::newRow("missing folder") << Row{
        .command = "$K normalize good.txt -o no/t", .err = "no/t: error 76: Path not found\n"};
    QTest::newRow("check prints names as given, in order") << Row{
        .setup = odd,
        .command = "$K check " + oddName + " \"$(printf 'a\\tb\\n\\001.txt')\" good.txt",
        .out = "\xff\xfe.txt: ok\na\\tb\\n\\x01.txt: error 53: File not found\ngood.txt: ok\n"};
    QTest::newRow("/dev/stdout appended") << Row{
        .setup = "printf 'line 1\\n' > log; chown $ME log",
        .command = "$K normalize good.txt -o /dev/stdout >>log", .fate = InPlace, .status = 0,
        .file = "log", .content = "line 1\n" + kNormalGood};
    QTest::newRow("normalize to /dev/full") << Row{
        .command = "$K normalize good.txt >/dev/full", .err = fullOutput};
    QTest::newRow("check to /dev/full") << Row{
        .command = "$K check good.txt >/dev/full", .err = fullOutput};
    QTest::newRow("check empty name") << Row{.command = "$K check ''", .out = empty};
    QTest::newRow("empty output name") << Row{
        .command = "$K normalize good.txt -o ''", .status = 2,
        .err = "korrin-map: usage: korrin-map normalize FILE [-o OUT]\n"
               "Try 'korrin-map --help' for more information.\n"};
    QTest::newRow("\\xff name round trip") << Row{
        .setup = odd,
        .command = "$K normalize " + oddName + " -o \"$(printf '\\377.txt')\"",
        .fate = Created, .status = 0, .file = "\xff.txt"};
    // clang-format on
}

// CI runs as root: the saver is then `nobody`, in a folder given to it.
void TestCli::saving() {
    QFETCH(Row, row);
    Saver saver;
    if (::geteuid() == 0) {
        const passwd* nobody = ::getpwnam("nobody");  // its group is nogroup
        if (nobody == nullptr) {
            QSKIP("no user nobody to save as");
        }
        saver = {nobody->pw_uid, nobody->pw_gid};
    } else if (row.root) {
        QSKIP("only root can make another user's file; CI runs as root");
    }
    QVERIFY(::chown(folder().c_str(), saver.uid, saver.gid) == 0);
    const std::string failure = runRow(row, folder(), saver);
    if (failure.starts_with("skip: ")) {
        QSKIP(failure.c_str() + 6);
    }
    QCOMPARE(QString::fromStdString(failure), QString());
}

void TestCli::importRoundTrips_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");  // none: korrin-map's own export of level.txt
    QTest::newRow("own export, TMX") << "out.tmx" << QByteArray();
    QTest::newRow("own export, JSON") << "out.json" << QByteArray();
    QTest::newRow("TMX, base64 zlib")
        << "in.tmx" << tmx(kKorrin + layer(kZlib, R"(encoding="base64" compression="zlib")"));
    QTest::newRow("JSON, base64 gzip")
        << "in.tmj"
        << json(jsonLayer('"' + kGzip + '"', R"(,"encoding":"base64","compression":"gzip")"));
    QTest::newRow("JSON, hidden layer, objects, then a group holding the map")
        << "in.json"
        << json(jsonLayer("[" + csv(3, 3) + "]", R"(,"visible":false)") +
                R"(,{"type":"objectgroup","objects":[]},{"type":"group","layers":[)" +
                jsonLayer("[" + csv() + "]") + "]}");
    QTest::newRow("TMX, external tileset after another, hidden layer, group")
        << "in.tmx"
        << tmx(R"(<tileset firstgid="1" name="sketch"/><tileset firstgid="21" source="t/k.tsx"/>)"
               R"(<properties><property name="a" value="1"/></properties><layer visible="0">)"
               R"(<data encoding="csv">)" +
               csv(1, 1) + "</data></layer><group>" + layer(csv(21)) + "</group>");
}

void TestCli::importRoundTrips() {
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QDir(dir_->path()).mkdir("w/t");
    writeFile(dir_->filePath("w/t/k.tsx"), R"(<?xml version="1.0"?><tileset name="korrin"/>)");
    if (bytes.isNull()) {
        QCOMPARE(sh("$K export level.txt -o " + name.toStdString()).status, 0);
    } else {
        writeFile(dir_->filePath("w/" + name), bytes);
    }
    const Run imported = sh("$K import " + name.toStdString() + " -o out.txt");
    QCOMPARE(imported.err, QByteArray());
    QCOMPARE(imported.status, 0);
    QCOMPARE(readFile(dir_->filePath("w/out.txt")), kLevelSaved);
}

void TestCli::importRefusesWhatIsNotAKorrinMap_data() {
    QTest::addColumn<QByteArray>("bytes");  // as in.json when it starts with '{', else in.tmx
    QTest::addColumn<QByteArray>("reason");
    QTest::newRow("20 x 15") << tmx(kKorrin + layer(csv()), R"(width="20" height="15")")
                             << QByteArray("map is 20 x 15, not 13 x 13");
    QTest::newRow("isometric") << json(jsonLayer("[]"), R"("orientation":"isometric")")
                               << QByteArray("map is isometric, not orthogonal");
    QTest::newRow("empty cell") << tmx(kKorrin + layer(csv(1, 0)))
                                << QByteArray("cell (3, 2) is empty");
    QTest::newRow("other tileset")
        << json(jsonLayer("[" + csv(1, 11) + "]"),
                R"("orientation":"orthogonal","width":13,"height":13,"tilesets":[)"
                R"({"firstgid":1,"name":"korrin"},{"firstgid":11,"name":"sketch"}])")
        << QByteArray(R"(cell (3, 2) holds a tile of tileset "sketch", not "korrin")");
    QTest::newRow("turned about the diagonal") << tmx(kKorrin + layer(csv(1, 0x20000002)))
                                               << QByteArray("cell (3, 2) is flipped or rotated");
    QTest::newRow("no visible tile layer")
        << tmx("<layer visible=\"0\"/>") << QByteArray("map has no visible tile layer");
    QTest::newRow("malformed XML")
        << tmx(kKorrin + layer(csv())).chopped(3)
        << QByteArray("malformed XML at line 3: Premature end of document.");
}

void TestCli::importRefusesWhatIsNotAKorrinMap() {
    QFETCH(QByteArray, bytes);
    QFETCH(QByteArray, reason);
    const QByteArray name = bytes.startsWith('{') ? "in.json" : "in.tmx";
    writeFile(dir_->filePath("w/" + name), bytes);
    const Run imported = sh("$K import " + name.toStdString() + " -o out.txt");
    QCOMPARE(imported.err, name + ": error 13: Type mismatch: " + reason + "\n");
    QCOMPARE(imported.status, 1);
    QVERIFY(!QFile::exists(dir_->filePath("w/out.txt")));
}

// The proof against the real program: Tiled's own renderer, reader and writers.
void TestCli::tiledReadsAndWritesTheExport() {
    if (QStandardPaths::findExecutable("tiled").isEmpty() ||
        QStandardPaths::findExecutable("tmxrasterizer").isEmpty()) {
        QSKIP("Debian's package tiled is not installed (./run-tests installs it)");
    }
    ::setenv("F", QTest::currentDataTag(), 1);
    ::setenv("O", QTest::currentDataTag() == std::string("tmx") ? "json" : "tmx", 1);
    QCOMPARE(sh("mkdir tiled && $K export level.txt -o tiled/level.$F && $K render level.txt -o "
                "korrin.png && " +
                kTiled + "tmxrasterizer tiled/level.$F tiled.png")
                 .status,
             0);
    QCOMPARE(QImage(dir_->filePath("w/tiled/korrin-tiles.png")).size(), QSize(320, 32));
    // ARGB, so that a tile Tiled failed to draw (transparent) cannot pass for black ground.
    QCOMPARE(QImage(dir_->filePath("w/tiled.png")).convertToFormat(QImage::Format_ARGB32),
             QImage(dir_->filePath("w/korrin.png")).convertToFormat(QImage::Format_ARGB32));
    // Through Tiled's writer for the other format, and back through its writer for this one.
    QCOMPARE(sh(kTiled + "tiled --export-map $O tiled/level.$F level.$O && " + kTiled +
                "tiled --export-map $F level.$O again.$F")
                 .status,
             0);
    QCOMPARE(sh("$K normalize level.txt").out, kLevelSaved);
    QCOMPARE(sh("$K import level.$O").out, kLevelSaved);
    QCOMPARE(sh("$K import again.$F").out, kLevelSaved);
}

QTEST_GUILESS_MAIN(TestCli)
#include "test_cli.moc"
