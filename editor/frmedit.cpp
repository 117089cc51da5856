// SPDX-License-Identifier: MIT
// The editor's window: its controls, menus and layout, and the handler of each event.
#include "frmedit.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <algorithm>
#include <cmath>

#include "fieldaccessible.h"
#include "loadprogress.h"
#include "map/mapfile.h"
#include "palettekeys.h"
#include "picturebox.h"
#include "render/fieldpainter.h"
#include "startup.h"
#include "titlebar.h"
#include "version.h"

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

constexpr int kNoButton = 0;
constexpr int kLeftButton = 1;
constexpr int kRightButton = 2;
constexpr int kShiftKey = 1;

const QString kLineBreak = QStringLiteral("\r\n");
const QString kMapFilter = QStringLiteral("Map files | *.txt| All |*.*");

// Rounds to the nearest integer, halves to the even neighbour.
int roundHalfEven(double value) {
    return static_cast<int>(std::nearbyint(value));
}

}  // namespace

frmEdit::frmEdit() {
    createControls();
    createMenus();
    Form_Load();
    placeControls();
    createKeyboardAccess();
}

// The form's controls and components, each made as the form designer would make it.
void frmEdit::createControls() {
    createWindow();
    createToolbar();
    createPicture();
    createStatusBar();
    createTimer();
    cDlg = std::make_unique<CommonDialog>(this);
}

void frmEdit::createWindow() {
    setObjectName(QStringLiteral("frmEdit"));
    setWindowTitle(QStringLiteral("Korrin Editor"));
    setWindowIcon(QIcon(QStringLiteral(":/icon.xpm")));
    setWindowFlags(TitleBar::mainWindowFlags(QGuiApplication::platformName()));
    // A right click on the field erases; it must not open the toolbar's menu.
    setContextMenuPolicy(Qt::NoContextMenu);
    if (TitleBar::needed(QGuiApplication::platformName())) {
        titleBar = new TitleBar(this);
    }
}

void frmEdit::createToolbar() {
    // Before the buttons exist: a screen reader may ask for one as soon as it is made.
    installPaletteAccessibility();
    Toolbar1 = new QToolBar(this);
    Toolbar1->setObjectName(QStringLiteral("Toolbar1"));
    Toolbar1->setMovable(false);
    Toolbar1->setFloatable(false);
    Toolbar1->setToolButtonStyle(Qt::ToolButtonIconOnly);
    for (int k = 1; k <= kPaletteButtons; ++k) {
        Toolbar1->addAction(QString());
    }
    connect(Toolbar1, &QToolBar::actionTriggered, this, [this](QAction* action) {
        const int button = static_cast<int>(Toolbar1->actions().indexOf(action)) + 1;
        paletteKeys->setCurrent(button - 1);  // the keyboard comes back to the button last used
        guard([=, this] { Toolbar1_ButtonClick(button); });
        showCurrentTile();
    });
    addToolBar(Qt::TopToolBarArea, Toolbar1);
}

void frmEdit::createPicture() {
    setCentralWidget(new QWidget(this));
    // Before the field exists: a screen reader asks for it as soon as it is made.
    installFieldAccessibility();
    Picture1 = new PictureBox(this);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    announceFieldChanges(Picture1);
    connect(Picture1, &PictureBox::mouseDown, this,
            [this](int Button, int Shift, double X, double Y) {
                guard([=, this] { Picture1_MouseDown(Button, Shift, X, Y); });
            });
    connect(Picture1, &PictureBox::mouseMove, this,
            [this](int Button, int Shift, double X, double Y) {
                guard([=, this] { Picture1_MouseMove(Button, Shift, X, Y); });
            });
    connect(Picture1, &PictureBox::keyDown, this, [this](int KeyCode, int Shift) {
        guard([=, this] { Picture1_KeyDown(KeyCode, Shift); });
    });
}

void frmEdit::createStatusBar() {
    sBar = new QStatusBar(this);
    sBar->setObjectName(QStringLiteral("sBar"));
    sBar->setSizeGripEnabled(false);
    sBar->setFixedHeight(kStatusBarHeight);
    sBarPanel1 = new QLabel(sBar);
    sBarPanel1->setObjectName(QStringLiteral("Panel1"));
    sBarPanel1->setFixedWidth(kPanelWidth);
    sBar->addWidget(sBarPanel1);
    setStatusBar(sBar);
}

void frmEdit::createTimer() {
    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(kTimerInterval);
    connect(Timer1, &QTimer::timeout, this, [this] { guard([this] { Timer1_Timer(); }); });
    Timer1->start();
}

QAction* frmEdit::addMenuItem(QMenu* menu, const char* name, const QString& caption,
                              void (frmEdit::*handler)()) {
    QAction* item = menu->addAction(caption);
    item->setObjectName(QLatin1String(name));
    if (handler != nullptr) {
        connect(item, &QAction::triggered, this,
                [this, handler] { guard([this, handler] { (this->*handler)(); }); });
    }
    return item;
}

void frmEdit::createMenus() {
    mnuFile = menuBar()->addMenu(QStringLiteral("Файл"));
    mnuFile->setObjectName(QStringLiteral("mnuFile"));
    mnuOpen = addMenuItem(mnuFile, "mnuOpen", QStringLiteral("Открыть"), &frmEdit::mnuOpen_Click);
    mnuOpen->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    mnuSave = addMenuItem(mnuFile, "mnuSave", QStringLiteral("Сохранить"), &frmEdit::mnuSave_Click);
    mnuSave->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    mnuL1 = mnuFile->addSeparator();
    mnuL1->setObjectName(QStringLiteral("mnuL1"));
    mnuExit = addMenuItem(mnuFile, "mnuExit", QStringLiteral("Выход"), &frmEdit::mnuExit_Click);

    mnuPravka = menuBar()->addMenu(QStringLiteral("Правка"));
    mnuPravka->setObjectName(QStringLiteral("mnuPravka"));
    mnuGrid = addMenuItem(mnuPravka, "mnuGrid", QStringLiteral("Сетка"), nullptr);
    mnuGrid->setCheckable(true);
    // Qt flips a checkable item's mark before it reports the click; the handler flips it itself.
    connect(mnuGrid, &QAction::triggered, this, [this](bool checked) {
        mnuGrid->setChecked(!checked);
        guard([this] { mnuGrid_Click(); });
    });
    mnuClear =
        addMenuItem(mnuPravka, "mnuClear", QStringLiteral("Очистка"), &frmEdit::mnuClear_Click);
    Line2 = mnuPravka->addSeparator();
    Line2->setObjectName(QStringLiteral("Line2"));
    mnuSize = mnuPravka->addMenu(QStringLiteral("Размер карты"));
    mnuSize->setObjectName(QStringLiteral("mnuSize"));
    mnuSize13 = addMenuItem(mnuSize, "mnuSize13", QStringLiteral("13 х 13"), nullptr);
    mnuSize20 = addMenuItem(mnuSize, "mnuSize20", QStringLiteral("20 х 20"), nullptr);
    mnuSize20->setEnabled(false);

    mnuHelp = menuBar()->addMenu(QStringLiteral("Помощь"));
    mnuHelp->setObjectName(QStringLiteral("mnuHelp"));
    mnuAbout =
        addMenuItem(mnuHelp, "mnuAbout", QStringLiteral("О программе"), &frmEdit::mnuAbout_Click);
}

// The form's fixed layout: client-area positions count from just below the menu bar.
void frmEdit::placeControls() {
    // The window's own title bar, if any, stands above the menu bar and the client area.
    const int titleHeight = titleBar != nullptr ? titleBar->height() : 0;
    setContentsMargins(0, titleHeight, 0, 0);
    if (titleBar != nullptr) {
        titleBar->setGeometry(0, 0, kClientWidth, titleHeight);
    }
    const int menuHeight = menuBar()->sizeHint().height();
    setFixedSize(kClientWidth, titleHeight + menuHeight + kClientHeight);
    Picture1->setGeometry(kPicture1Bounds.translated(0, titleHeight + menuHeight));
    Picture1->raise();
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        move(windowPosition(screen->availableGeometry(), size()));
    }
}

// The second way in, for the keyboard and screen readers: the field is tab stop 0 and has the
// focus at start, the palette is tab stop 1, and F10 opens the first menu as on Linux desktops.
void frmEdit::createKeyboardAccess() {
    paletteKeys = new PaletteKeys(Toolbar1);
    setTabOrder(Picture1, paletteKeys->first());
    if (titleBar != nullptr) {
        setTabOrder(paletteKeys->last(), titleBar->closeButton());
    }
    Picture1->setFocus();
    showCurrentTile();

    auto* f10 = new QAction(this);
    f10->setObjectName(QStringLiteral("keyF10"));
    f10->setShortcut(QKeySequence(Qt::Key_F10));
    connect(f10, &QAction::triggered, this,
            [this] { menuBar()->setActiveAction(mnuFile->menuAction()); });
    addAction(f10);
}

void frmEdit::Form_Load() {
    settings_.cellSize = map::kEditorSettings.cellSize;
    settings_.sizeFirst = map::kEditorSettings.sizeFirst;
    settings_.sizeSecond = map::kEditorSettings.sizeSecond;

    Toolbar1->setIconSize(QSize(render::kCellPixels, render::kCellPixels));
    const QList<QAction*> buttons = Toolbar1->actions();
    for (int k = 1; k <= kPaletteButtons; ++k) {
        const int picture = k - 1;  // 0: no picture
        buttons[k - 1]->setIcon(picture == 0 ? QIcon() : render::crispIcon(iList.picture(picture)));
        // A name for screen readers only: the buttons show no caption and no tooltip.
        Toolbar1->widgetForAction(buttons[k - 1])
            ->setAccessibleName(picture == 0 ? QStringLiteral("Без плитки")
                                             : render::tileName(picture - 1));
    }
}

// For screen readers only, as the palette shows no current tile: its button is "checked" and
// the field's description names it.
void frmEdit::showCurrentTile() {
    paletteKeys->setChosen(settings_.curTile + 1);
    Picture1->setAccessibleDescription(QStringLiteral("Текущая плитка: ") +
                                       render::tileName(settings_.curTile));
}

void frmEdit::Timer1_Timer() {
    map::ApplyFixedCells(mass_);
    render::paintField(Picture1->image(), mass_, iList, mnuGrid->isChecked());
    Picture1->setCellsShown(mass_);
    Picture1->update();
}

void frmEdit::Toolbar1_ButtonClick(int button) {
    // Button 1 is blank and chooses no tile.
    if (button >= 2) {
        settings_.curTile = static_cast<map::Byte>(button - 2);
    }
}

void frmEdit::Picture1_MouseDown(int Button, int /*Shift*/, double X, double Y) {
    pointAt(Button, X, Y);
}

void frmEdit::Picture1_MouseMove(int Button, int /*Shift*/, double X, double Y) {
    pointAt(Button, X, Y);
}

// The keys act on the keyboard cell exactly as the mouse would at its centre: an arrow moves it
// as a move with no button would, Shift with an arrow then paints, Space paints, Delete erases.
void frmEdit::Picture1_KeyDown(int KeyCode, int Shift) {
    QPoint cell = Picture1->keyboardCell();
    const bool arrow = KeyCode == Qt::Key_Left || KeyCode == Qt::Key_Right ||
                       KeyCode == Qt::Key_Up || KeyCode == Qt::Key_Down;
    if (arrow) {
        cell += KeyCode == Qt::Key_Left    ? QPoint(-1, 0)
                : KeyCode == Qt::Key_Right ? QPoint(1, 0)
                : KeyCode == Qt::Key_Up    ? QPoint(0, -1)
                                           : QPoint(0, 1);
        cell = QPoint(std::clamp(cell.x(), 1, map::kFieldSize),
                      std::clamp(cell.y(), 1, map::kFieldSize));
        Picture1->setKeyboardCell(cell);
    }
    const double half = settings_.cellSize / 2.0;
    const double X = (cell.x() - 1) * settings_.cellSize + half;
    const double Y = (cell.y() - 1) * settings_.cellSize + half;
    if (arrow) {
        Picture1_MouseMove(kNoButton, Shift, X, Y);
    }
    if ((arrow && (Shift & kShiftKey) != 0) || KeyCode == Qt::Key_Space) {
        Picture1_MouseDown(kLeftButton, Shift, X, Y);
    }
    if (KeyCode == Qt::Key_Delete || KeyCode == Qt::Key_Backspace) {
        Picture1_MouseDown(kRightButton, Shift, X, Y);
    }
}

// Both mouse events paint, erase and show the cell under the pointer.
void frmEdit::pointAt(int Button, double X, double Y) {
    const double cellSize = settings_.cellSize;
    col = roundHalfEven((cellSize / 2 + X) / cellSize);
    row = roundHalfEven((cellSize / 2 + Y) / cellSize);

    // The left button alone paints the current tile, also into the border column 14.
    if (Button == kLeftButton && col >= 0 && col <= map::kGridLast && row >= 0 &&
        row <= map::kFieldSize) {
        mass_(col, row) = settings_.curTile;
    }
    // The right button alone erases; past the border column the event ends.
    if (Button == kRightButton && col >= 0) {
        if (col > map::kGridLast) {
            return;
        }
        if (row >= 0 && row <= map::kFieldSize) {
            mass_(col, row) = map::Empty;
        }
    }
    if (col >= 0 && col <= map::kFieldSize && row >= 0 && row <= map::kFieldSize) {
        sBarPanel1->setText(
            QStringLiteral("mass(%1,%2)=%3").arg(col).arg(row).arg(mass_(col, row)));
    }
}

void frmEdit::mnuOpen_Click() {
    cDlg->setInitDir(initialFolder(QCoreApplication::applicationDirPath()));
    cDlg->setDialogTitle(QStringLiteral("Выберите файл карты"));
    cDlg->setFilter(kMapFilter);
    if (cDlg->showOpen() && !cDlg->fileName().isEmpty()) {
        LoadMap(cDlg->fileName());
    }
}

void frmEdit::mnuSave_Click() {
    cDlg->setFilter(kMapFilter);
    cDlg->setDialogTitle(QStringLiteral("Укажите имя для файла"));
    cDlg->setInitDir(initialFolder(QCoreApplication::applicationDirPath()));
    if (cDlg->showSave() && !cDlg->fileName().isEmpty()) {
        SaveMap(cDlg->fileName());
    }
}

void frmEdit::mnuExit_Click() {
    // Ends at once: nothing asks about unsaved changes.
    close();
    QCoreApplication::quit();
}

void frmEdit::mnuGrid_Click() {
    mnuGrid->setChecked(!mnuGrid->isChecked());
}

void frmEdit::mnuClear_Click() {
    QMessageBox prompt(QMessageBox::Information, QStringLiteral("KR Editor"),
                       QStringLiteral("Очистить карту?"), QMessageBox::Ok | QMessageBox::Cancel,
                       this);
    TitleBar::keepTitleVisible(prompt, QGuiApplication::platformName());
    if (prompt.exec() == QMessageBox::Ok) {
        map::ClearField(mass_);
    }
}

void frmEdit::mnuAbout_Click() {
    const QString version =
        QStringLiteral("%1.%2.%3").arg(kVersionMajor).arg(kVersionMinor).arg(kVersionPatch);
    const QString text = QStringLiteral("Korrin Editor") + kLineBreak + QStringLiteral("v ") +
                         version + kLineBreak + QStringLiteral("2008");
    QMessageBox about(QMessageBox::Information, QStringLiteral("About"), text, QMessageBox::Ok,
                      this);
    TitleBar::keepTitleVisible(about, QGuiApplication::platformName());
    about.exec();
}

void frmEdit::SaveMap(const QString& fileName) {
    map::SaveMap(fileName.toStdString(), mass_, settings_);
}

// The grid changes here, on the event thread, all at once and only when the load succeeded.
void frmEdit::LoadMap(const QString& fileName) {
    if (const std::optional<map::Grid> loaded = loadWithProgress(this, fileName, mass_)) {
        mass_ = *loaded;
    }
}

void frmEdit::guard(const std::function<void()>& handler) {
    try {
        handler();
    } catch (const map::Error& error) {
        reportError(error);
    } catch (...) {
        // Any other exception is this program's own fault: report it and keep the window running.
        reportError(map::Error(map::ErrorNumber::InternalError));
    }
}

void frmEdit::reportError(const map::Error& error) {
    QString text = QStringLiteral("Run-time error '%1':\n\n%2")
                       .arg(error.number())
                       .arg(QString::fromUtf8(error.description().data(),
                                              static_cast<qsizetype>(error.description().size())));
    if (!error.path().empty()) {
        text += QLatin1Char('\n') + QString::fromStdString(error.path());
    }
    QMessageBox box(QMessageBox::Critical, windowTitle(), text, QMessageBox::Ok, this);
    box.setObjectName(QStringLiteral("errorBox"));
    TitleBar::keepTitleVisible(box, QGuiApplication::platformName());
    box.exec();
}

}  // namespace korrin::editor
