// SPDX-License-Identifier: MIT
#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <QDir>
#include <QImage>
#include <QTemporaryDir>
#include <QtTest>
#include <filesystem>
#include <fstream>

#include "map/mapfile.h"
#include "namespaces.h"
#include "qtfiles.h"
#include "render/fieldpainter.h"
#include "version.h"

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

QByteArray readAll(int fd) {
    QFile file;
    file.open(fd, QIODevice::ReadOnly, QFile::AutoCloseHandle);
    return file.readAll();
}

// Runs korrin-map in `folder` as a build script would: no display, no Qt platform chosen. The
// arguments are bytes, as a shell passes them. Standard output goes to a pipe, or to `stdoutTo`
// opened with `flags`.
using Args = std::vector<std::string>;

Run korrinMap(const Args& arguments, const std::string& folder, const std::string& stdoutTo = {},
              int flags = O_WRONLY, Saver saver = {}) {
    std::vector<char*> argv{const_cast<char*>("korrin-map")};
    for (const std::string& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    int out[2];
    int err[2];
    if (::pipe2(out, O_CLOEXEC) != 0 || ::pipe2(err, O_CLOEXEC) != 0) {
        return {};
    }
    // Opened while privileged, so that the saver need not reach the build folder.
    const int program = ::open(KORRIN_MAP_PATH, O_RDONLY | O_CLOEXEC);
    const pid_t child = ::fork();
    if (child == 0) {
        for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"}) {
            ::unsetenv(name);
        }
        const bool entered = ::chdir(folder.c_str()) == 0;
        const int target = stdoutTo.empty() ? out[1] : ::open(stdoutTo.c_str(), flags);
        const bool dropped =
            saver.uid == ::geteuid() ||
            (::setgroups(0, nullptr) == 0 && ::setresgid(saver.gid, saver.gid, saver.gid) == 0 &&
             ::setresuid(saver.uid, saver.uid, saver.uid) == 0);
        if (entered && target >= 0 && dropped && ::dup2(target, 1) == 1 && ::dup2(err[1], 2) == 2) {
            ::fexecve(program, argv.data(), environ);
        }
        ::_exit(127);
    }
    ::close(program);
    ::close(out[1]);
    ::close(err[1]);
    Run run{-1, readAll(out[0]), readAll(err[0])};
    int status = 0;
    ::waitpid(child, &status, 0);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

const QByteArray kGood = test::kBrickMap;
// Hand-edited: LF line ends, short rows, no base, and a brick on a cell that must stay empty.
const QByteArray kHandEdited =
    QByteArray("13\n13\n1\n") + QByteArray("0000000000000\n").repeated(11) + QByteArray("123\n");
const QByteArray kLetter = QByteArray(" 13 \r\n 13 \r\n") + QByteArray("x\r\n").repeated(13);
// Every tile in turn: its picture is larger than one page of memory.
const QByteArray kVaried =
    QByteArray(" 13 \r\n 13 \r\n") + QByteArray("0123456789012\r\n3456789012345\r\n").repeated(7);

map::Grid openAndRedraw(const QByteArray& bytes) {
    map::Grid mass;
    map::parseMap(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())),
                  mass);
    map::ApplyFixedCells(mass);
    return mass;
}

QByteArray editorSave(const map::Grid& mass) {
    const std::string bytes = map::formatMap(mass, map::kEditorSettings);
    return QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

const QByteArray kNormalGood = editorSave(openAndRedraw(kGood));

// What a save did to the file it was given.
enum class Fate { Untouched, InPlace, Renamed, Created };
enum class Needs { Nothing, Root, SmallDisk };

// One run of korrin-map as the saving user, after `setup` made the folder's files.
struct Row {
    const char* setup = "";  // sh, run as root in the folder; $ME is the saver's uid:gid
    Args args{};
    Fate fate = Fate::Untouched;
    int status = 1;
    QByteArray out{};
    QByteArray err{};
    std::string file = "t";            // the file whose fate is checked
    QByteArray content = kNormalGood;  // what it holds after a save
    std::string stdoutTo{};
    int stdoutFlags = O_WRONLY;
    Needs needs = Needs::Nothing;
    bool tagged = false;  // `file` gets a user.* attribute
};

struct FileState {
    bool exists = false;
    struct stat st {};
    std::string bytes;
    std::string attributes;
    auto identity() const {
        return std::tuple(exists, st.st_ino, st.st_uid, st.st_gid, st.st_mode, st.st_nlink,
                          attributes);
    }
};

FileState stateOf(const std::string& path) {
    FileState state;
    state.exists = ::stat(path.c_str(), &state.st) == 0;
    if (state.exists && S_ISREG(state.st.st_mode)) {
        std::ifstream in(path, std::ios::binary);
        state.bytes.assign(std::istreambuf_iterator<char>(in), {});
        state.attributes.resize(4096);
        state.attributes.resize(std::max<ssize_t>(
            0, ::listxattr(path.c_str(), state.attributes.data(), state.attributes.size())));
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
    ::setenv("SETUP", row.setup, 1);
    if (std::system(("cd '" + folder + "' && sh -ec \"$SETUP\"").c_str()) != 0) {
        return std::string("setup failed: ") + row.setup;
    }
    const std::string path = folder + "/" + row.file;
    if (row.tagged && ::setxattr(path.c_str(), "user.korrin", "1", 1, 0) != 0) {
        return errno == ENOTSUP ? "skip: no user.* attributes in " + folder : "setxattr failed";
    }
    const FileState before = stateOf(path);
    const int entries = entriesIn(folder);
    const Run run = korrinMap(row.args, folder, row.stdoutTo, row.stdoutFlags, saver);
    if (run.status != row.status || run.out != row.out || run.err != row.err) {
        return "status " + std::to_string(run.status) + ", out '" + run.out.toStdString() +
               "', err '" + run.err.toStdString() + "'";
    }
    const FileState after = stateOf(path);
    const bool saved = after.bytes == row.content.toStdString() &&
                       (row.fate != Fate::Renamed || before.st.st_mode == after.st.st_mode);
    const bool savers = after.st.st_uid == saver.uid && after.st.st_gid == saver.gid;
    const bool kept = after.identity() == before.identity();
    const bool fateHeld =
        row.fate == Fate::Untouched ? kept && after.bytes == before.bytes
        : row.fate == Fate::InPlace ? kept && saved
        : row.fate == Fate::Renamed
            ? before.exists && after.st.st_ino != before.st.st_ino && saved && savers
            : !before.exists && saved && savers;
    if (!fateHeld) {
        return "the file's fate was not " + std::to_string(static_cast<int>(row.fate));
    }
    if (entriesIn(folder) != entries + (row.fate == Fate::Created ? 1 : 0)) {
        return "a file was left behind or removed";
    }
    return {};
}

}  // namespace

Q_DECLARE_METATYPE(Row)
Q_DECLARE_METATYPE(Args)

class TestCli : public QObject {
    Q_OBJECT

private slots:
    void init();
    void usageErrors_data();
    void usageErrors();
    void saving_data();
    void saving();
    void cleanup();
    void renderMatchesTheEditorsPainter_data();
    void renderMatchesTheEditorsPainter();
    void versionComesFromTheProject();

private:
    std::unique_ptr<QTemporaryDir> dir_;
};

void TestCli::init() {
    dir_ = std::make_unique<QTemporaryDir>();
    writeFile(dir_->filePath("good.txt"), kGood);
    writeFile(dir_->filePath("hand.txt"), kHandEdited);
    writeFile(dir_->filePath("letter.txt"), kLetter);
    writeFile(dir_->filePath("short.txt"), QByteArray(" 13 \r\n 13 \r\n1\r\n"));
    writeFile(dir_->filePath("varied.txt"), kVaried);
    QDir(dir_->path()).mkdir("folder");
}

// QTemporaryDir cannot remove names that are not UTF-8.
void TestCli::cleanup() {
    std::error_code ignored;
    std::filesystem::remove_all(dir_->path().toStdString(), ignored);
}

void TestCli::usageErrors_data() {
    QTest::addColumn<Args>("arguments");
    QTest::newRow("nothing") << Args{};
    QTest::newRow("unknown command") << Args{"frobnicate", "good.txt"};
    QTest::newRow("check without files") << Args{"check"};
    QTest::newRow("check with output") << Args{"check", "good.txt", "-o", "x"};
    QTest::newRow("normalize two files") << Args{"normalize", "good.txt", "hand.txt"};
    QTest::newRow("normalize with grid") << Args{"normalize", "good.txt", "--grid"};
    QTest::newRow("render without output") << Args{"render", "good.txt"};
    QTest::newRow("export to a map file") << Args{"export", "good.txt", "-o", "x.txt"};
    QTest::newRow("unknown option") << Args{"check", "--frob", "good.txt"};
}

void TestCli::usageErrors() {
    QFETCH(Args, arguments);
    const Run run = korrinMap(arguments, dir_->path().toStdString());
    QCOMPARE(run.status, 2);
    QVERIFY(run.out.isEmpty());
    QVERIFY(!run.err.isEmpty());
    QCOMPARE(QDir(dir_->path()).entryList(QDir::Files).size(), 5);
}

void TestCli::saving_data() {
    QTest::addColumn<Row>("row");
    const auto to = [](const char* out) { return Args{"normalize", "good.txt", "-o", out}; };
    const auto save = to("t");
    const QByteArray denied = "t: error 70: Permission denied\n";
    const QByteArray fullOutput = "standard output: error 61: Disk full\n";
    const QByteArray diskFull = "disk/t: error 61: Disk full\n";
    const char* odd = "cp good.txt \"$(printf '\\377\\376.txt')\"";  // a name that is not UTF-8
    using enum Fate;
    using enum Needs;
    // clang-format off
    QTest::newRow("own file: renamed, mode kept") << Row{
        .setup = "printf old > t; chown $ME t; chmod 640 t", .args = save, .fate = Renamed,
        .status = 0};
    QTest::newRow("symbolic link: its target renamed") << Row{
        .setup = "printf old > t; chown $ME t; ln -s t l", .args = to("l"),
        .fate = Renamed, .status = 0};
    QTest::newRow("read-only target") << Row{
        .setup = "printf old > t; chown $ME t; chmod 444 t", .args = save, .err = denied};
    QTest::newRow("someone else's file") << Row{
        .setup = "printf old > t", .args = save, .err = denied, .needs = Root};
    QTest::newRow("someone else's file, group-writable: in place") << Row{
        .setup = "printf old > t; chown 0:${ME#*:} t; chmod 664 t", .args = save, .fate = InPlace,
        .status = 0, .needs = Root};
    QTest::newRow("own file, another group: in place") << Row{
        .setup = "printf old > t; chown ${ME%:*}:0 t", .args = save, .fate = InPlace, .status = 0,
        .needs = Root};
    QTest::newRow("own file in an unwritable folder: in place") << Row{
        .setup = "mkdir d; printf old > d/t; chown $ME d/t", .args = to("d/t"),
        .fate = InPlace, .status = 0, .file = "d/t", .needs = Root};
    QTest::newRow("hard link: in place, shorter") << Row{
        .setup = "printf %300s > t; ln t u; chown $ME t", .args = save, .fate = InPlace,
        .status = 0};
    QTest::newRow("user.* attribute: in place") << Row{
        .setup = "printf old > t; chown $ME t", .args = save, .fate = InPlace, .status = 0,
        .tagged = true};
    QTest::newRow("full disk, in place: old bytes intact") << Row{
        .setup = "printf old > disk/t; ln disk/t disk/u",
        .args = {"render", "varied.txt", "-o", "disk/t"}, .err = diskFull, .file = "disk/t",
        .needs = SmallDisk};
    QTest::newRow("full disk, renamed: no temporary file left") << Row{
        .setup = "printf old > disk/t", .args = {"normalize", "good.txt", "-o", "disk/t"},
        .err = diskFull, .file = "disk/t", .needs = SmallDisk};
    // korrin-map holds the FIFO open for reading itself, so opening it to write would succeed.
    QTest::newRow("FIFO target") << Row{
        .setup = "mkfifo t; chown $ME t", .args = save,
        .err = "t: error 75: Path/File access error\n", .stdoutTo = "t", .stdoutFlags = O_RDWR};
    QTest::newRow("missing folder") << Row{
        .args = to("no/t"), .err = "no/t: error 76: Path not found\n",
        .file = "no/t"};
    QTest::newRow("failed command leaves the output") << Row{
        .setup = "printf old > t; chown $ME t", .args = {"normalize", "letter.txt", "-o", "t"},
        .err = "letter.txt: error 13: Type mismatch\n"};
    QTest::newRow("failed command creates no output") << Row{
        .args = {"render", "missing.txt", "-o", "t"},
        .err = "missing.txt: error 53: File not found\n"};
    QTest::newRow("check in order, failing ones too") << Row{
        .args = {"check", "good.txt", "short.txt", "letter.txt", "hand.txt"},
        .out = "good.txt: ok\nshort.txt: error 62: Input past end of file\n"
               "letter.txt: error 13: Type mismatch\nhand.txt: ok\n"};
    // Hand-edited, then as the editor saves it: the fixed cells imposed, CR LF line ends.
    QTest::newRow("normalize to standard output") << Row{
        .args = {"normalize", "hand.txt"}, .status = 0,
        .out = " 13 \r\n 13 \r\n0111110111110\r\n" + QByteArray("0000000000000\r\n").repeated(11) +
               "1111019101123\r\n"};
    QTest::newRow("unreadable file") << Row{
        .setup = "printf old > t; chmod 0 t", .args = {"check", "t"}, .out = denied};
    QTest::newRow("/dev/stdout appended") << Row{
        .setup = "printf 'line 1\\n' > log; chown $ME log", .args = to("/dev/stdout"),
        .fate = InPlace, .status = 0, .file = "log", .content = "line 1\n" + kNormalGood,
        .stdoutTo = "log", .stdoutFlags = O_WRONLY | O_APPEND};
    QTest::newRow("normalize to /dev/full") << Row{
        .args = {"normalize", "good.txt"}, .err = fullOutput, .stdoutTo = "/dev/full"};
    QTest::newRow("check to /dev/full") << Row{
        .args = {"check", "good.txt"}, .err = fullOutput, .stdoutTo = "/dev/full"};
    QTest::newRow("check to a read-only descriptor") << Row{
        .args = {"check", "good.txt"}, .err = "standard output: error 57: Device I/O error\n",
        .stdoutTo = "good.txt", .stdoutFlags = O_RDONLY};
    QTest::newRow("check empty name") << Row{
        .args = {"check", ""}, .out = ": error 52: Bad file name or number\n"};
    QTest::newRow("normalize empty name") << Row{
        .args = {"normalize", "", "-o", "t"}, .err = ": error 52: Bad file name or number\n"};
    QTest::newRow("empty output name") << Row{
        .args = to(""), .status = 2,
        .err = "korrin-map: usage: korrin-map normalize FILE [-o OUT]\n"
               "Try 'korrin-map --help' for more information.\n"};
    QTest::newRow("\\xff name round trip") << Row{
        .setup = odd, .args = {"normalize", "\xff\xfe.txt", "-o", "\xff.txt"},
        .fate = Created, .status = 0, .file = "\xff.txt"};
    QTest::newRow("check prints names as given") << Row{
        .setup = odd, .args = {"check", "\xff\xfe.txt", "a\tb\n\x01.txt"},
        .out = "\xff\xfe.txt: ok\na\\tb\\n\\x01.txt: error 53: File not found\n"};
    // clang-format on
}

// CI runs as root: the saver is then `nobody`, in a folder given to it.
void TestCli::saving() {
    QFETCH(Row, row);
    const bool root = ::geteuid() == 0;
    if (row.needs == Needs::Root && !root) {
        QSKIP("only root can make another user's file; CI runs as root");
    }
    Saver saver;
    const passwd* nobody = ::getpwnam("nobody");  // its group is nogroup
    if (root && row.needs != Needs::SmallDisk) {
        if (nobody == nullptr) {
            QSKIP("no user nobody to save as");
        }
        saver = {nobody->pw_uid, nobody->pw_gid};
    }
    const std::string folder = dir_->path().toStdString();
    QVERIFY(::chown(folder.c_str(), saver.uid, saver.gid) == 0);
    std::string failure = row.needs == Needs::SmallDisk ? "" : runRow(row, folder, saver);
    if (row.needs == Needs::SmallDisk) {
        const std::string disk = folder + "/disk";
        QVERIFY(::mkdir(disk.c_str(), 0755) == 0);
        const auto run = test::inMountNamespace([&]() -> std::string {
            if (::mount("none", disk.c_str(), "tmpfs", 0, "size=64k") != 0) {
                return "cannot mount a small file system";
            }
            const std::string setup = std::string(row.setup) + "; cat /dev/zero >disk/f 2>&- || :";
            Row filled = row;
            filled.setup = setup.c_str();
            return runRow(filled, folder, Saver{});  // the ids as seen inside
        });
        if (!run.available) {
            QSKIP("no user namespaces here for a small file system");
        }
        failure = run.failure;
    }
    if (failure.starts_with("skip: ")) {
        QSKIP(failure.c_str() + 6);
    }
    QCOMPARE(QString::fromStdString(failure), QString());
}

void TestCli::renderMatchesTheEditorsPainter_data() {
    QTest::addColumn<bool>("grid");
    QTest::newRow("without grid") << false;
    QTest::newRow("with grid") << true;
}

void TestCli::renderMatchesTheEditorsPainter() {
    QFETCH(bool, grid);
    Args arguments{"render", "hand.txt", "-o", "hand.png"};
    if (grid) {
        arguments.push_back("--grid");
    }
    const Run run = korrinMap(arguments, dir_->path().toStdString());
    QCOMPARE(run.status, 0);
    const QImage rendered =
        QImage(dir_->filePath("hand.png")).convertToFormat(QImage::Format_RGB32);
    QCOMPARE(rendered.size(), QSize(416, 416));

    QImage expected(416, 416, QImage::Format_RGB32);
    render::paintField(expected, openAndRedraw(kHandEdited), render::ImageList(), grid);
    QCOMPARE(rendered, expected);
    QCOMPARE(rendered.pixel(64, 200) == qRgb(255, 0, 0), grid);
}

void TestCli::versionComesFromTheProject() {
    const Run run = korrinMap({"--version"}, dir_->path().toStdString());
    QCOMPARE(run.status, 0);
    QCOMPARE(run.out, QByteArray("korrin-map ") + korrin::kVersion + "\n");
    const Run help = korrinMap({"--help"}, dir_->path().toStdString());
    QCOMPARE(help.status, 0);
    QVERIFY(help.out.contains("normalize FILE [-o OUT]") &&
            help.out.contains("import IN [-o OUT]"));
}

QTEST_GUILESS_MAIN(TestCli)
#include "test_cli.moc"
