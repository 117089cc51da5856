// SPDX-License-Identifier: MIT
#include "palettekeys.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QToolBar>
#include <QToolButton>
#include <algorithm>

namespace korrin::editor {

namespace {
constexpr int kFocusFrameWidth = 2;  // pixels
}  // namespace

PaletteKeys::PaletteKeys(QToolBar* toolbar) : QObject(toolbar) {
    for (QAction* action : toolbar->actions()) {
        auto* button = qobject_cast<QToolButton*>(toolbar->widgetForAction(action));
        button->installEventFilter(this);
        if (!buttons_.isEmpty()) {
            QWidget::setTabOrder(buttons_.back(), button);
        }
        buttons_ << button;
    }
    setCurrent(0);
}

// Only the current button is in the tab order; a click by mouse still takes no focus.
void PaletteKeys::setCurrent(int index) {
    current_ = std::clamp(index, 0, static_cast<int>(buttons_.size()) - 1);
    for (int k = 0; k < buttons_.size(); ++k) {
        buttons_[k]->setFocusPolicy(k == current_ ? Qt::TabFocus : Qt::NoFocus);
    }
}

void PaletteKeys::focusButton(int index) {
    setCurrent(index);
    buttons_[current_]->setFocus(Qt::TabFocusReason);
}

// The buttons of a toolbar draw no focus of their own: the focused one gets a frame in the
// selection colour over its picture, which only the keyboard can bring about.
void PaletteKeys::paintWithFocusFrame(QToolButton* button, QEvent* event) {
    painting_ = true;
    QCoreApplication::sendEvent(button, event);
    painting_ = false;
    QPainter painter(button);
    painter.setPen(QPen(button->palette().color(QPalette::Highlight), kFocusFrameWidth));
    painter.drawRect(QRectF(button->rect()).adjusted(1, 1, -1, -1));
}

bool PaletteKeys::eventFilter(QObject* watched, QEvent* event) {
    auto* button = qobject_cast<QToolButton*>(watched);
    if (event->type() == QEvent::Paint && !painting_ && button && button->hasFocus()) {
        paintWithFocusFrame(button, event);
        return true;
    }
    if (event->type() != QEvent::KeyPress || !buttons_.contains(watched)) {
        return false;
    }
    const int last = static_cast<int>(buttons_.size()) - 1;
    switch (static_cast<QKeyEvent*>(event)->key()) {
        case Qt::Key_Left:
            focusButton(current_ - 1);
            return true;
        case Qt::Key_Right:
            focusButton(current_ + 1);
            return true;
        case Qt::Key_Home:
            focusButton(0);
            return true;
        case Qt::Key_End:
            focusButton(last);
            return true;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            buttons_[current_]->click();
            return true;
        default:
            return false;  // Space clicks as on any button
    }
}

}  // namespace korrin::editor
