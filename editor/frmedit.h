// SPDX-License-Identifier: MIT
// The editor's window: its controls, menus and layout, and the handler of each event.
#pragma once

#include <QMainWindow>
#include <functional>
#include <memory>

#include "commondialog.h"
#include "map/error.h"
#include "map/grid.h"
#include "render/imagelist.h"

class QAction;
class QLabel;
class QMenu;
class QStatusBar;
class QTimer;
class QToolBar;

namespace korrin::editor {

class PaletteKeys;
class PictureBox;
class TitleBar;

/** The editor's one window: the palette, the field, the status read-out and the menus. */
class frmEdit : public QMainWindow {
    Q_OBJECT

public:
    frmEdit();

    /** The map being edited. */
    map::Grid& mass() { return mass_; }
    /** The shared settings: cell size, current tile and the map file's counts. */
    const map::Settings& settings() const { return settings_; }

    void Form_Load();
    void Timer1_Timer();
    void Toolbar1_ButtonClick(int button);
    void Picture1_MouseDown(int Button, int Shift, double X, double Y);
    void Picture1_MouseMove(int Button, int Shift, double X, double Y);
    void Picture1_KeyDown(int KeyCode, int Shift);
    void mnuOpen_Click();
    void mnuSave_Click();
    void mnuExit_Click();
    void mnuGrid_Click();
    void mnuClear_Click();
    void mnuAbout_Click();

private:
    void createControls();
    void createWindow();
    void createToolbar();
    void createPicture();
    void createStatusBar();
    void createTimer();
    void createMenus();
    void placeControls();
    void createKeyboardAccess();
    void showCurrentTile();
    QAction* addMenuItem(QMenu* menu, const char* name, const QString& caption,
                         void (frmEdit::*handler)());
    void pointAt(int Button, double X, double Y);
    void SaveMap(const QString& fileName);
    void LoadMap(const QString& fileName);

    /**
     * Runs one event's handler; an error it raises is reported and the editor carries on.
     * Anything that is not a map::Error is reported as 51, Internal error.
     */
    void guard(const std::function<void()>& handler);
    void reportError(const map::Error& error);

    map::Grid mass_;
    map::Settings settings_;
    render::ImageList iList;

    TitleBar* titleBar = nullptr;  // only where the window system leaves the bar to the window
    QToolBar* Toolbar1 = nullptr;
    PaletteKeys* paletteKeys = nullptr;
    PictureBox* Picture1 = nullptr;
    QStatusBar* sBar = nullptr;
    QLabel* sBarPanel1 = nullptr;
    QTimer* Timer1 = nullptr;
    std::unique_ptr<CommonDialog> cDlg;

    // The cell under the pointer at the last mouse event.
    int col = 0;
    int row = 0;

    QMenu* mnuFile = nullptr;
    QAction* mnuOpen = nullptr;
    QAction* mnuSave = nullptr;
    QAction* mnuL1 = nullptr;
    QAction* mnuExit = nullptr;
    QMenu* mnuPravka = nullptr;
    QAction* mnuGrid = nullptr;
    QAction* mnuClear = nullptr;
    QAction* Line2 = nullptr;
    QMenu* mnuSize = nullptr;
    QAction* mnuSize13 = nullptr;
    QAction* mnuSize20 = nullptr;
    QMenu* mnuHelp = nullptr;
    QAction* mnuAbout = nullptr;
};

}  // namespace korrin::editor
