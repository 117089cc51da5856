// SPDX-License-Identifier: MIT
// What the editor sets up as it starts: the window system, Qt's texts, the window's place.
#pragma once

#include <QByteArray>

#include <QPoint>
#include <QRect>

class QApplication;
class QString;

namespace korrin::editor {

/**
 * Chooses the window system before the application exists. Where an X server is reachable,
 * X11 comes first: its window managers draw a title bar with the window's own buttons. (On
 * Wayland the main window draws its own bar, see TitleBar.) When no window system can be used,
 * the editor says which package is missing in one line and exits with status 1.
 */
void prepareWindowSystem();

/**
 * The value QT_QPA_PLATFORM is given from what the environment holds: nothing when it is set
 * already; X11 first where DISPLAY is set; Wayland first where only WAYLAND_DISPLAY is; empty
 * (Qt's own choice) where neither is.
 */
QByteArray platformOrder(bool platformSet, bool display, bool waylandDisplay);

/** Whether Qt's Wayland plugin is in the Qt plugins folder `pluginsFolder`. */
bool waylandPluginInstalled(const QString& pluginsFolder);

/** The one line the editor prints when no window system starts. */
const char* noWindowSystemLine(bool wayland, bool pluginInstalled);

/**
 * Where a window of `size` opens on a screen whose free area is `available`: centred, or at
 * the area's top-left corner when it is wider or taller, so that its title is never off the
 * screen.
 */
QPoint windowPosition(const QRect& available, const QSize& size);

/**
 * Prepares the application as the editor starts: its name and version, the desktop entry it
 * belongs to, and Qt's own texts (dialog buttons) in the desktop's language.
 */
void setUpApplication(QApplication& app);

}  // namespace korrin::editor
