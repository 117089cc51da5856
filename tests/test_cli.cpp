// SPDX-License-Identifier: MIT
#include <QDir>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include "editor/fieldpainter.h"
#include "map/mapfile.h"
#include "qtfiles.h"

using namespace korrin;
using korrin::test::readFile;
using korrin::test::writeFile;

namespace {

struct Run {
    int status = -1;
    QByteArray out;
    QByteArray err;
};

// Runs korrin-map in `folder` as a build script would: no display, no Qt platform chosen.
Run korrinMap(const QStringList& arguments, const QString& folder) {
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(folder);
    process.start(QStringLiteral(KORRIN_MAP_PATH), arguments);
    if (!process.waitForFinished(60000)) {
        process.kill();
        return {};
    }
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            process.readAllStandardOutput(), process.readAllStandardError()};
}

const QByteArray kGood = test::kBrickMap;
// Hand-edited: LF line ends, short rows, no base, and a brick on a cell that must stay empty.
const QByteArray kHandEdited =
    QByteArray("13\n13\n1\n") + QByteArray("0000000000000\n").repeated(11) + QByteArray("123\n");
const QByteArray kLetter = QByteArray(" 13 \r\n 13 \r\n") + QByteArray("x\r\n").repeated(13);

map::Grid openAndRedraw(const QByteArray& bytes) {
    map::Grid mass;
    map::parseMap(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())),
                  mass);
    map::ApplyFixedCells(mass);
    return mass;
}

QByteArray editorSave(const map::Grid& mass) {
    const std::string bytes = map::formatMap(mass, {map::kCellSize, 0, 13, 13});
    return QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

}  // namespace

class TestCli : public QObject {
    Q_OBJECT

private slots:
    void init();
    void check_data();
    void check();
    void usageErrors_data();
    void usageErrors();
    void normalizeWritesWhatTheEditorWouldSave();
    void normalizeFailureLeavesTheOutputAlone_data();
    void normalizeFailureLeavesTheOutputAlone();
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
    QDir(dir_->path()).mkdir("folder");
}

void TestCli::check_data() {
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QByteArray>("out");
    QTest::addColumn<int>("status");
    QTest::newRow("good") << QStringList{"good.txt", "hand.txt"}
                          << QByteArray("good.txt: ok\nhand.txt: ok\n") << 0;
    QTest::newRow("letter") << QStringList{"letter.txt"}
                            << QByteArray("letter.txt: error 13: Type mismatch\n") << 1;
    QTest::newRow("in order, one failing")
        << QStringList{"good.txt", "short.txt", "good.txt"}
        << QByteArray("good.txt: ok\nshort.txt: error 62: Input past end of file\ngood.txt: ok\n")
        << 1;
    QTest::newRow("not files") << QStringList{"missing.txt", "no/map.txt", "folder", "/dev/zero"}
                               << QByteArray(
                                      "missing.txt: error 53: File not found\n"
                                      "no/map.txt: error 76: Path not found\n"
                                      "folder: error 75: Path/File access error\n"
                                      "/dev/zero: error 75: Path/File access error\n")
                               << 1;
}

void TestCli::check() {
    QFETCH(QStringList, files);
    QFETCH(QByteArray, out);
    QFETCH(int, status);
    const Run run = korrinMap(QStringList{"check"} + files, dir_->path());
    QCOMPARE(run.out, out);
    QCOMPARE(run.status, status);
    QVERIFY(run.err.isEmpty());
}

void TestCli::usageErrors_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("nothing") << QStringList{};
    QTest::newRow("unknown command") << QStringList{"frobnicate", "good.txt"};
    QTest::newRow("check without files") << QStringList{"check"};
    QTest::newRow("check with output") << QStringList{"check", "good.txt", "-o", "x"};
    QTest::newRow("normalize two files") << QStringList{"normalize", "good.txt", "hand.txt"};
    QTest::newRow("normalize with grid") << QStringList{"normalize", "good.txt", "--grid"};
    QTest::newRow("render without output") << QStringList{"render", "good.txt"};
    QTest::newRow("export to a map file") << QStringList{"export", "good.txt", "-o", "x.txt"};
    QTest::newRow("unknown option") << QStringList{"check", "--frob", "good.txt"};
}

void TestCli::usageErrors() {
    QFETCH(QStringList, arguments);
    const Run run = korrinMap(arguments, dir_->path());
    QCOMPARE(run.status, 2);
    QVERIFY(run.out.isEmpty());
    QVERIFY(!run.err.isEmpty());
    QCOMPARE(QDir(dir_->path()).entryList(QDir::Files).size(), 4);
}

void TestCli::normalizeWritesWhatTheEditorWouldSave() {
    const QByteArray expected = editorSave(openAndRedraw(kHandEdited));
    QCOMPARE(expected, QByteArray(" 13 \r\n 13 \r\n0111110111110\r\n") +
                           QByteArray("0000000000000\r\n").repeated(11) +
                           QByteArray("1111019101123\r\n"));

    const Run toStdout = korrinMap({"normalize", "hand.txt"}, dir_->path());
    QCOMPARE(toStdout.status, 0);
    QCOMPARE(toStdout.out, expected);

    const Run toFile = korrinMap({"normalize", "hand.txt", "-o", "out.txt"}, dir_->path());
    QCOMPARE(toFile.status, 0);
    QVERIFY(toFile.out.isEmpty());
    QCOMPARE(readFile(dir_->filePath("out.txt")), expected);

    // The editor reads the normalized file back to the same grid.
    map::Grid reloaded;
    map::LoadMap(QFile::encodeName(dir_->filePath("out.txt")).toStdString(), reloaded);
    QCOMPARE(reloaded, openAndRedraw(kHandEdited));
}

void TestCli::normalizeFailureLeavesTheOutputAlone_data() {
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("input");
    QTest::addColumn<QByteArray>("err");
    QTest::newRow("normalize letter")
        << "normalize"
        << "letter.txt" << QByteArray("letter.txt: error 13: Type mismatch\n");
    QTest::newRow("render folder")
        << "render"
        << "folder" << QByteArray("folder: error 75: Path/File access error\n");
    QTest::newRow("render missing")
        << "render"
        << "missing.txt" << QByteArray("missing.txt: error 53: File not found\n");
}

void TestCli::normalizeFailureLeavesTheOutputAlone() {
    QFETCH(QString, command);
    QFETCH(QString, input);
    QFETCH(QByteArray, err);
    writeFile(dir_->filePath("old.out"), "precious");
    const Run run = korrinMap({command, input, "-o", "old.out"}, dir_->path());
    QCOMPARE(run.status, 1);
    QCOMPARE(run.err, err);
    QVERIFY(run.out.isEmpty());
    QCOMPARE(readFile(dir_->filePath("old.out")), QByteArray("precious"));

    const Run fresh = korrinMap({command, input, "-o", "new.out"}, dir_->path());
    QCOMPARE(fresh.status, 1);
    QVERIFY(!QFile::exists(dir_->filePath("new.out")));
    QCOMPARE(QDir(dir_->path()).entryList(QDir::Files | QDir::Hidden).size(), 5);
}

void TestCli::renderMatchesTheEditorsPainter_data() {
    QTest::addColumn<bool>("grid");
    QTest::newRow("without grid") << false;
    QTest::newRow("with grid") << true;
}

void TestCli::renderMatchesTheEditorsPainter() {
    QFETCH(bool, grid);
    QStringList arguments{"render", "hand.txt", "-o", "hand.png"};
    if (grid) {
        arguments << "--grid";
    }
    const Run run = korrinMap(arguments, dir_->path());
    QCOMPARE(run.status, 0);
    const QImage rendered =
        QImage(dir_->filePath("hand.png")).convertToFormat(QImage::Format_RGB32);
    QCOMPARE(rendered.size(), QSize(416, 416));

    QImage expected(416, 416, QImage::Format_RGB32);
    editor::paintField(expected, openAndRedraw(kHandEdited), editor::ImageList(), grid);
    QCOMPARE(rendered, expected);
    QCOMPARE(rendered.pixel(64, 200) == qRgb(255, 0, 0), grid);
}

void TestCli::versionComesFromTheProject() {
    const Run run = korrinMap({"--version"}, dir_->path());
    QCOMPARE(run.status, 0);
    QCOMPARE(run.out, QByteArray("korrin-map " KORRIN_VERSION "\n"));
    const Run help = korrinMap({"--help"}, dir_->path());
    QCOMPARE(help.status, 0);
    QVERIFY(help.out.contains("normalize FILE [-o OUT]") &&
            help.out.contains("import IN [-o OUT]"));
}

QTEST_GUILESS_MAIN(TestCli)
#include "test_cli.moc"
