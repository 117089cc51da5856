// SPDX-License-Identifier: MIT
#include "frmedit.h"

#include <QAction>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>

#include "fieldpainter.h"
#include "picturebox.h"

namespace korrin::editor {

namespace {

constexpr int pixels(int twips) {
    return twips / map::kTwipsPerPixel;
}

// The window's layout in twips, as the form was designed at 15 twips per pixel.
constexpr int kClientWidth = pixels(6435);
constexpr int kClientHeight = pixels(7260);
constexpr QRect kPicture1Bounds{pixels(120), pixels(720), pixels(6255), pixels(6255)};
constexpr int kStatusBarHeight = pixels(255);
constexpr int kPanelWidth = pixels(3000);

constexpr int kTimerInterval = 200;  // milliseconds
constexpr int kPaletteButtons = map::kTileCount;

}  // namespace

frmEdit::frmEdit() {
    createControls();
    createMenus();
    Form_Load();
    placeControls();
}

void frmEdit::createControls() {
    setObjectName(QStringLiteral("frmEdit"));
    setWindowTitle(QStringLiteral("Korrin Editor"));
    setWindowIcon(QIcon(QStringLiteral(":/icon.xpm")));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    // A right click on the field erases; it must not open the toolbar's menu.
    setContextMenuPolicy(Qt::NoContextMenu);

    Toolbar1 = new QToolBar(this);
    Toolbar1->setObjectName(QStringLiteral("Toolbar1"));
    Toolbar1->setMovable(false);
    Toolbar1->setFloatable(false);
    Toolbar1->setToolButtonStyle(Qt::ToolButtonIconOnly);
    for (int k = 1; k <= kPaletteButtons; ++k) {
        Toolbar1->addAction(QString());
    }
    connect(Toolbar1, &QToolBar::actionTriggered, this, [this](QAction* action) {
        Toolbar1_ButtonClick(static_cast<int>(Toolbar1->actions().indexOf(action)) + 1);
    });
    addToolBar(Qt::TopToolBarArea, Toolbar1);

    setCentralWidget(new QWidget(this));
    Picture1 = new PictureBox(this);
    Picture1->setObjectName(QStringLiteral("Picture1"));

    sBar = new QStatusBar(this);
    sBar->setObjectName(QStringLiteral("sBar"));
    sBar->setSizeGripEnabled(false);
    sBar->setFixedHeight(kStatusBarHeight);
    sBarPanel1 = new QLabel(sBar);
    sBarPanel1->setObjectName(QStringLiteral("Panel1"));
    sBarPanel1->setFixedWidth(kPanelWidth);
    sBar->addWidget(sBarPanel1);
    setStatusBar(sBar);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(kTimerInterval);
    connect(Timer1, &QTimer::timeout, this, &frmEdit::Timer1_Timer);
    Timer1->start();
}

QAction* frmEdit::addMenuItem(QMenu* menu, const char* name, const QString& caption) {
    QAction* item = menu->addAction(caption);
    item->setObjectName(QLatin1String(name));
    return item;
}

void frmEdit::createMenus() {
    mnuFile = menuBar()->addMenu(QStringLiteral("Файл"));
    mnuFile->setObjectName(QStringLiteral("mnuFile"));
    mnuOpen = addMenuItem(mnuFile, "mnuOpen", QStringLiteral("Открыть"));
    mnuOpen->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    mnuSave = addMenuItem(mnuFile, "mnuSave", QStringLiteral("Сохранить"));
    mnuSave->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    mnuL1 = mnuFile->addSeparator();
    mnuL1->setObjectName(QStringLiteral("mnuL1"));
    mnuExit = addMenuItem(mnuFile, "mnuExit", QStringLiteral("Выход"));

    mnuPravka = menuBar()->addMenu(QStringLiteral("Правка"));
    mnuPravka->setObjectName(QStringLiteral("mnuPravka"));
    mnuGrid = addMenuItem(mnuPravka, "mnuGrid", QStringLiteral("Сетка"));
    mnuGrid->setCheckable(true);
    mnuClear = addMenuItem(mnuPravka, "mnuClear", QStringLiteral("Очистка"));
    Line2 = mnuPravka->addSeparator();
    Line2->setObjectName(QStringLiteral("Line2"));
    mnuSize = mnuPravka->addMenu(QStringLiteral("Размер карты"));
    mnuSize->setObjectName(QStringLiteral("mnuSize"));
    mnuSize13 = addMenuItem(mnuSize, "mnuSize13", QStringLiteral("13 х 13"));
    mnuSize20 = addMenuItem(mnuSize, "mnuSize20", QStringLiteral("20 х 20"));
    mnuSize20->setEnabled(false);

    mnuHelp = menuBar()->addMenu(QStringLiteral("Помощь"));
    mnuHelp->setObjectName(QStringLiteral("mnuHelp"));
    mnuAbout = addMenuItem(mnuHelp, "mnuAbout", QStringLiteral("О программе"));
}

// The form's fixed layout: client-area positions count from just below the menu bar.
void frmEdit::placeControls() {
    const int menuHeight = menuBar()->sizeHint().height();
    setFixedSize(kClientWidth, menuHeight + kClientHeight);
    Picture1->setGeometry(kPicture1Bounds.translated(0, menuHeight));
    Picture1->raise();
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
}

void frmEdit::Form_Load() {
    settings_.cellSize = map::kCellSize;
    settings_.sizeFirst = map::kFieldSize;
    settings_.sizeSecond = map::kFieldSize;

    Toolbar1->setIconSize(QSize(kCellPixels, kCellPixels));
    const QList<QAction*> buttons = Toolbar1->actions();
    for (int k = 1; k <= kPaletteButtons; ++k) {
        const int picture = k - 1;  // 0: no picture
        buttons[k - 1]->setIcon(picture == 0 ? QIcon()
                                             : QIcon(QPixmap::fromImage(iList.picture(picture))));
    }
}

void frmEdit::Timer1_Timer() {
    map::ApplyFixedCells(mass_);
    paintField(Picture1->image(), mass_, iList, mnuGrid->isChecked());
    Picture1->update();
}

void frmEdit::Toolbar1_ButtonClick(int button) {
    // Button 1 is blank and chooses no tile.
    if (button >= 2) {
        settings_.curTile = static_cast<map::Byte>(button - 2);
    }
}

}  // namespace korrin::editor
