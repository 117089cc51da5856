// SPDX-License-Identifier: MIT
#include <QLabel>
#include <QMenu>
#include <QStatusBar>
#include <QToolButton>

#include "editorfixture.h"

using korrin::test::Editor;

namespace {

// One line per menu item, indented by level: its name, its caption ("-" for a separator) and
// whatever else it carries.
void describeMenu(const QList<QAction*>& actions, const QString& indent, QStringList& lines) {
    for (const QAction* action : actions) {
        const QMenu* menu = action->menu();
        const QString caption = action->isSeparator() ? QString("-") : action->text();
        QString line = indent + (menu ? menu->objectName() : action->objectName()) + ' ' + caption;
        if (!action->shortcut().isEmpty()) {
            line += ' ' + action->shortcut().toString();
        }
        if (action->isCheckable()) {
            line += action->isChecked() ? " checked" : " unchecked";
        }
        if (!action->isEnabled()) {
            line += " disabled";
        }
        if (!action->isVisible()) {
            line += " hidden";
        }
        lines << line;
        if (menu) {
            describeMenu(menu->actions(), indent + "  ", lines);
        }
    }
}

bool isRed(QRgb pixel) {
    return pixel == qRgb(255, 0, 0);
}

}  // namespace

class TestWindow : public QObject {
    Q_OBJECT

private slots:
    void menuBarAtStart();
    void windowIsFixedWithACloseButtonOnly();
    void controlsSitWhereTheFormPutsThem();
    void startsBlankThenTheFirstTickDrawsTheBase();
    void tickDrawsEachCodesPictureAndRestoresFixedCells();
    void gridLines_data();
    void gridLines();
    void paletteButtonsShowTheirPictures();
    void paletteClick_data();
    void paletteClick();
};

void TestWindow::menuBarAtStart() {
    Editor editor;
    QStringList lines;
    describeMenu(editor->menuBar()->actions(), "", lines);
    QCOMPARE(lines, (QStringList{
                        "mnuFile Файл",
                        "  mnuOpen Открыть Ctrl+O",
                        "  mnuSave Сохранить Ctrl+S",
                        "  mnuL1 -",
                        "  mnuExit Выход",
                        "mnuPravka Правка",
                        "  mnuGrid Сетка unchecked",
                        "  mnuClear Очистка",
                        "  Line2 -",
                        "  mnuSize Размер карты",
                        "    mnuSize13 13 \u0445 13",
                        "    mnuSize20 20 \u0445 20 disabled",
                        "mnuHelp Помощь",
                        "  mnuAbout О программе",
                    }));
}

void TestWindow::windowIsFixedWithACloseButtonOnly() {
    Editor editor;
    QCOMPARE(editor->windowTitle(), QString("Korrin Editor"));
    QVERIFY(!editor->windowIcon().isNull());
    const Qt::WindowFlags flags = editor->windowFlags();
    QVERIFY(flags.testFlag(Qt::WindowCloseButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowMaximizeButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowMinimizeButtonHint));
    QCOMPARE(editor->minimumSize(), editor->maximumSize());
    const int menuHeight = editor->menuBar()->height();
    QCOMPARE(editor->size(), QSize(429, menuHeight + 484));
}

void TestWindow::controlsSitWhereTheFormPutsThem() {
    Editor editor;
    const int menuHeight = editor->menuBar()->height();
    auto* picture = editor.picture();
    QCOMPARE(QRect(picture->mapTo(&*editor, QPoint(0, 0)) - QPoint(0, menuHeight), picture->size()),
             QRect(8, 48, 417, 417));
    QCOMPARE(editor->toolBarArea(editor.control<QToolBar>("Toolbar1")), Qt::TopToolBarArea);
    QVERIFY(!editor.control<QToolBar>("Toolbar1")->isMovable());
    const auto* sBar = editor.control<QStatusBar>("sBar");
    QCOMPARE(sBar->geometry().bottom(), editor->height() - 1);
    QVERIFY(sBar->geometry().top() >= picture->geometry().bottom());
    const auto* panel = editor.control<QLabel>("Panel1");
    QCOMPARE(panel->width(), 200);
    QVERIFY(panel->text().isEmpty());
}

void TestWindow::startsBlankThenTheFirstTickDrawsTheBase() {
    {
        // Checked before any event is served, so that no tick can have come yet.
        korrin::editor::frmEdit window;
        QCOMPARE(window.settings().cellSize, 480);
        QCOMPARE(window.settings().sizeFirst, 13);
        QCOMPARE(window.settings().sizeSecond, 13);
        QCOMPARE(window.settings().curTile, 0);
        QCOMPARE(window.mass(), korrin::map::Grid{});
        const QImage blank = window.findChild<korrin::editor::PictureBox*>("Picture1")->image();
        QCOMPARE(blank.pixel(100, 100), blank.pixel(0, 0));
        QVERIFY(blank.pixel(0, 0) != qRgb(0, 0, 0));
    }
    Editor editor;
    QVERIFY(editor.waitForTick());
    QCOMPARE(editor->mass()(7, 13), 9);
    for (int x = 1; x <= 13; ++x) {
        for (int y = 1; y <= 13; ++y) {
            QCOMPARE(editor.cell(x, y), Editor::tile(x == 7 && y == 13 ? 9 : 0));
        }
    }
}

void TestWindow::tickDrawsEachCodesPictureAndRestoresFixedCells() {
    Editor editor;
    for (int code = 0; code <= 9; ++code) {
        editor->mass()(code + 2, 5) = static_cast<korrin::map::Byte>(code);
    }
    editor->mass()(1, 1) = 1;
    editor->mass()(5, 13) = 4;
    QVERIFY(editor.waitForTick());
    for (int code = 0; code <= 9; ++code) {
        QCOMPARE(editor.cell(code + 2, 5), Editor::tile(code));
    }
    QCOMPARE(editor.cell(1, 1), Editor::tile(0));
    QCOMPARE(editor.cell(5, 13), Editor::tile(0));
    QCOMPARE(editor->mass()(1, 1), 0);
}

void TestWindow::gridLines_data() {
    QTest::addColumn<bool>("checked");
    QTest::newRow("off") << false;
    QTest::newRow("on") << true;
}

void TestWindow::gridLines() {
    QFETCH(bool, checked);
    Editor editor;
    QAction* mnuGrid = editor.item("mnuGrid");
    if (checked) {
        mnuGrid->trigger();
    }
    QCOMPARE(mnuGrid->isChecked(), checked);
    QVERIFY(editor.waitForTick());
    const QImage image = editor.picture()->image();
    QList<int> vertical;
    QList<int> horizontal;
    for (int at = 0; at <= 416; ++at) {
        bool down = true;
        bool across = true;
        for (int along = 0; along < 416; ++along) {
            down = down && isRed(image.pixel(at, along));
            across = across && isRed(image.pixel(along, at));
        }
        if (down) {
            vertical << at;
        }
        if (across) {
            horizontal << at;
        }
    }
    const QList<int> expected =
        checked ? QList<int>{64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384} : QList<int>{};
    QCOMPARE(vertical, expected);
    QCOMPARE(horizontal, expected);
    QVERIFY(!isRed(image.pixel(32, 5)));  // no line between cells 1 and 2
    QVERIFY(!isRed(image.pixel(416, 64)));

    mnuGrid->trigger();
    QCOMPARE(mnuGrid->isChecked(), !checked);
    QVERIFY(editor.waitForTick());
    QCOMPARE(isRed(editor.picture()->image().pixel(64, 5)), !checked);
}

void TestWindow::paletteButtonsShowTheirPictures() {
    Editor editor;
    const auto* toolbar = editor.control<QToolBar>("Toolbar1");
    const QList<QAction*> buttons = toolbar->actions();
    QCOMPARE(buttons.size(), 10);
    QVERIFY(buttons[0]->icon().isNull());
    for (int k = 1; k <= 10; ++k) {
        const QAction* button = buttons[k - 1];
        QVERIFY(button->text().isEmpty());
        QVERIFY(button->toolTip().isEmpty());
        QVERIFY(!button->isCheckable());
        if (k >= 2) {
            const QImage shown =
                button->icon().pixmap(32, 32).toImage().convertToFormat(QImage::Format_RGB32);
            QCOMPARE(shown, Editor::tile(k - 2));
        }
    }
}

void TestWindow::paletteClick_data() {
    QTest::addColumn<QList<int>>("clicks");
    QTest::addColumn<int>("curTile");
    QTest::newRow("none") << QList<int>{} << 0;
    QTest::newRow("button 2") << QList<int>{3, 2} << 0;
    QTest::newRow("button 3") << QList<int>{3} << 1;
    QTest::newRow("button 3 twice") << QList<int>{3, 3} << 1;
    QTest::newRow("button 10") << QList<int>{10} << 8;
    QTest::newRow("blank button 1 keeps the tile") << QList<int>{4, 1} << 2;
}

void TestWindow::paletteClick() {
    QFETCH(QList<int>, clicks);
    QFETCH(int, curTile);
    Editor editor;
    auto* toolbar = editor.control<QToolBar>("Toolbar1");
    for (int button : clicks) {
        QWidget* widget = toolbar->widgetForAction(toolbar->actions()[button - 1]);
        QTest::mouseClick(widget, Qt::LeftButton);
        QVERIFY(!qobject_cast<QToolButton*>(widget)->isDown());
    }
    QCOMPARE(editor->settings().curTile, curTile);
}

QTEST_MAIN(TestWindow)
#include "test_window.moc"
