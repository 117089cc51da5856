// SPDX-License-Identifier: MIT
// The main window's own title bar, where Wayland leaves the bar to the program.
#pragma once

#include <QWidget>

class QMessageBox;
class QToolButton;

namespace korrin::editor {

/**
 * The main window's own title bar, for window systems that leave the title bar to the program
 * and whose toolkit bar would offer minimize and maximize (Qt's on Wayland): the icon, the
 * caption and a close button only. Dragging it moves the window. Dialogs keep the toolkit's.
 */
class TitleBar : public QWidget {
public:
    explicit TitleBar(QWidget* window);

    /** Whether the window system named `platformName` (Qt's platform plugin) needs it. */
    static bool needed(const QString& platformName);
    /**
     * The main window's flags on that window system: a close button only, and on Wayland no
     * bar of Qt's at all, for this one takes its place.
     */
    static Qt::WindowFlags mainWindowFlags(const QString& platformName);

    QToolButton* closeButton() const { return close_; }

    /**
     * Makes `box` wide enough that the toolkit's title bar on that window system shows its
     * whole title beside its buttons: Qt's bar on Wayland cuts a title short, a narrow
     * message box's to a few letters. Elsewhere the box stays as it is.
     */
    static void keepTitleVisible(QMessageBox& box, const QString& platformName);

protected:
    void mousePressEvent(QMouseEvent* event) override;

private:
    QToolButton* close_;
};

}  // namespace korrin::editor
