// SPDX-License-Identifier: MIT
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QTemporaryDir>
#include <QToolBar>

#include "editor/commondialog.h"
#include "editor/qttranslations.h"
#include "editorfixture.h"
#include "qtfiles.h"
#include "render/imagelist.h"
#include "version.h"

using korrin::map::Grid;
using korrin::test::Editor;
using korrin::test::WhenModal;

namespace {

// A press of the button, or with Qt::NoButton a move with the buttons pressed so far held.
using Step = std::pair<Qt::MouseButton, QPoint>;
constexpr Qt::MouseButton kLeft = Qt::LeftButton;
constexpr Qt::MouseButton kMove = Qt::NoButton;

QLineEdit* nameEdit(QFileDialog* dialog) {
    return dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
}

// Types `name` into the file dialog's name box, then confirms it with Return or cancels.
void answer(QFileDialog* dialog, const QString& name, bool confirm = true) {
    nameEdit(dialog)->setText(name);  // keyClicks() types ASCII only
    QTest::keyClick(confirm ? static_cast<QWidget*>(nameEdit(dialog)) : dialog,
                    confirm ? Qt::Key_Return : Qt::Key_Escape);
}

}  // namespace

class TestEditing : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(korrin::editor::loadQtTranslations(*qApp)); }
    void tilePicturesFitTogether();
    void ticksDrawTheFieldAndItsGrid();
    void mouse_data();
    void mouse();
    void openAndSaveThroughTheDialog();
    void longLoadShowsProgressAndCancels();
    void clearAsksFirst();
    void initialFolder();
    void aboutThenExit();  // last: Exit quits the application
};

void TestEditing::tilePicturesFitTogether() {
    const korrin::render::ImageList iList;
    for (int n = 1; n <= 10; ++n) {
        QCOMPARE(iList.picture(n).size(), QSize(32, 32));
    }
    // Pictures 6 .. 9 are the right, left, bottom and top halves of brick picture 2.
    const QList<QRect> halves{{16, 0, 16, 32}, {0, 0, 16, 32}, {0, 16, 32, 16}, {0, 0, 32, 16}};
    for (int n = 6; n <= 9; ++n) {
        for (int y = 0; y < 32; ++y) {
            for (int x = 0; x < 32; ++x) {
                const QRgb brick = iList.picture(2).pixel(x, y);
                QCOMPARE(iList.picture(n).pixel(x, y),
                         halves[n - 6].contains(x, y) ? brick : 0xff000000);
            }
        }
    }
}

void TestEditing::ticksDrawTheFieldAndItsGrid() {
    Editor editor;
    QSignalSpy ticks(editor.timer(), &QTimer::timeout);
    QTest::qWait(1100);
    QVERIFY2(ticks.count() >= 3, "the field is redrawn every 200 ms");

    for (int code = 0; code <= 9; ++code) {
        editor->mass()(code + 2, 5) = static_cast<korrin::map::Byte>(code);
    }
    editor->mass()(1, 1) = 1;  // fixed cells: the tick takes them back
    editor->mass()(5, 13) = 4;
    editor->mass()(7, 13) = 0;
    const korrin::render::ImageList iList;
    const auto shows = [&](int x, int y, int code) {
        const QImage tile = iList.picture(code + 1).convertToFormat(QImage::Format_RGB32);
        return editor.picture()->image().copy((x - 1) * 32, (y - 1) * 32, 32, 32) == tile;
    };
    QVERIFY(editor.waitForTick());
    for (int code = 0; code <= 9; ++code) {
        QVERIFY(shows(code + 2, 5, code));
    }
    QVERIFY(shows(1, 1, 0) && shows(5, 13, 0) && shows(7, 13, 9) && shows(5, 2, 0));

    // Red lines after columns and rows 2 .. 12 (not 1); the item toggled twice is off.
    for (bool on : {true, false}) {
        editor.trigger("mnuGrid");
        QVERIFY(editor.waitForTick());
        const QImage image = editor.picture()->image();
        const QRgb red = qRgb(255, 0, 0);
        QList<int> lines;  // per pixel: 1 for a line down the field there, 2 across, 3 both
        QList<int> expected;
        for (int at = 0; at <= 416; ++at) {
            lines << (image.pixel(at, 100) == red) + 2 * (image.pixel(100, at) == red);
            expected << (on && at % 32 == 0 && at >= 64 && at <= 384 ? 3 : 0);
        }
        QCOMPARE(lines, expected);
    }
}

void TestEditing::mouse_data() {
    QTest::addColumn<QList<int>>("palette");  // the palette buttons clicked first
    QTest::addColumn<QList<Step>>("steps");
    QTest::addColumn<QList<QPoint>>("changed");
    QTest::addColumn<int>("code");  // what the changed cells then hold
    QTest::addColumn<QString>("readOut");

    // Cell (x, y) spans pixels (x - 1) * 32 .. x * 32 - 1, 15 twips each. Pixel 32 is 480 twips,
    // the middle of cell 1 | 2; pixel 64 (960) is 2 | 3: halves to even.
    QTest::newRow("rounding") << QList{4, 1} << QList<Step>{{kLeft, {32, 16}}, {kMove, {64, 16}}}
                              << QList<QPoint>{{2, 1}} << 2 << "mass(2,1)=2";
    QTest::newRow("left paints border column 14 without read-out")
        << QList{3} << QList<Step>{{kLeft, {400, 144}}, {kMove, {426, 144}}}
        << QList<QPoint>{{13, 5}, {14, 5}} << 1 << "mass(13,5)=1";
    QTest::newRow("left paints row 0 and column 0")
        << QList{10} << QList<Step>{{kLeft, {0, 16}}, {kMove, {80, -10}}}
        << QList<QPoint>{{0, 1}, {3, 0}} << 8 << "mass(3,0)=8";
    QTest::newRow("left paints no row 14 nor column -1")
        << QList<int>{} << QList<Step>{{kLeft, {144, 400}}, {kMove, {144, 426}}, {kMove, {-40, 80}}}
        << QList<QPoint>{{5, 13}} << 0 << "mass(5,13)=0";
    QTest::newRow("right erases column 14, past it the event ends")
        << QList<int>{}
        << QList<Step>{{Qt::RightButton, {400, 144}}, {kMove, {426, 144}}, {kMove, {468, 144}}}
        << QList<QPoint>{{13, 5}, {14, 5}} << 0 << "mass(13,5)=0";
    QTest::newRow("right press while left is held erases, both held do nothing")
        << QList{3}
        << QList<Step>{{kLeft, {48, 48}}, {Qt::RightButton, {48, 48}}, {kMove, {80, 48}}}
        << QList<QPoint>{{2, 2}} << 0 << "mass(3,2)=3";
}

void TestEditing::mouse() {
    QFETCH(QList<int>, palette);
    QFETCH(QList<Step>, steps);
    QFETCH(QList<QPoint>, changed);
    QFETCH(int, code);
    QFETCH(QString, readOut);

    Editor editor;
    editor.timer()->stop();  // the redraw would impose the fixed cells
    Grid expected;
    for (int x = 0; x <= 14; ++x) {
        for (int y = 0; y <= 14; ++y) {
            expected(x, y) = 3;  // bushes, so that painting and erasing both show
        }
    }
    editor->mass() = expected;
    auto* toolbar = editor.control<QToolBar>("Toolbar1");
    for (int button : palette) {
        QTest::mouseClick(toolbar->widgetForAction(toolbar->actions()[button - 1]), kLeft);
    }
    WhenModal<QMessageBox> error([](QMessageBox* box) { box->close(); });
    Qt::MouseButtons held;
    for (auto [button, at] : steps) {
        if (button != kMove) {
            QTest::mousePress(editor.picture(), button, {}, at);
            held |= button;
            continue;
        }
        // QTest moves the pointer only while a button is held; a mouse sends moves always.
        QMouseEvent move(QEvent::MouseMove, at, editor.picture()->mapToGlobal(at), kMove, held, {});
        QApplication::sendEvent(editor.picture(), &move);
    }
    QVERIFY2(!error.done, "no error box");
    for (QPoint cell : changed) {
        expected(cell.x(), cell.y()) = static_cast<korrin::map::Byte>(code);
    }
    QCOMPARE(editor->mass(), expected);
    QCOMPARE(editor.control<QLabel>("Panel1")->text(), readOut);
}

void TestEditing::openAndSaveThroughTheDialog() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("уровень 1.txt"));
    korrin::test::writeFile(path, korrin::test::kBrickMap);
    Editor editor;
    QStringList seen;  // title, filters, folder and offered name of each dialog shown
    // Presses Ctrl with `key`, notes what the dialog shows, then answers it with `name`.
    const auto use = [&](Qt::Key key, const QString& name, bool confirm = true) {
        WhenModal<QFileDialog> reply([&](QFileDialog* dialog) {
            seen << dialog->windowTitle() << dialog->nameFilters().join('|')
                 << dialog->directory().absolutePath() << nameEdit(dialog)->text();
            answer(dialog, name, confirm);
        });
        QApplication::setActiveWindow(editor.window.get());  // back from the last dialog
        QTest::keyClick(editor.window.get(), key, Qt::ControlModifier);
    };
    use(Qt::Key_O, path);
    QVERIFY(editor->mass()(4, 12) == 1 && editor->mass()(4, 13) == 2);
    use(Qt::Key_S, dir.filePath("typed.txt"), false);
    use(Qt::Key_S, dir.filePath("level"));  // saved as typed, without ".txt"
    const QString filters = "Map files ( *.txt)|All (*)";
    const QString folder = QCoreApplication::applicationDirPath();  // then the last file's
    const QString save = "Укажите имя для файла";
    QCOMPARE(seen,
             (QStringList{"Выберите файл карты", filters, folder, "", save, filters, dir.path(),
                          "уровень 1.txt", save, filters, dir.path(), "уровень 1.txt"}));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), (QStringList{"level", "уровень 1.txt"}));
    QVERIFY(korrin::test::readFile(dir.filePath("level")).startsWith(" 13 \r\n 13 \r\n1111111"));

    // An error is reported with its number, description and path; the editor carries on.
    QString reported;
    WhenModal<QMessageBox> report([&](QMessageBox* box) {
        reported = box->text();
        QTest::keyClick(box, Qt::Key_Return);
    });
    use(Qt::Key_S, dir.filePath("missing/map.txt"));
    QCOMPARE(reported,
             "Run-time error '76':\n\nPath not found\n" + dir.filePath("missing/map.txt"));
    QVERIFY(editor.waitForTick());
}

void TestEditing::longLoadShowsProgressAndCancels() {
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
    WhenModal<QMessageBox> report([](QMessageBox* box) { box->close(); });
    QSignalSpy ticks(editor.timer(), &QTimer::timeout);
    WhenModal<QProgressDialog> cancel([&](QProgressDialog* progress) {
        // Up within a few ticks (counted, not timed), and the field is still redrawn.
        ticked = ticks.count() < 25 && editor.waitForTick();
        shown = progress->labelText() + '|' + progress->findChild<QPushButton*>()->text();
        progress->findChild<QPushButton*>()->click();
    });
    WhenModal<QFileDialog> reply([&](QFileDialog* dialog) { answer(dialog, path); });
    editor.trigger("mnuOpen");
    QVERIFY(cancel.done && ticked && !report.done);
    // Qt's own Cancel button speaks the desktop's language.
    QVERIFY(shown.startsWith("Чтение файла «disk.img»\nПрочитано байт: ") &&
            !shown.contains(": 0|") && shown.endsWith("|Отменить"));
    QCOMPARE(editor->mass()(3, 3), 4);

    // Left to finish, a smaller such file gives the reader's own error, and nothing changes.
    report.timer->stop();
    QVERIFY(QFile::resize(path, qint64(4) << 30));
    QString reported;
    WhenModal<QMessageBox> error([&](QMessageBox* box) {
        reported = box->text();
        box->button(QMessageBox::Ok)->click();
    });
    WhenModal<QFileDialog> again([&](QFileDialog* dialog) { answer(dialog, path); });
    editor.trigger("mnuOpen");
    QCOMPARE(reported, "Run-time error '62':\n\nInput past end of file\n" + path);
    QCOMPARE(editor->mass()(3, 3), 4);
}

void TestEditing::clearAsksFirst() {
    for (int reply : {int(QMessageBox::Ok), int(QMessageBox::Cancel), 0}) {  // 0: box closed
        Editor editor;
        editor.timer()->stop();
        Grid expected;
        for (int x = 0; x <= 14; ++x) {
            for (int y = 0; y <= 14; ++y) {
                editor->mass()(x, y) = 3;
                expected(x, y) =
                    reply == QMessageBox::Ok && x >= 2 && x <= 12 && y >= 2 && y <= 12 ? 0 : 3;
            }
        }
        QString cancelText;
        WhenModal<QMessageBox> prompt([&](QMessageBox* box) {
            cancelText = box->button(QMessageBox::Cancel)->text();
            reply ? box->button(QMessageBox::StandardButton(reply))->click() : void(box->close());
        });
        editor.trigger("mnuClear");
        QCOMPARE(cancelText, QString("Отмена"));  // Qt's own text, in the desktop's language
        QCOMPARE(editor->mass(), expected);
    }
}

void TestEditing::initialFolder() {
    QTemporaryDir home;
    const QByteArray oldHome = qgetenv("HOME");
    qputenv("HOME", QFile::encodeName(home.path()));
    qunsetenv("XDG_CONFIG_HOME");  // so that the folder settings come from the new home too
    const auto folder = [&](const char* program) {
        return QDir(korrin::editor::initialFolder(home.filePath(program)));
    };
    QDir(home.path()).mkdir("bin");
    QCOMPARE(folder("bin"), QDir(home.filePath("bin")));  // the program's, being writable
    QCOMPARE(folder("gone"), QDir(home.path()));  // "gone" does not exist: nobody can write there
    QDir(home.path()).mkdir("Documents");
    QCOMPARE(folder("gone"), QDir(home.filePath("Documents")));
    qputenv("HOME", oldHome);
}

void TestEditing::aboutThenExit() {
    Editor editor;
    QString shown;
    WhenModal<QMessageBox> reply([&](QMessageBox* box) {
        shown = box->windowTitle() + '|' + box->text();
        box->button(QMessageBox::Ok)->click();
    });
    editor.trigger("mnuAbout");
    QCOMPARE(shown, QString("About|Korrin Editor\r\nv %1\r\n2008").arg(korrin::kVersion));
    editor.trigger("mnuExit");  // a question here would never be answered
    QTRY_VERIFY(!editor->isVisible());
}

QTEST_MAIN(TestEditing)
#include "test_editing.moc"
