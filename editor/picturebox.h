// SPDX-License-Identifier: MIT
// The field's widget: its picture, the mouse and keys it reports, the keyboard frame.
#pragma once

#include <QImage>
#include <QPoint>
#include <QWidget>

#include "map/grid.h"

namespace korrin::editor {

/**
 * The field's picture: shows a persistent image and reports the mouse in twips, with the
 * buttons as 1 (left), 2 (right) and 4 (middle), and the keys pressed while it has the focus.
 * It also keeps the keyboard cell, which a frame marks over the image from the first key
 * pressed on the field, or from the moment the keyboard brings the focus to it, until the next
 * mouse event over it. What it shows changing is published for screen readers.
 */
class PictureBox : public QWidget {
    Q_OBJECT

public:
    explicit PictureBox(QWidget* parent = nullptr);

    /** The drawing that the widget shows; draw into it, then call update(). */
    QImage& image() { return image_; }
    const QImage& image() const { return image_; }

    /** The codes the image shows, as of its last drawing; what a screen reader reads. */
    const map::Grid& cellsShown() const { return cellsShown_; }
    void setCellsShown(const map::Grid& mass);

    /** The keyboard cell: column and row, 1 .. 13 each. */
    QPoint keyboardCell() const { return keyboardCell_; }
    void setKeyboardCell(QPoint cell);
    bool keyboardFrameShown() const { return keyboardFrameShown_; }

signals:
    /** A button went down: `button` is that one button. */
    void mouseDown(int button, int shift, double x, double y);
    /** The pointer moved: `button` is the set of buttons held, 0 when none. */
    void mouseMove(int button, int shift, double x, double y);
    /** A key went down: Qt's key code; `shift` as for the mouse. */
    void keyDown(int keyCode, int shift);
    /** The image now shows cellsShown(); `before` is what it showed until then. */
    void cellsShownChanged(const map::Grid& before);
    /** The focused cell is the keyboard cell anew: it moved, or the field got the focus. */
    void focusedCellChanged();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void showKeyboardFrame(bool shown);

    QImage image_;
    map::Grid cellsShown_;
    QPoint keyboardCell_{1, 1};
    bool keyboardFrameShown_ = false;
    bool lastInputWasKey_ = false;  // anywhere in the program: a key, or a mouse button
};

}  // namespace korrin::editor
