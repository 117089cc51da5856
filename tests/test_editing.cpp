// SPDX-License-Identifier: MIT
#include <QAbstractButton>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "editor/commondialog.h"
#include "editor/qttranslations.h"
#include "editorfixture.h"
#include "map/mapfile.h"
#include "modal.h"
#include "qtfiles.h"
#include "version.h"

using korrin::map::Byte;
using korrin::map::Grid;
using korrin::test::Editor;
using korrin::test::readFile;
using korrin::test::WhenModal;
using korrin::test::writeFile;

namespace {

struct MouseStep {
    enum Kind { Press, Move, Release } kind;
    Qt::MouseButton button;  // for Press and Release
    QPoint pixel;
};

struct CellCode {
    int x;
    int y;
    int code;
};

}  // namespace

Q_DECLARE_METATYPE(MouseStep)
Q_DECLARE_METATYPE(CellCode)

namespace {

// The pixel in the middle of field cell (x, y).
QPoint middleOf(int x, int y) {
    return {(x - 1) * 32 + 16, (y - 1) * 32 + 16};
}

MouseStep press(Qt::MouseButton button, QPoint at) {
    return {MouseStep::Press, button, at};
}
MouseStep move(QPoint at) {
    return {MouseStep::Move, Qt::NoButton, at};
}
MouseStep release(Qt::MouseButton button, QPoint at) {
    return {MouseStep::Release, button, at};
}

// Every cell 3 (bushes), so that painting (1) and erasing (0) both show.
Grid bushes() {
    Grid mass;
    for (int x = 0; x <= 14; ++x) {
        for (int y = 0; y <= 14; ++y) {
            mass(x, y) = 3;
        }
    }
    return mass;
}

QString panelText(const Editor& editor) {
    return editor.control<QLabel>("Panel1")->text();
}

QLineEdit* nameEdit(QFileDialog* dialog) {
    return dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
}

// Types `name` into the file dialog's name box and confirms it with Return.
void chooseFile(QFileDialog* dialog, const QString& name) {
    nameEdit(dialog)->setText(name);  // keyClicks() types ASCII only
    QTest::keyClick(nameEdit(dialog), Qt::Key_Return);
}

// QTest moves the pointer over a widget only while a button is held; this sends the move
// event a mouse gives with any set of buttons held.
void sendMove(QWidget* widget, QPoint at, Qt::MouseButtons held) {
    QMouseEvent event(QEvent::MouseMove, at, widget->mapToGlobal(at), Qt::NoButton, held,
                      Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

void cancel(QFileDialog* dialog) {
    QTest::keyClick(dialog, Qt::Key_Escape);
}

const QByteArray kOwnFile = korrin::test::kBrickMap;

}  // namespace

class TestEditing : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void mouse_data();
    void mouse();
    void paintingTheBaseLastsUntilTheNextTick();
    void moveWithoutButtonsOnlyReadsOut();

    void openLoadsTheChosenFile();
    void shortcutsOpenTheDialogs_data();
    void shortcutsOpenTheDialogs();
    void initialFolder_data();
    void initialFolder();
    void onlyAConfirmedNameIsOfferedAgain();
    void saveKeepsANameWithoutExtension();
    void longLoadShowsProgressAndCancels();
    void saveIntoAMissingFolderIsReported();
    void filterTextBecomesNameFilters();

    void clear_data();
    void clear();
    void aboutShowsNameVersionAndYear();
    void exitEndsWithoutAsking();
};

void TestEditing::initTestCase() {
    // CTest runs this program with LANG=ru_RU.UTF-8, as a Russian desktop would.
    QVERIFY(korrin::editor::loadQtTranslations(*qApp));
}

void TestEditing::mouse_data() {
    QTest::addColumn<int>("curTile");
    QTest::addColumn<QList<MouseStep>>("steps");
    QTest::addColumn<QList<CellCode>>("changed");
    QTest::addColumn<QString>("readOut");

    QTest::newRow("left click paints") << 1 << QList{press(Qt::LeftButton, middleOf(3, 4))}
                                       << QList<CellCode>{{3, 4, 1}} << "mass(3,4)=1";
    QTest::newRow("right click erases") << 1 << QList{press(Qt::RightButton, middleOf(3, 4))}
                                        << QList<CellCode>{{3, 4, 0}} << "mass(3,4)=0";
    QTest::newRow("middle button changes nothing")
        << 1 << QList{press(Qt::MiddleButton, middleOf(3, 4))} << QList<CellCode>{}
        << "mass(3,4)=3";
    QTest::newRow("pixel 31 is column 1") << 1 << QList{press(Qt::LeftButton, {31, 16})}
                                          << QList<CellCode>{{1, 1, 1}} << "mass(1,1)=1";
    QTest::newRow("pixel 32 is column 2") << 1 << QList{press(Qt::LeftButton, {32, 16})}
                                          << QList<CellCode>{{2, 1, 1}} << "mass(2,1)=1";
    QTest::newRow("pixel 64 is column 2") << 1 << QList{press(Qt::LeftButton, {64, 16})}
                                          << QList<CellCode>{{2, 1, 1}} << "mass(2,1)=1";
    QTest::newRow("pixel 96 is column 4") << 1 << QList{press(Qt::LeftButton, {96, 16})}
                                          << QList<CellCode>{{4, 1, 1}} << "mass(4,1)=1";
    QTest::newRow("pixel 0 is border column 0") << 1 << QList{press(Qt::LeftButton, {0, 16})}
                                                << QList<CellCode>{{0, 1, 1}} << "mass(0,1)=1";
    QTest::newRow("drag paints the cells it crosses")
        << 2
        << QList{press(Qt::LeftButton, middleOf(2, 2)),
                 move(middleOf(3, 2)),
                 move(middleOf(4, 2)),
                 move(middleOf(5, 2)),
                 move(middleOf(6, 2)),
                 release(Qt::LeftButton, middleOf(6, 2)),
                 move(middleOf(8, 2))}
        << QList<CellCode>{{2, 2, 2}, {3, 2, 2}, {4, 2, 2}, {5, 2, 2}, {6, 2, 2}} << "mass(8,2)=3";
    QTest::newRow("both buttons held change nothing while moving")
        << 1
        << QList{press(Qt::LeftButton, middleOf(2, 2)), press(Qt::RightButton, middleOf(2, 2)),
                 move(middleOf(3, 2)), move(middleOf(4, 2))}
        << QList<CellCode>{{2, 2, 0}} << "mass(4,2)=3";
    QTest::newRow("right press while left is held erases")
        << 1
        << QList{press(Qt::LeftButton, middleOf(2, 2)), move(middleOf(3, 2)),
                 press(Qt::RightButton, middleOf(3, 2))}
        << QList<CellCode>{{2, 2, 1}, {3, 2, 0}} << "mass(3,2)=0";
    QTest::newRow("left drag past the right edge writes column 14 without read-out")
        << 1 << QList{press(Qt::LeftButton, middleOf(13, 5)), move({13 * 32 + 10, 4 * 32 + 16})}
        << QList<CellCode>{{13, 5, 1}, {14, 5, 1}} << "mass(13,5)=1";
    QTest::newRow("left drag past the bottom edge writes nothing")
        << 1 << QList{press(Qt::LeftButton, middleOf(5, 13)), move({4 * 32 + 16, 13 * 32 + 10})}
        << QList<CellCode>{{5, 13, 1}} << "mass(5,13)=1";
    QTest::newRow("right drag to column 14 erases it without read-out")
        << 1 << QList{press(Qt::RightButton, middleOf(13, 5)), move({13 * 32 + 10, 4 * 32 + 16})}
        << QList<CellCode>{{13, 5, 0}, {14, 5, 0}} << "mass(13,5)=0";
    QTest::newRow("right drag past column 14 ends the event")
        << 1 << QList{press(Qt::RightButton, middleOf(13, 5)), move({14 * 32 + 20, 4 * 32 + 16})}
        << QList<CellCode>{{13, 5, 0}} << "mass(13,5)=0";
    QTest::newRow("drag above the field paints row 0")
        << 1 << QList{press(Qt::LeftButton, middleOf(3, 1)), move({2 * 32 + 16, -10})}
        << QList<CellCode>{{3, 1, 1}, {3, 0, 1}} << "mass(3,0)=1";
    QTest::newRow("drag far left changes nothing")
        << 1 << QList{press(Qt::LeftButton, middleOf(1, 3)), move({-40, 2 * 32 + 16})}
        << QList<CellCode>{{1, 3, 1}} << "mass(1,3)=1";
}

void TestEditing::mouse() {
    QFETCH(int, curTile);
    QFETCH(QList<MouseStep>, steps);
    QFETCH(QList<CellCode>, changed);
    QFETCH(QString, readOut);

    Editor editor;
    editor.control<QTimer>("Timer1")->stop();  // the redraw would impose the fixed cells
    editor->mass() = bushes();
    editor->Toolbar1_ButtonClick(curTile + 2);
    auto* picture = editor.picture();
    Qt::MouseButtons held;
    for (const MouseStep& step : steps) {
        switch (step.kind) {
            case MouseStep::Press:
                QTest::mousePress(picture, step.button, {}, step.pixel);
                held |= step.button;
                break;
            case MouseStep::Move:
                sendMove(picture, step.pixel, held);
                break;
            case MouseStep::Release:
                QTest::mouseRelease(picture, step.button, {}, step.pixel);
                held &= ~step.button;
                break;
        }
    }
    Grid expected = bushes();
    for (const CellCode& cell : changed) {
        expected(cell.x, cell.y) = static_cast<Byte>(cell.code);
    }
    QCOMPARE(editor->mass(), expected);
    QCOMPARE(panelText(editor), readOut);
}

void TestEditing::paintingTheBaseLastsUntilTheNextTick() {
    Editor editor;
    QVERIFY(editor.waitForTick());
    editor.control<QTimer>("Timer1")->stop();  // ticks come where this test calls them
    editor->Toolbar1_ButtonClick(3);
    QTest::mouseClick(editor.picture(), Qt::LeftButton, {}, middleOf(7, 13));
    QCOMPARE(panelText(editor), QString("mass(7,13)=1"));
    editor->Timer1_Timer();
    QCOMPARE(editor.cell(7, 13), Editor::tile(9));
    sendMove(editor.picture(), middleOf(7, 13), Qt::NoButton);
    QCOMPARE(panelText(editor), QString("mass(7,13)=9"));

    QTest::mouseClick(editor.picture(), Qt::LeftButton, {}, middleOf(4, 4));
    QCOMPARE(editor.cell(4, 4), Editor::tile(0));  // the screen waits for the tick
    editor->Timer1_Timer();
    QCOMPARE(editor.cell(4, 4), Editor::tile(1));
}

void TestEditing::moveWithoutButtonsOnlyReadsOut() {
    Editor editor;
    QVERIFY(panelText(editor).isEmpty());
    editor.control<QTimer>("Timer1")->stop();  // the redraw would impose the fixed cells
    editor->mass() = bushes();
    sendMove(editor.picture(), middleOf(13, 13), Qt::NoButton);
    QCOMPARE(panelText(editor), QString("mass(13,13)=3"));
    QCOMPARE(editor->mass(), bushes());
}

void TestEditing::openLoadsTheChosenFile() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("уровень 1.txt"));
    writeFile(path, kOwnFile);
    Editor editor;
    WhenModal<QFileDialog> answer([&](QFileDialog* dialog) { chooseFile(dialog, path); });
    editor.item("mnuOpen")->trigger();
    QVERIFY(answer.done());
    QCOMPARE(editor->mass()(4, 12), 1);
    QCOMPARE(editor->mass()(4, 13), 2);
}

void TestEditing::shortcutsOpenTheDialogs_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("title");
    QTest::addColumn<int>("acceptMode");
    QTest::newRow("Ctrl+O") << int(Qt::Key_O) << "Выберите файл карты"
                            << int(QFileDialog::AcceptOpen);
    QTest::newRow("Ctrl+S") << int(Qt::Key_S) << "Укажите имя для файла"
                            << int(QFileDialog::AcceptSave);
}

void TestEditing::shortcutsOpenTheDialogs() {
    QFETCH(int, key);
    QFETCH(QString, title);
    QFETCH(int, acceptMode);
    Editor editor;
    QString shownTitle;
    QStringList filters;
    QString selectedFilter;
    QString folder;
    int shownMode = -1;
    WhenModal<QFileDialog> answer([&](QFileDialog* dialog) {
        shownTitle = dialog->windowTitle();
        filters = dialog->nameFilters();
        selectedFilter = dialog->selectedNameFilter();
        folder = dialog->directory().absolutePath();
        shownMode = dialog->acceptMode();
        cancel(dialog);
    });
    QTest::keyClick(&*editor, Qt::Key(key), Qt::ControlModifier);
    QVERIFY(answer.done());
    QCOMPARE(shownTitle, title);
    QCOMPARE(shownMode, acceptMode);
    QCOMPARE(filters, (QStringList{"Map files ( *.txt)", "All (*)"}));
    QCOMPARE(selectedFilter, filters.value(0));
    QCOMPARE(folder, QDir(QCoreApplication::applicationDirPath()).absolutePath());
}

void TestEditing::initialFolder_data() {
    QTest::addColumn<QString>("program");
    QTest::addColumn<bool>("documentsExist");
    QTest::addColumn<QString>("expected");
    QTest::newRow("writable program folder") << "bin" << true << "bin";
    QTest::newRow("program folder not writable") << "gone" << true << "Documents";
    QTest::newRow("no documents folder either") << "gone" << false << "";
}

void TestEditing::initialFolder() {
    QFETCH(QString, program);
    QFETCH(bool, documentsExist);
    QFETCH(QString, expected);
    QTemporaryDir home;
    const QByteArray oldHome = qgetenv("HOME");
    qputenv("HOME", QFile::encodeName(home.path()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.filePath(".config")));
    QDir(home.path()).mkdir("bin");
    if (documentsExist) {
        QDir(home.path()).mkdir("Documents");
    }
    // "gone" does not exist, so nobody, not even root, can write to it.
    const QString folder = korrin::editor::initialFolder(home.filePath(program));
    qputenv("HOME", oldHome);
    qunsetenv("XDG_CONFIG_HOME");
    QCOMPARE(QDir(folder), QDir(home.filePath(expected)));
}

void TestEditing::onlyAConfirmedNameIsOfferedAgain() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("saved.txt"));
    Editor editor;
    QStringList offered;
    // Shows the Save dialog, notes the name it offers, then types `name` and confirms or
    // cancels.
    const auto save = [&](const QString& name, bool confirm) {
        WhenModal<QFileDialog> answer([&](QFileDialog* dialog) {
            offered << nameEdit(dialog)->text();
            if (confirm) {
                chooseFile(dialog, name);
            } else {
                nameEdit(dialog)->setText(name);
                cancel(dialog);
            }
        });
        editor.item("mnuSave")->trigger();
        return answer.done();
    };
    editor->mass()(3, 3) = 4;
    QVERIFY(save(dir.filePath("typed.txt"), false));
    QVERIFY(save(path, true));
    const QByteArray saved = readFile(path);
    editor->mass()(3, 3) = 2;
    QVERIFY(save(dir.filePath("other.txt"), false));
    QVERIFY(save(dir.filePath("other.txt"), false));
    QCOMPARE(offered, (QStringList{"", "", "saved.txt", "saved.txt"}));
    QCOMPARE(readFile(path), saved);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"saved.txt"});

    WhenModal<QFileDialog> answer([&](QFileDialog* dialog) { cancel(dialog); });
    editor.item("mnuOpen")->trigger();
    QVERIFY(answer.done());
    QCOMPARE(editor->mass()(3, 3), 2);
}

void TestEditing::saveKeepsANameWithoutExtension() {
    QTemporaryDir dir;
    Editor editor;
    QVERIFY(editor.waitForTick());
    WhenModal<QFileDialog> answer(
        [&](QFileDialog* dialog) { chooseFile(dialog, dir.filePath(QStringLiteral("level"))); });
    QTest::keyClick(&*editor, Qt::Key_S, Qt::ControlModifier);
    QVERIFY(answer.done());
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"level"});
    QCOMPARE(readFile(dir.filePath(QStringLiteral("level"))),
             QByteArray(" 13 \r\n 13 \r\n") + QByteArray("0000000000000\r\n").repeated(12) +
                 QByteArray("0000009000000\r\n"));
}

void TestEditing::longLoadShowsProgressAndCancels() {
    // A map header, then a hole that takes seconds to read; tmpfs reads holes without using
    // memory.
    const QString base = QFileInfo(QStringLiteral("/dev/shm")).isWritable()
                             ? QStringLiteral("/dev/shm")
                             : QDir::tempPath();
    QTemporaryDir dir(base + QStringLiteral("/korrin-test-XXXXXX"));
    const QString path = dir.filePath(QStringLiteral("disk.img"));
    writeFile(path, " 13 \r\n 13 \r\n");
    QVERIFY(QFile::resize(path, qint64(40) << 30));
    Editor editor;
    Grid before = bushes();
    korrin::map::ApplyFixedCells(before);  // the redraw keeps ticking during the load
    editor->mass() = before;
    bool ticked = false;
    bool modal = false;
    QString label;
    QString cancelText;
    {
        WhenModal<QMessageBox> report([](QMessageBox* box) { box->close(); });
        WhenModal<QProgressDialog> cancel([&](QProgressDialog* progress) {
            ticked = editor.waitForTick();
            modal = progress->isModal();
            label = progress->labelText();
            auto* button = progress->findChild<QPushButton*>();
            cancelText = button->text();
            button->click();
        });
        WhenModal<QFileDialog> answer([&](QFileDialog* dialog) { chooseFile(dialog, path); });
        editor.item("mnuOpen")->trigger();
        QVERIFY(cancel.done());
        QVERIFY(!report.done());
    }
    QVERIFY(ticked);
    QVERIFY(modal);
    QVERIFY(QRegularExpression(QStringLiteral("^Чтение файла «disk.img»\nПрочитано байт: [1-9]"))
                .match(label)
                .hasMatch());
    QCOMPARE(cancelText, QString("Отменить"));  // Qt's own button, in the desktop's language
    QCOMPARE(editor->mass(), before);

    // Left to finish, the same file gives the reader's own error.
    QString reported;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    WhenModal<QMessageBox> report([&](QMessageBox* box) {
        reported = box->text();
        icon = box->icon();
        box->button(QMessageBox::Ok)->click();
    });
    WhenModal<QProgressDialog> progress([](QProgressDialog*) {});
    WhenModal<QFileDialog> answer([&](QFileDialog* dialog) { chooseFile(dialog, path); });
    editor.item("mnuOpen")->trigger();
    QVERIFY(progress.done());
    QVERIFY(report.done());
    QCOMPARE(reported, QString("Run-time error '62':\n\nInput past end of file\n") + path);
    QCOMPARE(icon, QMessageBox::Critical);
    QCOMPARE(editor->mass(), before);
}

void TestEditing::saveIntoAMissingFolderIsReported() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("missing/map.txt"));
    Editor editor;
    QString reported;
    WhenModal<QMessageBox> report([&](QMessageBox* box) {
        reported = box->text();
        QTest::keyClick(box, Qt::Key_Return);
    });
    WhenModal<QFileDialog> answer([&](QFileDialog* dialog) { chooseFile(dialog, path); });
    editor.item("mnuSave")->trigger();
    QVERIFY(report.done());
    QCOMPARE(reported, QString("Run-time error '76':\n\nPath not found\n") + path);
    QVERIFY(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).isEmpty());
}

void TestEditing::filterTextBecomesNameFilters() {
    using korrin::editor::nameFiltersFrom;
    QCOMPARE(nameFiltersFrom("Map files | *.txt| All |*.*"),
             (QStringList{"Map files ( *.txt)", " All (*)"}));
    QCOMPARE(nameFiltersFrom("Text|*.txt|Maps|*.map *.txt"),
             (QStringList{"Text(*.txt)", "Maps(*.map *.txt)"}));
    QCOMPARE(nameFiltersFrom("Lonely description"), QStringList{});
}

void TestEditing::clear_data() {
    QTest::addColumn<QString>("answer");
    QTest::addColumn<bool>("cleared");
    QTest::newRow("OK") << "ok" << true;
    QTest::newRow("Cancel") << "cancel" << false;
    QTest::newRow("box closed") << "close" << false;
}

void TestEditing::clear() {
    QFETCH(QString, answer);
    QFETCH(bool, cleared);
    Editor editor;
    editor.control<QTimer>("Timer1")->stop();
    editor->mass() = bushes();
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    QString cancelText;
    WhenModal<QMessageBox> reply([&](QMessageBox* box) {
        title = box->windowTitle();
        text = box->text();
        icon = box->icon();
        buttons = box->standardButtons();
        cancelText = box->button(QMessageBox::Cancel)->text();
        if (answer == "ok") {
            box->button(QMessageBox::Ok)->click();
        } else if (answer == "cancel") {
            box->button(QMessageBox::Cancel)->click();
        } else {
            box->close();
        }
    });
    editor.item("mnuClear")->trigger();
    QVERIFY(reply.done());
    QCOMPARE(title, QString("KR Editor"));
    QCOMPARE(text, QString("Очистить карту?"));
    QCOMPARE(icon, QMessageBox::Information);
    QCOMPARE(buttons, QMessageBox::Ok | QMessageBox::Cancel);
    QCOMPARE(cancelText, QString("Отмена"));  // Qt's own text, in the desktop's language
    Grid expected = bushes();
    if (cleared) {
        korrin::map::ClearField(expected);
    }
    QCOMPARE(editor->mass(), expected);
}

void TestEditing::aboutShowsNameVersionAndYear() {
    Editor editor;
    QString title;
    QString text;
    QMessageBox::StandardButtons buttons;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    WhenModal<QMessageBox> reply([&](QMessageBox* box) {
        title = box->windowTitle();
        text = box->text();
        buttons = box->standardButtons();
        icon = box->icon();
        box->button(QMessageBox::Ok)->click();
    });
    editor.item("mnuAbout")->trigger();
    QVERIFY(reply.done());
    QCOMPARE(title, QString("About"));
    QCOMPARE(text, QString("Korrin Editor\r\nv %1\r\n2008").arg(korrin::kVersion));
    QCOMPARE(buttons, QMessageBox::Ok);
    QCOMPARE(icon, QMessageBox::Information);
}

void TestEditing::exitEndsWithoutAsking() {
    Editor editor;
    editor->mass()(5, 5) = 1;
    editor.item("mnuExit")->trigger();
    QTRY_VERIFY(!editor->isVisible());
    QVERIFY(QApplication::activeModalWidget() == nullptr);
}

QTEST_MAIN(TestEditing)
#include "test_editing.moc"
