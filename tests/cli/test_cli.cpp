// SPDX-License-Identifier: MIT
// korrin-map's library in process: every failure of a command, and where its Qt module is found.
#include <fcntl.h>
#include <QDir>
#include <QImage>
#include <QTemporaryDir>
#include <QtTest>

#include "cli/cli.h"
#include "map/error.h"
#include "map/mapfile.h"
#include "qtfiles.h"

extern "C" const korrin::cli::QtCommands* korrin_qt_commands();

using namespace korrin;
using korrin::test::readFile;

namespace {

struct Run {
    int status = -1;
    QByteArray out{};
    QByteArray err{};
};

}  // namespace

class TestCli : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void edgeReportsEveryFailure();
    void moduleFoundOnlyWhereInstalled_data();
    void moduleFoundOnlyWhereInstalled();

private:
    std::unique_ptr<QTemporaryDir> dir_;
    Run runInProcess(const QByteArray& command) const;
};

// The test's folder w with the files of cli/files.
void TestCli::init() {
    dir_ = std::make_unique<QTemporaryDir>();
    QVERIFY(QDir(dir_->path()).mkdir("w"));
    const QDir files(KORRIN_TESTS_DIR "/cli/files");
    for (const QString& name : files.entryList(QDir::Files)) {
        QVERIFY(QFile::copy(files.filePath(name), dir_->filePath("w/" + name)));
    }
}

void TestCli::cleanup() {
    dir_.reset();
}

// Runs korrin-map's library in this process on `command`, a line of plain or single-quoted
// words, in the folder w, with standard input, output and error as the shell would give them.
Run TestCli::runInProcess(const QByteArray& command) const {
    std::vector<std::string> words;
    for (const QString& word :
         QString::fromUtf8(command).split(QRegularExpression(" (?=(?:[^']*'[^']*')*[^']*$)"))) {
        words.push_back(QString(word).remove('\'').toStdString());
    }
    std::vector<char*> argv;
    for (std::string& word : words) {
        argv.push_back(word.data());
    }
    std::fflush(stdout);
    const int saved[] = {::dup(0), ::dup(1), ::dup(2)};
    const std::string io = dir_->path().toStdString() + "/";
    const auto redirect = [](int fd, const std::string& path, int flags) {
        const int opened = ::open(path.c_str(), flags, 0644);
        ::dup2(opened, fd);
        ::close(opened);
    };
    redirect(0, "/dev/null", O_RDONLY);
    redirect(1, io + "out", O_WRONLY | O_CREAT | O_TRUNC);
    redirect(2, io + "err", O_WRONLY | O_CREAT | O_TRUNC);
    const QString here = QDir::currentPath();
    QDir::setCurrent(dir_->filePath("w"));
    const int status = cli::runTool(static_cast<int>(argv.size()), argv.data());  // never throws
    QDir::setCurrent(here);
    for (int fd = 0; fd < 3; ++fd) {
        ::dup2(saved[fd], fd);
        ::close(saved[fd]);
    }
    return {status, readFile(dir_->filePath("out")), readFile(dir_->filePath("err"))};
}

// Whatever a command throws ends in one error line and status 1, and writes nothing.
void TestCli::edgeReportsEveryFailure() {
    static const cli::QtCommands failing{
        [](const std::vector<map::Grid>&, int, bool) -> std::string { throw std::bad_alloc(); },
        [](const map::Grid&, const map::Grid&) -> std::string { throw std::bad_alloc(); },
        [](const map::Grid&, const std::string&) { throw std::runtime_error("a fault"); },
        [](const std::string&) -> map::Grid { throw 42; },
    };
    cli::setQtCommands(&failing);
    const auto failed = [&](const QByteArray& command) {
        const Run run = runInProcess(command);
        return QByteArray::number(run.status) + ' ' + run.out + run.err;
    };
    QCOMPARE(failed("korrin-map render level.txt -o out.png"),
             "1 level.txt: error 7: Out of memory\n");
    QCOMPARE(failed("korrin-map diff level.txt good.txt --png out.png"),
             "2 : error 7: Out of memory\n");  // for diff, 1 means "they differ"
    QCOMPARE(failed("korrin-map export level.txt -o out.tmx"),
             "1 level.txt: error 51: Internal error\n");
    QCOMPARE(failed("korrin-map import level.tmx -o out.txt"),
             "1 level.tmx: error 51: Internal error\n");
    QCOMPARE(QDir(dir_->filePath("w")).entryList({"out.*"}, QDir::Files), QStringList());
    cli::setQtCommands(nullptr);
}

// The Qt module is loaded beside the program or from an installation's library folder, by an
// absolute path only; a program whose path is unknown or relative loads nothing at all, since
// a relative name would find a module in the current folder.
void TestCli::moduleFoundOnlyWhereInstalled_data() {
    QTest::addColumn<QString>("program");
    QTest::addColumn<QString>("module");  // where the module is put, relative to the root
    QTest::addColumn<QString>("reason");  // empty when the module loads
    const QString cannot = "cannot read the program's own path from /proc/self/exe";
    const QString installed = "bin/" KORRIN_MODULE_FROM_BIN "/korrin-map-qt.so";
    QTest::newRow("beside") << "/ROOT/bin/korrin-map"
                            << "bin/korrin-map-qt.so"
                            << "";
    QTest::newRow("installed") << "/ROOT/bin/korrin-map" << installed << "";
    QTest::newRow("neither")
        << "/ROOT/bin/korrin-map"
        << "other/korrin-map-qt.so"
        << "/ROOT/bin/korrin-map-qt.so: cannot open shared object file: No such file or "
           "directory; /ROOT/" +
               installed +
               ": cannot open shared object file: No such file "
               "or directory";
    QTest::newRow("unknown") << ""
                             << "korrin-map-qt.so" << cannot;
    QTest::newRow("relative") << "bin/korrin-map"
                              << "bin/korrin-map-qt.so" << cannot;
}

void TestCli::moduleFoundOnlyWhereInstalled() {
    QFETCH(QString, program);
    QFETCH(QString, module);
    QFETCH(QString, reason);
    const QString root = dir_->filePath("root");
    QVERIFY(QDir().mkpath(QFileInfo(root + "/" + module).path()));
    QVERIFY(QFile::copy(KORRIN_MODULE_PATH, root + "/" + module));
    // A relative program would be looked up from here, where the module also is.
    const auto back = qScopeGuard([saved = QDir::currentPath()] { QDir::setCurrent(saved); });
    QDir::setCurrent(root);
    QString failure;
    try {
        const cli::QtCommands& commands =
            cli::loadQtCommands(QString(program).replace("/ROOT", root).toStdString());
        QVERIFY(commands.renderSheetPng && commands.renderDiffPng && commands.exportTiled &&
                commands.importTiled);
    } catch (const map::Error& error) {
        QCOMPARE(error.number(), 48);
        QCOMPARE(QString::fromStdString(error.path()), "korrin-map-qt.so");
        failure = QString::fromStdString(error.reason()).replace(root, "/ROOT");
    }
    QCOMPARE(failure, reason);
}

QTEST_GUILESS_MAIN(TestCli)
#include "test_cli.moc"
