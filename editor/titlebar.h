// SPDX-License-Identifier: MIT
#pragma once

#include <QWidget>

class QToolButton;

namespace korrin::editor {

/**
 * The window's own title bar, for window systems that leave the title bar to the program and
 * whose toolkit bar would offer minimize and maximize (Qt's on Wayland): the icon, the caption
 * and a close button only. Dragging it moves the window.
 */
class TitleBar : public QWidget {
public:
    explicit TitleBar(QWidget* window);

    /** Whether the window system needs it: Wayland, with Qt's own bar turned off at start. */
    static bool needed();

    QToolButton* closeButton() const { return close_; }

protected:
    void mousePressEvent(QMouseEvent* event) override;

private:
    QToolButton* close_;
};

}  // namespace korrin::editor
