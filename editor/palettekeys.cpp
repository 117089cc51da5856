// SPDX-License-Identifier: MIT
// The palette from the keyboard and for screen readers.
#include "palettekeys.h"

#include <QAccessibleWidget>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QToolBar>
#include <QToolButton>
#include <algorithm>
#include <utility>

namespace korrin::editor {

namespace {

constexpr int kFocusFrameWidth = 2;  // pixels
constexpr char kChosen[] = "korrinChosen";

/** A palette button as a screen reader sees it: a button that can be pressed and is checked
 * while it holds the chosen tile. */
class PaletteButton : public QAccessibleWidget {
public:
    explicit PaletteButton(QToolButton* button) : QAccessibleWidget(button, QAccessible::Button) {}

    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        state.checkable = true;
        state.checked = PaletteKeys::isChosen(static_cast<QToolButton*>(widget()));
        return state;
    }
    QStringList actionNames() const override {
        return QStringList(pressAction()) + QAccessibleWidget::actionNames();
    }
    void doAction(const QString& name) override {
        if (name == pressAction()) {
            static_cast<QToolButton*>(widget())->click();
        } else {
            QAccessibleWidget::doAction(name);
        }
    }
};

// The buttons a toolbar makes for its actions are the palette's: the program has no other
// toolbar, and a toolbar's extension button is a class of its own. Asked as each button is
// made, before any mark could be set on it.
QAccessibleInterface* paletteFactory(const QString& /*className*/, QObject* object) {
    auto* button = qobject_cast<QToolButton*>(object);
    return button && button->metaObject() == &QToolButton::staticMetaObject &&
                   qobject_cast<QToolBar*>(button->parent()) != nullptr
               ? new PaletteButton(button)
               : nullptr;
}

}  // namespace

void installPaletteAccessibility() {
    // Once: Qt keeps every factory it is given and asks each in turn.
    static const bool installed = (QAccessible::installFactory(paletteFactory), true);
    Q_UNUSED(installed);
}

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

void PaletteKeys::setChosen(int index) {
    if (index == chosen_ || index < 0 || index >= buttons_.size()) {
        return;
    }
    const int previous = std::exchange(chosen_, index);
    // The button that lost the mark and the one that got it: each tells its change.
    for (const int k : {previous, index}) {
        if (k >= 0) {
            buttons_[k]->setProperty(kChosen, k == chosen_);
            QAccessible::State checked;
            checked.checked = true;
            QAccessibleStateChangeEvent event(buttons_[k], checked);
            QAccessible::updateAccessibility(&event);
        }
    }
}

bool PaletteKeys::isChosen(const QToolButton* button) {
    return button->property(kChosen).toBool();
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
