// SPDX-License-Identifier: MIT
// The editor's menus and dialogs: Open and Save through the file dialog, the long load's
// progress, Clear's question, the dialogs' first folder, About and Exit.
#include <unistd.h>

#include <QAbstractItemView>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QTemporaryDir>

#include "editor/commondialog.h"
#include "editor/loadprogress.h"
#include "editor/startup.h"
#include "editorfixture.h"
#include "qtfiles.h"
#include "version.h"

using korrin::map::Grid;
using korrin::test::Editor;
using korrin::test::gridOf;
using korrin::test::Modals;

namespace {

QLineEdit* nameEdit(QFileDialog* dialog) {
    return dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
}

// Types `name` into the file dialog's name box, then confirms or cancels at once. A file the
// dialog selected in its list (the offered name, once the folder is read) would win over the
// typed name while the name box has no focus yet, as on a busy machine.
void answer(QFileDialog* dialog, const QString& name, bool confirm = true) {
    for (auto* view : dialog->findChildren<QAbstractItemView*>()) {
        view->clearSelection();
    }
    nameEdit(dialog)->setText(name);
    QDialog* asked = dialog;  // QFileDialog keeps its accept() protected
    confirm ? asked->accept() : asked->reject();
}

// Presses Ctrl with `key` on the editor, answers the file dialog that comes up with `name`, and
// tells what it showed: "open" or "save", its folder and the name it offered, split by "|".
QString useFileDialog(const Editor& editor, Qt::Key key, const QString& name, bool confirm = true) {
    QString seen;
    Modals modals;
    modals.expect<QFileDialog>([&](QFileDialog* dialog) {
        QCOMPARE(dialog->windowTitle(), dialog->acceptMode() == QFileDialog::AcceptSave
                                            ? "Укажите имя для файла"
                                            : "Выберите файл карты");
        QCOMPARE(dialog->nameFilters(), QStringList({"Map files ( *.txt)", "All (*)"}));
        QCOMPARE(dialog->objectName(), "cDlg");
        seen = (dialog->acceptMode() == QFileDialog::AcceptSave ? "save|" : "open|") +
               dialog->directory().absolutePath() + '|' + nameEdit(dialog)->text();
        answer(dialog, name, confirm);
    });
    QApplication::setActiveWindow(editor.window.get());  // back from the last dialog
    QTest::keyClick(editor.window.get(), key, Qt::ControlModifier);
    return modals.allAnswered() ? seen : QStringLiteral("no file dialog");
}

}  // namespace

class TestMenus : public QObject {
    Q_OBJECT

private slots:
    // Qt's own texts (dialog buttons) in the desktop's language, as the editor starts.
    void initTestCase() { korrin::editor::setUpApplication(*qApp); }
    void init() { QTest::failOnWarning(QRegularExpression(korrin::test::kUnexpectedModal)); }
    void openAndSave();
    void saveReportsErrors();
    void longLoadShowsProgressAndCancels();
    void progressIsSpokenOnceASecond();
    void clearAsksFirst();
    void initialFolder_data();
    void initialFolder();
    void aboutThenExit();  // last: Exit quits the application
};

// Open and Save through the dialog; a cancelled dialog changes nothing, after a confirmed one too.
void TestMenus::openAndSave() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("уровень 1.txt"));
    const QString other = dir.filePath(QStringLiteral("other.txt"));
    korrin::test::writeFile(path, korrin::test::kBrickMap);
    korrin::test::writeFile(other, QByteArray(korrin::test::kBrickMap).replace('1', '4'));
    Editor editor;
    editor.timer()->stop();  // a tick would impose the fixed cells between the steps
    // A dialog that is not sent to its folder would show this one.
    const auto restore = qScopeGuard([here = QDir::currentPath()] { QDir::setCurrent(here); });
    QDir::setCurrent(dir.path());
    const QString level = dir.filePath("level");
    const auto saved = [&] { return korrin::test::readFile(level); };
    Grid expected = gridOf(QString("1111111111111 ").repeated(12) + "2222222222222");
    QByteArray first = korrin::test::kBrickMap;
    first[12 + 3 * 15 + 3] = '3';  // after the counts, row 4, column 4
    // The first folder is tested on its own; then the last file's, with its name offered.
    const QString start = korrin::editor::initialFolder(QCoreApplication::applicationDirPath());
    const QString here = dir.path() + "|уровень 1.txt";
    // Each dialog in turn: the key, the name typed, confirmed or not, what the dialog showed,
    // and what must hold after it.
    const struct {
        Qt::Key key;
        QString name;
        bool confirm;
        QString shown;
        std::function<void()> after;
    } steps[] = {
        {Qt::Key_S, path, false, "save|" + start + "|", [] {}},
        {Qt::Key_O, path, true, "open|" + start + "|",
         [&] {
             QCOMPARE(editor->mass(), expected);
             editor->mass()(4, 4) = expected(4, 4) = 3;
         }},
        {Qt::Key_O, other, false, "open|" + here, [&] { QCOMPARE(editor->mass(), expected); }},
        {Qt::Key_S, dir.filePath("typed.txt"), false, "save|" + here, [] {}},
        {Qt::Key_S, level, true, "save|" + here,  // saved as typed, without ".txt"
         [&] {
             QCOMPARE(saved(), first);
             editor->mass()(5, 5) = 4;
         }},
        {Qt::Key_S, level, false, "save|" + dir.path() + "|level", [] {}},
        {Qt::Key_S, dir.filePath("elsewhere.txt"), false, "save|" + dir.path() + "|level",
         [&] { QCOMPARE(saved(), first); }},
    };
    for (const auto& step : steps) {
        QCOMPARE(useFileDialog(editor, step.key, step.name, step.confirm), step.shown);
        step.after();
    }
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files),
             (QStringList{"level", "other.txt", "уровень 1.txt"}));
}

// An error is reported with its number, description and path; the editor carries on.
void TestMenus::saveReportsErrors() {
    Editor editor;
    QTemporaryDir dir;
    QString reported;
    Modals report;
    report.expect<QMessageBox>([&](QMessageBox* box) {
        reported = box->text();
        QTest::keyClick(box, Qt::Key_Return);
    });
    useFileDialog(editor, Qt::Key_S, dir.filePath("missing/map.txt"));
    QVERIFY(report.allAnswered());
    QCOMPARE(reported,
             "Run-time error '76':\n\nPath not found\n" + dir.filePath("missing/map.txt"));
    QVERIFY(editor->isVisible());
}

void TestMenus::longLoadShowsProgressAndCancels() {
    // A map header, then a hole: tmpfs reads holes without using memory. Read to its end it
    // would outlast the test's time limit, so only a working Cancel lets the test finish.
    const bool shm = QFileInfo(QStringLiteral("/dev/shm")).isWritable();
    QTemporaryDir dir((shm ? QStringLiteral("/dev/shm") : QDir::tempPath()) + "/korrin-XXXXXX");
    const QString path = dir.filePath(QStringLiteral("disk.img"));
    korrin::test::writeFile(path, " 13 \r\n 13 \r\n");
    QVERIFY(QFile::resize(path, qint64(1) << 43));
    Editor editor;
    editor->mass()(3, 3) = 4;
    bool ticked = false;
    QString shown;
    QSignalSpy ticks(editor.timer(), &QTimer::timeout);
    Modals modals;
    QString folder;  // Open, as the session's first dialog, also starts in the first folder
    modals.expect<QFileDialog>([&](QFileDialog* dialog) {
        folder = dialog->directory().absolutePath();
        answer(dialog, path);
    });
    modals.expect<QProgressDialog>([&](QProgressDialog* progress) {
        // Up within a few ticks (counted, not timed), and the field is still redrawn.
        ticked = ticks.count() < 25 && editor.waitForTick();
        shown = progress->windowTitle() + '|' + progress->labelText() + '|' +
                progress->findChild<QPushButton*>()->text();
        progress->findChild<QPushButton*>()->click();
    });
    editor.trigger("mnuOpen");
    QVERIFY(modals.allAnswered() && ticked);
    QCOMPARE(folder, korrin::editor::initialFolder(QCoreApplication::applicationDirPath()));
    // Qt's own Cancel button speaks the desktop's language.
    QVERIFY2(shown.startsWith("Открытие файла|Чтение файла «disk.img»\nПрочитано байт: ") &&
                 !shown.contains(": 0|") && shown.endsWith("|Отменить"),
             qPrintable(shown));
    QCOMPARE(editor->mass()(3, 3), 4);

    // Left to finish, a smaller such file gives the reader's own error, and nothing changes.
    QVERIFY(QFile::resize(path, qint64(4) << 30));
    QString reported;
    Modals again;
    again.expect<QFileDialog>([&](QFileDialog* dialog) { answer(dialog, path); });
    again.allow<QProgressDialog>();
    again.expect<QMessageBox>([&](QMessageBox* box) {
        reported = box->text();
        box->button(QMessageBox::Ok)->click();
    });
    editor.trigger("mnuOpen");
    QCOMPARE(reported, "Run-time error '62':\n\nInput past end of file\n" + path);
    QCOMPARE(editor->mass()(3, 3), 4);
}

// A progress text that changes 50 times a second for 10 seconds is said 10 times, then at
// its end: the label's name, which a screen reader reads, changes only then.
void TestMenus::progressIsSpokenOnceASecond() {
    QLabel label;
    korrin::editor::SpokenProgress spoken(&label);
    QStringList said;
    for (int tick = 0; tick < 500; ++tick) {
        label.setText(QString::number(tick));
        spoken.update(label.text(), 20 * tick + 7);
        if (said.isEmpty() || said.last() != label.accessibleName()) {
            said << label.accessibleName();
        }
    }
    spoken.finish("done");
    said << label.accessibleName();
    QCOMPARE(said.join(' '), QString("0 50 100 150 200 250 300 350 400 450 done"));
}

void TestMenus::clearAsksFirst() {
    for (int reply : {int(QMessageBox::Ok), int(QMessageBox::Cancel), 0}) {  // 0: box closed
        Editor editor;
        editor.timer()->stop();
        Grid expected;
        for (int cell = 0; cell < 15 * 15; ++cell) {
            const int x = cell % 15;
            const int y = cell / 15;
            editor->mass()(x, y) = 3;
            expected(x, y) =
                reply == QMessageBox::Ok && x >= 2 && x <= 12 && y >= 2 && y <= 12 ? 0 : 3;
        }
        QString shown;
        Modals modals;
        modals.expect<QMessageBox>([&](QMessageBox* box) {
            shown = box->windowTitle() + '|' + box->text() + '|' +
                    box->button(QMessageBox::Cancel)->text();
            reply ? box->button(QMessageBox::StandardButton(reply))->click() : void(box->close());
        });
        editor.trigger("mnuClear");
        QVERIFY(modals.allAnswered());
        // Qt's own Cancel text, in the desktop's language.
        QCOMPARE(shown, QString("KR Editor|Очистить карту?|Отмена"));
        QCOMPARE(editor->mass(), expected);
    }
}

void TestMenus::initialFolder_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<uint>("owner");
    QTest::addColumn<bool>("writable");
    QTest::addColumn<bool>("working");
    QTest::newRow("a user's build tree") << "/home/ann/korrin/build" << 1000u << true << true;
    QTest::newRow("the last user id") << "/srv/build" << 59999u << true << true;
    QTest::newRow("not writable") << "/home/ann/korrin/build" << 1000u << false << false;
    QTest::newRow("owned by root") << "/home/ann/korrin/build" << 0u << true << false;
    QTest::newRow("a system account's") << "/var/games/korrin" << 999u << true << false;
    QTest::newRow("nobody's") << "/tmp/korrin" << 65534u << true << false;
    QTest::newRow("installed, whoever runs it") << "/usr/bin" << 0u << true << false;
    QTest::newRow("under /usr, owned by a user") << "/usr/local/bin" << 1000u << true << false;
    QTest::newRow("/usr itself") << "/usr" << 1000u << true << false;
    QTest::newRow("a look-alike of /usr") << "/usr2/bin" << 1000u << true << true;
}

void TestMenus::initialFolder() {
    QFETCH(QString, path);
    QFETCH(uint, owner);
    QFETCH(bool, writable);
    QFETCH(bool, working);
    QCOMPARE(korrin::editor::isWorkingFolder(path, owner, writable), working);
    if (QByteArray(QTest::currentDataTag()) != "a user's build tree") {
        return;
    }
    // The folders themselves: the program's if a user owns it, else documents, else home.
    QTemporaryDir home;
    const korrin::test::ScopedEnv homeSet("HOME", QFile::encodeName(home.path()));
    // So that the folder settings come from the new home too.
    const korrin::test::ScopedEnv configUnset("XDG_CONFIG_HOME", std::nullopt);
    const auto folder = [&](const char* program) {
        return QDir(korrin::editor::initialFolder(home.filePath(program)));
    };
    QVERIFY(QDir(home.path()).mkdir("bin"));
    if (geteuid() == 0) {  // root's own folders are never offered: a user's
        QVERIFY(chown(QFile::encodeName(home.filePath("bin")).constData(), 1000, 1000) == 0);
    } else if (geteuid() < 1000 || geteuid() > 59999) {
        QSKIP("run by a system account, which owns no working folder");
    }
    QCOMPARE(folder("bin"), QDir(home.filePath("bin")));
    QCOMPARE(QDir(korrin::editor::initialFolder("/usr/bin")), QDir(home.path()));
    QCOMPARE(folder("gone"), QDir(home.path()));
    QDir(home.path()).mkdir("Documents");
    QCOMPARE(QDir(korrin::editor::initialFolder("/usr/bin")), QDir(home.filePath("Documents")));
}

void TestMenus::aboutThenExit() {
    Editor editor;
    QString shown;
    Modals modals;
    modals.expect<QMessageBox>([&](QMessageBox* box) {
        shown = box->windowTitle() + '|' + box->text();
        box->button(QMessageBox::Ok)->click();
    });
    editor.trigger("mnuAbout");
    QCOMPARE(shown, QString("About|Korrin Editor\r\nv %1\r\n2008").arg(korrin::kVersion));
    editor.trigger("mnuExit");  // a question here would be an unexpected modal window
    QVERIFY(!editor->isVisible());
}

QTEST_MAIN(TestMenus)
#include "test_menus.moc"
