// SPDX-License-Identifier: MIT
// The editor's window and field: start-up, the pictures, the mouse, the keyboard and what a
// screen reader finds, on the real window driven by events.
#include <QAbstractButton>
#include <QAccessible>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPainter>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QToolBar>
#include <QToolButton>

#include "editor/fieldaccessible.h"
#include "editor/startup.h"
#include "editor/titlebar.h"
#include "editorfixture.h"
#include "map/error.h"
#include "qtfiles.h"
#include "render/fieldpainter.h"
#include "render/imagelist.h"

using korrin::editor::TitleBar;
using korrin::map::Grid;
using korrin::test::Editor;
using korrin::test::gridOf;
using korrin::test::Modals;
using korrin::test::tilePicture;

namespace {

// What Picture1 must show for `mass`: the tiles from the top-left corner, the red lines after
// columns and rows 2 .. 12 across the field, and the box's own colour in its last pixel row
// and column.
QImage fieldPicture(const Grid& mass, bool grid, QColor background) {
    QImage field(417, 417, QImage::Format_RGB32);
    field.fill(background);
    korrin::test::paintTiles(field, QPoint(0, 0), mass);
    QPainter painter(&field);
    for (int k = 2; grid && k <= 12; ++k) {
        painter.fillRect(k * 32, 0, 1, 416, Qt::red);
        painter.fillRect(0, k * 32, 416, 1, Qt::red);
    }
    return field;
}

// Whether `picture` appears unchanged somewhere in `shown`.
bool shows(const QImage& shown, const QImage& picture) {
    const QImage image = shown.convertToFormat(QImage::Format_RGB32);
    for (int top = 0; top + picture.height() <= image.height(); ++top) {
        for (int left = 0; left + picture.width() <= image.width(); ++left) {
            if (image.copy(left, top, picture.width(), picture.height()) == picture) {
                return true;
            }
        }
    }
    return false;
}

// `field` as shown with the keyboard frame on cell (x, y), at `ratio` screen pixels to one of
// the image's: within the cell's screen pixels, one band of black along its edge, then two of
// white, each a whole number of screen pixels wide.
QImage framed(const QImage& field, QPoint cell, qreal ratio) {
    QImage expected = field;
    const int band = std::max(1, qRound(ratio));
    const auto edge = [ratio](int cells) { return qRound(cells * 32 * ratio); };
    for (int y = edge(cell.y() - 1); y < edge(cell.y()); ++y) {
        for (int x = edge(cell.x() - 1); x < edge(cell.x()); ++x) {
            const int inward = std::min({x - edge(cell.x() - 1), edge(cell.x()) - 1 - x,
                                         y - edge(cell.y() - 1), edge(cell.y()) - 1 - y});
            if (inward < 3 * band) {
                expected.setPixel(x, y, inward < band ? qRgb(0, 0, 0) : qRgb(255, 255, 255));
            }
        }
    }
    return expected;
}

}  // namespace

class TestWindow : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init() { QTest::failOnWarning(QRegularExpression(korrin::test::kUnexpectedModal)); }
    void windowSystem_data();
    void windowSystem();
    void windowPlacement();
    void startUp();
    void windowPicture();
    void paletteStaysCrisp();
    void ownTitleBar();
    void mouse_data();
    void mouse();
    void keyboard();
    void keyboardFrame();
    void menuKeyAndCellIds();
    void screenReader();
    void screenReaderAnswers();
    void screenReaderIsTold();
};

// Qt's messages while the window system starts are held back, and go out once it has started.
void TestWindow::initTestCase() {
    korrin::editor::prepareWindowSystem();
    qWarning("said while starting");
    QTest::ignoreMessage(QtWarningMsg, "said while starting");
    korrin::editor::setUpApplication(*qApp);
}

// The window system tried first, by what the environment holds, and the line shown when none
// starts, by whether Qt's Wayland plugin is in a plugins folder laid out as Qt's.
void TestWindow::windowSystem_data() {
    QTest::addColumn<bool>("platformSet");
    QTest::addColumn<bool>("display");
    QTest::addColumn<bool>("waylandDisplay");
    QTest::addColumn<QByteArray>("order");
    QTest::addColumn<bool>("plugin");
    QTest::addColumn<QString>("line");
    const QString none =
        "cannot open a window: no X11 display or Wayland compositor was reached "
        "(for Wayland, install the package qt6-wayland)";
    const QString plugin = "cannot open a window on Wayland: install the package qt6-wayland";
    QTest::newRow("set") << true << true << true << QByteArray() << false << plugin;
    QTest::newRow("X11") << false << true << false << QByteArray("xcb;wayland") << true << none;
    QTest::newRow("both") << false << true << true << QByteArray("xcb;wayland") << true << none;
    QTest::newRow("Wayland") << false << false << true << QByteArray("wayland;xcb") << false
                             << plugin;
    QTest::newRow("Wayland with plugin")
        << false << false << true << QByteArray("wayland;xcb") << true << none;
    QTest::newRow("neither") << false << false << false << QByteArray() << false << none;
}

void TestWindow::windowSystem() {
    QFETCH(bool, platformSet);
    QFETCH(bool, display);
    QFETCH(bool, waylandDisplay);
    QFETCH(QByteArray, order);
    QFETCH(bool, plugin);
    QFETCH(QString, line);
    QCOMPARE(korrin::editor::platformOrder(platformSet, display, waylandDisplay), order);
    QTemporaryDir plugins;
    QVERIFY(QDir(plugins.path()).mkdir("platforms"));
    if (plugin) {
        QFile file(plugins.filePath("platforms/libqwayland-generic.so"));
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    QCOMPARE(korrin::editor::waylandPluginInstalled(plugins.path()), plugin);
    QCOMPARE(korrin::editor::noWindowSystemLine(waylandDisplay, plugin), "korrin-editor: " + line);
}

// Where the window opens: centred on the screen's free area, or at its top-left corner when it
// does not fit (a 1280 x 900 screen at scale 2, a panel at the top), never above the screen.
void TestWindow::windowPlacement() {
    using korrin::editor::windowPosition;
    const QSize window(429, 520);
    QCOMPARE(windowPosition(QRect(0, 0, 1920, 1080), window), QPoint(745, 280));
    QCOMPARE(windowPosition(QRect(0, 32, 1920, 1048), window), QPoint(745, 296));
    QCOMPARE(windowPosition(QRect(0, 0, 429, 520), window), QPoint(0, 0));
    QCOMPARE(windowPosition(QRect(0, 16, 640, 434), window), QPoint(0, 16));   // too tall
    QCOMPARE(windowPosition(QRect(50, 0, 428, 1000), window), QPoint(50, 0));  // too wide
    // Only on Wayland the main window goes without the toolkit's bar, and draws its own.
    for (const auto& [platform, own] : {std::pair{"wayland", true},
                                        {"wayland-egl", true},
                                        {"xcb", false},
                                        {"offscreen", false}}) {
        QWidget window(nullptr, TitleBar::mainWindowFlags(platform));
        const Qt::WindowFlags flags = window.windowFlags();  // as Qt keeps them
        QCOMPARE(TitleBar::needed(platform), own);
        QCOMPARE(flags.testFlag(Qt::FramelessWindowHint), own);
        QVERIFY(flags.testFlag(Qt::WindowCloseButtonHint) != own &&
                !(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
        // A narrow message box grows there, so that Qt's bar shows its whole title.
        QMessageBox box(QMessageBox::Information, "About", "x", QMessageBox::Ok);
        const int narrow = box.sizeHint().width();
        TitleBar::keepTitleVisible(box, platform);
        QCOMPARE(box.sizeHint().width() > narrow, own);
        QVERIFY(!own ||
                box.sizeHint().width() >= box.fontMetrics().horizontalAdvance("About") + 160);
    }
}

// The window as the program starts it, and its first redraw by the running timer.
void TestWindow::startUp() {
    Editor editor;
    // The names the window's parts go by, for anyone who looks them up.
    for (const char* name :
         {"frmEdit", "Toolbar1", "Picture1", "sBar", "Panel1", "Timer1", "mnuFile", "mnuL1",
          "mnuPravka", "Line2", "mnuSize", "mnuHelp", "keyF10"}) {
        QVERIFY2(editor->findChild<QObject*>(name) != nullptr || editor->objectName() == name,
                 name);
    }
    QCOMPARE(editor->windowTitle(), QString("Korrin Editor"));
    QVERIFY(!editor->windowIcon().isNull());
    QVERIFY(
        !(editor->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
    const int menuHeight = editor->menuBar()->height();
    QCOMPARE(editor->size(), QSize(429, menuHeight + 484));
    QCOMPARE(editor.picture()->geometry(), QRect(8, menuHeight + 48, 417, 417));
    QCOMPARE(editor.control<QStatusBar>("sBar")->geometry(), QRect(0, menuHeight + 467, 429, 17));
    QCOMPARE(editor.control<QLabel>("Panel1")->width(), 200);
    QCOMPARE(editor.control<QLabel>("Panel1")->text(), QString());
    QVERIFY(!editor.control<QToolBar>("Toolbar1")->isMovable());  // no handle, no other place
    QCOMPARE(editor.timer()->interval(), 200);
    QVERIFY(editor.timer()->isActive());
    QVERIFY(!editor.control<QAction>("mnuGrid")->isChecked());
    QCOMPARE(QCoreApplication::applicationName(), QString("Korrin Editor"));

    QVERIFY(editor.waitForTick());
    Grid expected;
    expected(7, 13) = 9;
    QCOMPARE(editor->mass(), expected);
    const QColor background = editor.picture()->palette().color(QPalette::Window);
    QCOMPARE(editor.shown(), fieldPicture(expected, false, background));
}

// A session with the palette and the mouse, then the grid: the field and the palette must show
// exactly the artist's pictures, in their places, and nothing else. Cell (x, y) has its centre
// at pixel (32 x - 16, 32 y - 16).
void TestWindow::windowPicture() {
    Editor editor;
    editor.timer()->stop();  // ticks by hand, after the strokes
    // A stroke; the blank button 1 keeps the tile; the fixed cells (1, 1) and (7, 13) return.
    editor.play(
        "3 L48,48 M80,48 M112,48 . 6 L144,144 . 10 L400,400 . 1 L368,368 . 5 L16,16 . "
        "L208,400 . 4 L176,208 . R80,48 . 7 L240,240 . 8 L272,240 . 9 L304,240 . 2 2 "
        "L48,272 .");
    QCOMPARE(editor.readOut(), QString("mass(2,9)=0"));
    editor.trigger("mnuGrid");
    editor->Timer1_Timer();
    const Grid expected = gridOf(
        "0000000000000 0101000000000 0000000000000 0000000000000 0000400000000 0000000000000 "
        "0000020000000 0000000567000 0000000000000 0000000000000 0000000000000 0000000000080 "
        "0000009000008");
    const QColor background = editor.picture()->palette().color(QPalette::Window);
    QCOMPARE(editor.shown(), fieldPicture(expected, true, background));

    // Button k shows picture k - 1, with no caption or tooltip; button 1 none.
    auto* toolbar = editor.control<QToolBar>("Toolbar1");
    for (int k = 1; k <= 10; ++k) {
        QAction* action = toolbar->actions()[k - 1];
        QVERIFY(action->text().isEmpty() && action->toolTip().isEmpty());
        const QImage shown = editor.button(k)->grab().toImage();
        QVERIFY2(k == 1 ? action->icon().isNull() : shows(shown, tilePicture(k - 1)),
                 qPrintable(QString::number(k)));
        QVERIFY(k == 2 || !shows(shown, tilePicture(1)));  // no button 2 .. 10 but 2 is black
    }
    editor.trigger("mnuGrid");
    editor->Timer1_Timer();
    QCOMPARE(editor.shown(), fieldPicture(expected, false, background));
}

// At any screen scale a palette button shows its tile's own colours and no blend of them: all
// its colours are the tile's or those of the blank button's frame. CTest runs this at 1.5x and 2x.
void TestWindow::paletteStaysCrisp() {
    Editor editor;
    const auto colours = [](const QImage& image) {
        QSet<QRgb> found;
        const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
        for (int y = 0; y < rgb.height(); ++y) {
            for (int x = 0; x < rgb.width(); ++x) {
                found.insert(rgb.pixel(x, y));
            }
        }
        return found;
    };
    const QSet<QRgb> frame = colours(editor.button(1)->grab().toImage());
    for (int k = 2; k <= 10; ++k) {
        const QSet<QRgb> tile = colours(tilePicture(k - 1));
        const QSet<QRgb> shown = colours(editor.button(k)->grab().toImage());
        QVERIFY2((shown - frame - tile).isEmpty() && (tile - shown).isEmpty(),
                 qPrintable(QString("button %1: %2 colours of its own")
                                .arg(k)
                                .arg((shown - frame - tile).size())));
    }
}

// The bar the window draws where Wayland leaves it to the window: its caption, and one button,
// which closes the window from the mouse and the keyboard.
void TestWindow::ownTitleBar() {
    for (const bool byKey : {false, true}) {
        QWidget window;
        window.setWindowTitle("Korrin Editor");
        QPixmap icon(32, 32);
        icon.fill(Qt::yellow);
        window.setWindowIcon(icon);
        auto* bar = new TitleBar(&window);
        window.show();
        QCOMPARE(bar->accessibleName(), QString("Korrin Editor"));
        const QStringList captions = [&] {
            QStringList texts;
            for (const QLabel* label : bar->findChildren<QLabel*>()) {
                texts << label->text();
            }
            return texts;
        }();
        QVERIFY(captions.contains("Korrin Editor"));
        const auto labels = bar->findChildren<QLabel*>();
        QVERIFY(std::any_of(labels.begin(), labels.end(), [](const QLabel* label) {
            return label->pixmap().deviceIndependentSize() == QSizeF(16, 16);
        }));  // the icon, at the desktop's small size
        const auto buttons = bar->findChildren<QAbstractButton*>();
        QCOMPARE(buttons.size(), 1);
        QCOMPARE(buttons[0]->accessibleName(), QString("Закрыть"));
        QVERIFY(buttons[0]->isVisible() && buttons[0]->x() > bar->width() / 2);  // at the end
        QVERIFY(buttons[0]->focusPolicy() & Qt::TabFocus);
        QVERIFY(bar->closeButton() == buttons[0]);
        // A press on the bar hands the move to the window system, which may refuse it.
        QTest::mousePress(bar, Qt::LeftButton, {}, QPoint(5, 5));
        QTest::mousePress(bar, Qt::RightButton, {}, QPoint(5, 5));
        QVERIFY(window.isVisible());
        if (byKey) {
            buttons[0]->setFocus();
            QTest::keyClick(buttons[0], Qt::Key_Space);
        } else {
            QTest::mouseClick(buttons[0], Qt::LeftButton);
        }
        QVERIFY(!window.isVisible());
    }
}

void TestWindow::mouse_data() {
    QTest::addColumn<QString>("script");   // as Editor::play() plays it, on a field of bushes
    QTest::addColumn<QString>("changed");  // the cells that change, as "x,y x,y"
    QTest::addColumn<int>("code");         // what they then hold
    QTest::addColumn<QString>("readOut");

    // Cell (x, y) spans pixels (x - 1) * 32 .. x * 32 - 1, 15 twips each. Pixel 32 is 480 twips,
    // the middle of cell 1 | 2; pixel 64 (960) is 2 | 3: halves to even.
    QTest::newRow("rounding") << "4 1 L32,16 M64,16"
                              << "2,1" << 2 << "mass(2,1)=2";
    QTest::newRow("left paints border column 14 without read-out")
        << "3 L400,144 M426,144"
        << "13,5 14,5" << 1 << "mass(13,5)=1";
    QTest::newRow("left paints row 0 and column 0") << "10 L0,16 M80,-10"
                                                    << "0,1 3,0" << 8 << "mass(3,0)=8";
    QTest::newRow("left paints no row 14 nor column -1") << "L144,400 M144,426 M-40,80"
                                                         << "5,13" << 0 << "mass(5,13)=0";
    QTest::newRow("right erases column 14, past it the event ends")
        << "R400,144 M426,144 M468,144"
        << "13,5 14,5" << 0 << "mass(13,5)=0";
    QTest::newRow("right erases row 0 and column 0") << "R0,16 M80,-10"
                                                     << "0,1 3,0" << 0 << "mass(3,0)=0";
    QTest::newRow("right drag left of and above the field: nothing, no error")
        << "R48,48 M-40,48 M48,-40 M-200,-200"
        << "2,2" << 0 << "mass(2,2)=0";
    QTest::newRow("right press while left is held erases, both held do nothing")
        << "3 L48,48 R48,48 M80,48"
        << "2,2" << 0 << "mass(3,2)=3";
    QTest::newRow("left paints nothing past column 14 nor above row 0")
        << "3 L400,144 M500,144 M80,-40"
        << "13,5" << 1 << "mass(13,5)=1";
    QTest::newRow("right erases nothing below row 13") << "R144,400 M144,470"
                                                       << "5,13" << 0 << "mass(5,13)=0";
    QTest::newRow("middle button and moves with none held only read out")
        << "6 C48,48 . M80,80"
        << "" << 0 << "mass(3,3)=3";
}

void TestWindow::mouse() {
    QFETCH(QString, script);
    QFETCH(QString, changed);
    QFETCH(int, code);
    QFETCH(QString, readOut);

    Editor editor;
    editor.timer()->stop();  // the redraw would impose the fixed cells
    Grid expected;           // bushes everywhere, so that painting and erasing both show
    for (int cell = 0; cell < 15 * 15; ++cell) {
        expected(cell % 15, cell / 15) = 3;
    }
    editor->mass() = expected;
    Modals none;  // an error box fails the test
    editor.play(script);
    QCoreApplication::processEvents();
    for (const QString& cell : changed.split(' ', Qt::SkipEmptyParts)) {
        expected(cell.section(',', 0, 0).toInt(), cell.section(',', 1).toInt()) =
            static_cast<korrin::map::Byte>(code);
    }
    QCOMPARE(editor->mass(), expected);
    QCOMPARE(editor.readOut(), readOut);
}

// The palette and the field from the keyboard alone, as a user without a mouse works.
void TestWindow::keyboard() {
    Editor editor;
    editor.timer()->stop();
    QApplication::setActiveWindow(editor.window.get());
    QCOMPARE(QApplication::focusWidget(), editor.picture());
    const QImage before = editor.shown();
    editor.play("Tab");  // the palette, at button 1
    QCOMPARE(QApplication::focusWidget(), editor.button(1));
    editor.play("End Right Left Left Space");  // button 8: left half; no button after 10
    QCOMPARE(QApplication::focusWidget(), editor.button(8));
    editor.play("Home Left Right Right Return");  // Enter chooses the brick
    QCOMPARE(QApplication::focusWidget(), editor.button(3));
    // The focused button wears a frame in the selection colour, two pixels wide at its edge.
    const QImage button = editor.button(3)->grab().toImage();
    const QRgb highlight = editor.button(3)->palette().color(QPalette::Highlight).rgb();
    const int right = button.width() - 1;
    const int middle = button.height() / 2;
    QCOMPARE(
        QList({button.pixel(0, middle), button.pixel(1, middle), button.pixel(right - 1, middle),
               button.pixel(right, middle), button.pixel(middle, 1)}),
        QList<QRgb>(5, highlight));
    QVERIFY(button.pixel(2, middle) != highlight && button.pixel(middle, 2) != highlight);
    QCOMPARE(editor.shown(), before);  // no frame before a key
    editor.play("Shift+Tab");
    QCOMPARE(QApplication::focusWidget(), editor.picture());

    editor.play("Right Right Down");
    QCOMPARE(editor.readOut(), QString("mass(3,2)=0"));
    editor.play("Space Shift+Down Shift+Down Up");
    QCOMPARE(editor.readOut(), QString("mass(3,3)=1"));
    editor.play("Del Left Left Left Up Up Up Space");  // stops at column 1, row 1
    QCOMPARE(editor.readOut(), QString("mass(1,1)=1"));
    editor.play("Tab Right Shift+Tab");  // the palette is back at button 4, not clicked
    editor.play(QString("Shift+Right ").repeated(14));  // a stroke along row 1, to the edge
    editor.play("Tab Right Space Shift+Tab Backspace");
    QCOMPARE(editor.readOut(), QString("mass(13,1)=0"));
    editor.play("Down Space");
    QCOMPARE(editor.readOut(), QString("mass(13,2)=3"));  // button 5: bushes
    // (3, 3) was painted by the stroke, then erased.
    QCOMPARE(editor->mass(), gridOf("1111111111110 0010000000003 0000000000000 0010000000000 "
                                    "0000000000000 0000000000000 0000000000000 0000000000000 "
                                    "0000000000000 0000000000000 0000000000000 0000000000000 "
                                    "0000000000000"));

    // The frame marks the keyboard cell over the picture, never in it, until the mouse moves.
    editor->Timer1_Timer();
    const QImage field = editor.picture()->image().convertToFormat(QImage::Format_RGB32);
    QCOMPARE(editor.shown(), framed(field, {13, 2}, 1));
    editor.play("M5,5");
    QCOMPARE(editor.shown(), field);
    editor.play("Left");  // one cell, from the keyboard cell; the mouse did not move it
    QCOMPARE(editor.readOut(), QString("mass(12,2)=0"));
    // Only Shift paints with an arrow, whatever else is held with it.
    const Grid painted = editor->mass();
    editor.play("Ctrl+Left Alt+Down Ctrl+Alt+Right");
    QCOMPARE(editor.readOut(), QString("mass(12,3)=0"));
    QCOMPARE(editor->mass(), painted);
    editor.play("Ctrl+Shift+Up");
    QCOMPARE(editor.readOut(), QString("mass(12,2)=3"));
}

// F10 opens the first menu, as on Linux desktops; a cell's accessible id goes with its field,
// so that a screen reader that kept it finds nothing there.
void TestWindow::menuKeyAndCellIds() {
    Editor editor;
    QApplication::setActiveWindow(editor.window.get());
    editor.play("F10");
    QCOMPARE(editor->menuBar()->activeAction(), editor.control<QMenu>("mnuFile")->menuAction());
    editor->menuBar()->setActiveAction(nullptr);

    QAccessible::Id id = 0;
    {
        Editor other;
        id = QAccessible::uniqueId(
            QAccessible::queryAccessibleInterface(other.picture())->tableInterface()->cellAt(1, 2));
        QVERIFY(QAccessible::accessibleInterface(id) != nullptr);
    }
    QCOMPARE(QAccessible::accessibleInterface(id), nullptr);
}

// The keyboard frame at every scale CTest runs this at: it lies exactly on the cell's screen
// pixels, and it shows at once when the keyboard brings the focus to the field, never when the
// mouse does.
void TestWindow::keyboardFrame() {
    Editor editor;
    editor.timer()->stop();
    editor->Timer1_Timer();
    QApplication::setActiveWindow(editor.window.get());
    QVERIFY(!editor.picture()->keyboardFrameShown());  // the picture of one who never uses keys
    const QImage field = editor.shown();
    const qreal ratio = editor.picture()->devicePixelRatioF();
    editor.play("Tab Shift+Tab");
    QCOMPARE(editor.shown(), framed(field, {1, 1}, ratio));
    editor.play("Right Down");
    QCOMPARE(editor.shown(), framed(field, {2, 2}, ratio));
    editor.play("Tab");
    QTest::mouseClick(editor.picture(), Qt::LeftButton, {}, QPoint(200, 200));
    QCOMPARE(QApplication::focusWidget(), editor.picture());
    QCOMPARE(editor.shown(), field);

    // Back from a dialog: framed if a key opened it, not if the mouse was used last.
    for (const bool byKey : {true, false}) {
        Modals modals;
        modals.expect<QFileDialog>([](QFileDialog* dialog) { dialog->reject(); });
        if (byKey) {
            QTest::keyClick(editor.window.get(), Qt::Key_O, Qt::ControlModifier);
        } else {
            QTest::mouseClick(editor.picture(), Qt::LeftButton, {}, QPoint(200, 200));
            editor.trigger("mnuOpen");
        }
        QVERIFY(modals.allAnswered());
        QApplication::setActiveWindow(editor.window.get());
        QCOMPARE(editor.shown(), byKey ? framed(field, {2, 2}, ratio) : field);
    }
}

// What a screen reader finds: the names, roles, the table and its focused cell.
void TestWindow::screenReader() {
    Editor editor;
    editor.timer()->stop();
    QApplication::setActiveWindow(editor.window.get());
    QStringList names;
    for (int k = 1; k <= 10; ++k) {
        QAccessibleInterface* button = QAccessible::queryAccessibleInterface(editor.button(k));
        names << button->text(QAccessible::Name) +
                     (button->role() == QAccessible::Button ? "" : "?");
    }
    QCOMPARE(names,
             (QStringList{"Без плитки", "Пустое поле", "Кирпичная стена", "Стальной блок", "Кусты",
                          "Вода", "Кирпич: правая половина", "Кирпич: левая половина",
                          "Кирпич: нижняя половина", "Кирпич: верхняя половина"}));

    QAccessibleInterface* field = QAccessible::queryAccessibleInterface(editor.picture());
    QCOMPARE(field->role(), QAccessible::Table);
    QCOMPARE(field->text(QAccessible::Name), QString("Карта"));
    QAccessibleTableInterface* table = field->tableInterface();
    QCOMPARE(QList({field->childCount(), table->rowCount(), table->columnCount()}),
             QList({169, 13, 13}));
    const auto name = [&](int x, int y) {
        return table->cellAt(y - 1, x - 1)->text(QAccessible::Name);
    };
    // A cell follows the grid as the redraw shows it, not before.
    editor->mass()(3, 2) = 1;
    QCOMPARE(name(3, 2), QString("Столбец 3, строка 2: Пустое поле"));
    editor->Timer1_Timer();
    QCOMPARE(name(3, 2), QString("Столбец 3, строка 2: Кирпичная стена"));
    QCOMPARE(name(7, 13), QString("Столбец 7, строка 13: База"));
    QAccessibleInterface* cell = table->cellAt(1, 2);
    QCOMPARE(cell->role(), QAccessible::Cell);
    QVERIFY(field->indexOfChild(cell) == 15 && field->child(15) == cell);
    const auto* place = cell->tableCellInterface();
    QCOMPARE(QPoint(place->columnIndex(), place->rowIndex()), QPoint(2, 1));
    QCOMPARE(field->childAt(cell->rect().center().x(), cell->rect().center().y()), cell);
    const QPoint corner = table->cellAt(12, 12)->rect().bottomRight();
    QCOMPARE(field->childAt(corner.x(), corner.y()), table->cellAt(12, 12));
    QCOMPARE(field->childAt(corner.x() + 1, corner.y()), nullptr);
    const QPoint origin = table->cellAt(0, 0)->rect().topLeft();
    QCOMPARE(field->childAt(origin.x() - 1, origin.y()), nullptr);
    QCOMPARE(field->childAt(origin.x(), origin.y() - 1), nullptr);
    QCOMPARE(cell->indexOfChild(field), -1);

    QCOMPARE(field->focusChild(), table->cellAt(0, 0));
    editor.play("Right Right Down");
    QCOMPARE(field->focusChild(), cell);
    QVERIFY(cell->state().focused && !table->cellAt(0, 0)->state().focused);

    QCOMPARE(QAccessible::queryAccessibleInterface(editor.control<QLabel>("Panel1"))
                 ->text(QAccessible::Name),
             QString("mass(3,2)=1"));
}

// What the field's table and its cells answer to the rest of what a screen reader may ask.
void TestWindow::screenReaderAnswers() {
    Editor editor;
    editor.timer()->stop();
    QApplication::setActiveWindow(editor.window.get());
    editor->mass()(3, 2) = 1;
    editor->Timer1_Timer();
    QAccessibleInterface* field = QAccessible::queryAccessibleInterface(editor.picture());
    QAccessibleTableInterface* table = field->tableInterface();
    QAccessibleInterface* cell = table->cellAt(1, 2);
    const auto* place = cell->tableCellInterface();
    // The cells a redraw announces: the field's corners, not the border around it.
    korrin::map::Grid before, after;
    for (const auto& [x, y] : {std::pair{1, 1}, {13, 1}, {1, 13}, {13, 13}, {0, 0}, {14, 7}}) {
        after(x, y) = 1;
    }
    QCOMPARE(korrin::editor::changedCells(before, after), QList({0, 12, 156, 168}));
    QCOMPARE(QStringList({korrin::render::tileName(-1), korrin::render::tileName(0),
                          korrin::render::tileName(9), korrin::render::tileName(10)}),
             QStringList({"", "Пустое поле", "База", ""}));

    QVERIFY(!table->caption() && !table->summary() && !table->cellAt(13, 0) &&
            !table->cellAt(0, 13) && !table->cellAt(-1, 0) && !table->cellAt(0, -1));
    QCOMPARE(QStringList({table->columnDescription(0), table->rowDescription(12)}),
             QStringList({"Столбец 1", "Строка 13"}));
    QVERIFY(cell->isValid() && cell->parent() == field && !cell->object() && !cell->child(0) &&
            cell->childCount() == 0 && !cell->childAt(0, 0) && !cell->focusChild());
    QCOMPARE(cell->window(), editor.window->windowHandle());
    cell->setText(QAccessible::Name, "x");
    QCOMPARE(QStringList({cell->text(QAccessible::Name), cell->text(QAccessible::Description)}),
             QStringList({"Столбец 3, строка 2: Кирпичная стена", ""}));
    QAccessibleInterface* button = QAccessible::queryAccessibleInterface(editor.button(1));
    QVERIFY(!field->child(-1) && !field->child(169) && field->child(168) &&
            field->indexOfChild(button) == -1 && field->indexOfChild(nullptr) == -1 &&
            field->interface_cast(QAccessible::TableInterface) == table &&
            !field->interface_cast(QAccessible::TableCellInterface));
    editor.button(1)->setFocus();
    QVERIFY(!field->focusChild() && !cell->state().focused);
    QVERIFY(!cell->interface_cast(QAccessible::TableInterface) && !place->isSelected() &&
            place->columnHeaderCells().isEmpty() && place->rowHeaderCells().isEmpty() &&
            place->columnExtent() == 1 && place->rowExtent() == 1 && place->table() == field);
}

// What a screen reader is told as the user works: the keyboard cell as the focused cell when
// the field gets the focus, and which palette button holds the current tile.
void TestWindow::screenReaderIsTold() {
    Editor editor;
    editor.timer()->stop();
    QApplication::setActiveWindow(editor.window.get());
    QSignalSpy focusedCell(editor.picture(), &korrin::editor::PictureBox::focusedCellChanged);
    editor.play("Right Down Tab Shift+Tab");
    QCOMPARE(focusedCell.count(), 2);  // the arrows; the focus is told after Qt tells its own
    QVERIFY(focusedCell.wait(1000));
    QAccessibleInterface* field = QAccessible::queryAccessibleInterface(editor.picture());
    QCOMPARE(field->focusChild(), field->tableInterface()->cellAt(1, 1));

    const auto checked = [&] {
        QList<int> buttons;
        for (int k = 1; k <= 10; ++k) {
            const QAccessible::State state =
                QAccessible::queryAccessibleInterface(editor.button(k))->state();
            buttons << (state.checked ? k : 0) * (state.checkable ? 1 : -1);
        }
        buttons.removeAll(0);
        return buttons;
    };
    QCOMPARE(checked(), QList({2}));  // curTile 0
    QCOMPARE(field->text(QAccessible::Description), QString("Текущая плитка: Пустое поле"));
    editor.play("5 1");  // bushes; the blank button chooses nothing
    QCOMPARE(checked(), QList({5}));
    QCOMPARE(field->text(QAccessible::Description), QString("Текущая плитка: Кусты"));
    // Pressed by a screen reader, a button chooses its tile as a click does.
    QAccessibleActionInterface* press =
        QAccessible::queryAccessibleInterface(editor.button(10))->actionInterface();
    QVERIFY(press->actionNames().contains(QAccessibleActionInterface::pressAction()));
    press->doAction(QAccessibleActionInterface::pressAction());
    QCOMPARE(checked(), QList({10}));
    QCOMPARE(editor->settings().curTile, 8);
    press->doAction(QAccessibleActionInterface::setFocusAction());  // Qt's own actions still
    QCOMPARE(QApplication::focusWidget(), editor.button(10));
}

QTEST_MAIN(TestWindow)
#include "test_window.moc"
