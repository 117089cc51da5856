// SPDX-License-Identifier: MIT
// The palette from the keyboard and for screen readers.
#pragma once

#include <QList>
#include <QObject>

class QToolBar;
class QToolButton;

namespace korrin::editor {

/**
 * Makes a toolbar's buttons known to screen readers as buttons that can be checked: the one
 * that PaletteKeys::setChosen() names is. Installed once, before the first toolbar is made.
 */
void installPaletteAccessibility();

/**
 * Makes a toolbar's buttons one stop in the tab order, held by the button last used (the
 * first until then): Left and Right move between the buttons, Home and End go to the first
 * and the last, Space or Enter clicks the focused one. For screen readers, the button of the
 * chosen tile is "checked", which its picture does not show.
 */
class PaletteKeys : public QObject {
public:
    explicit PaletteKeys(QToolBar* toolbar);

    /** The toolbar's first button, where the tab order enters the palette. */
    QToolButton* first() const { return buttons_.front(); }
    /** The toolbar's last button, where the tab order leaves the palette. */
    QToolButton* last() const { return buttons_.back(); }
    /** Makes button `index` (from 0) the one that takes the focus, without moving the focus. */
    void setCurrent(int index);
    /** Makes button `index` (from 0) the checked one for screen readers, and tells them. */
    void setChosen(int index);
    /** Whether `button` is the checked one. */
    static bool isChosen(const QToolButton* button);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void focusButton(int index);
    void paintWithFocusFrame(QToolButton* button, QEvent* event);

    QList<QToolButton*> buttons_;
    int current_ = 0;
    int chosen_ = -1;
    bool painting_ = false;
};

}  // namespace korrin::editor
