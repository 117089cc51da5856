// SPDX-License-Identifier: MIT
// The field's widget: its picture, the mouse and keys it reports, the keyboard frame.
#include "picturebox.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>
#include <algorithm>

#include "render/fieldpainter.h"

namespace korrin::editor {

namespace {

int buttonValue(Qt::MouseButtons buttons) {
    return (buttons.testFlag(Qt::LeftButton) ? 1 : 0) |
           (buttons.testFlag(Qt::RightButton) ? 2 : 0) |
           (buttons.testFlag(Qt::MiddleButton) ? 4 : 0);
}

int shiftValue(Qt::KeyboardModifiers modifiers) {
    return (modifiers.testFlag(Qt::ShiftModifier) ? 1 : 0) |
           (modifiers.testFlag(Qt::ControlModifier) ? 2 : 0) |
           (modifiers.testFlag(Qt::AltModifier) ? 4 : 0);
}

double twips(double pixels) {
    return pixels * map::kTwipsPerPixel;
}

// A band `width` pixels wide along the inside of `outer`'s edge.
void fillRing(QPainter& painter, const QRect& outer, int width, Qt::GlobalColor colour) {
    const QRect inner = outer.adjusted(width, width, -width, -width);
    painter.fillRect(QRect(outer.left(), outer.top(), outer.width(), width), colour);
    painter.fillRect(QRect(outer.left(), inner.bottom() + 1, outer.width(), width), colour);
    painter.fillRect(QRect(outer.left(), inner.top(), width, inner.height()), colour);
    painter.fillRect(QRect(inner.right() + 1, inner.top(), width, inner.height()), colour);
}

// Two pixels of white inside one of black, visible on every tile, the black and the steel too;
// at a larger scale each band grows by whole screen pixels.
void drawKeyboardFrame(QPainter& painter, QPoint cell, qreal ratio) {
    // Counted in the screen's own pixels, so that at any scale the frame lies exactly on the
    // cell's edge as the image shows it, and no band is blended into the tile.
    const auto edge = [ratio](int cells) { return qRound(cells * render::kCellPixels * ratio); };
    const QRect bounds(QPoint(edge(cell.x() - 1), edge(cell.y() - 1)),
                       QPoint(edge(cell.x()) - 1, edge(cell.y()) - 1));
    const int band = std::max(1, qRound(ratio));
    painter.save();
    painter.setWorldTransform(QTransform::fromScale(1 / ratio, 1 / ratio));
    fillRing(painter, bounds, band, Qt::black);
    fillRing(painter, bounds.adjusted(band, band, -band, -band), 2 * band, Qt::white);
    painter.restore();
}

}  // namespace

PictureBox::PictureBox(QWidget* parent)
    : QWidget(parent), image_(render::newFieldImage(palette().color(QPalette::Window).rgb())) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setAccessibleName(QStringLiteral("Карта"));
    QCoreApplication::instance()->installEventFilter(this);
}

void PictureBox::setCellsShown(const map::Grid& mass) {
    const map::Grid before = cellsShown_;
    cellsShown_ = mass;
    emit cellsShownChanged(before);
}

void PictureBox::setKeyboardCell(QPoint cell) {
    keyboardCell_ = cell;
    showKeyboardFrame(true);
    emit focusedCellChanged();
}

void PictureBox::showKeyboardFrame(bool shown) {
    if (keyboardFrameShown_ != shown) {
        keyboardFrameShown_ = shown;
        update();
    }
}

void PictureBox::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    // Scaled only on high-density screens, and then without smoothing: pixel art stays crisp.
    painter.drawImage(rect(), image_);
    if (keyboardFrameShown_) {
        drawKeyboardFrame(painter, keyboardCell_, devicePixelRatioF());
    }
}

void PictureBox::mousePressEvent(QMouseEvent* event) {
    showKeyboardFrame(false);
    const QPointF at = event->position();
    emit mouseDown(buttonValue(event->button()), shiftValue(event->modifiers()), twips(at.x()),
                   twips(at.y()));
}

void PictureBox::mouseMoveEvent(QMouseEvent* event) {
    showKeyboardFrame(false);
    const QPointF at = event->position();
    emit mouseMove(buttonValue(event->buttons()), shiftValue(event->modifiers()), twips(at.x()),
                   twips(at.y()));
}

// Whether the user last pressed a key or a mouse button, wherever in the program: a focus that
// comes back from a dialog or a menu then shows the frame only to whom used the keyboard.
bool PictureBox::eventFilter(QObject* /*watched*/, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        lastInputWasKey_ = true;
    } else if (event->type() == QEvent::MouseButtonPress) {
        lastInputWasKey_ = false;
    }
    return false;
}

void PictureBox::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    if (event->reason() != Qt::MouseFocusReason && lastInputWasKey_) {
        showKeyboardFrame(true);
    }
    // Qt tells screen readers that the field took the focus only after this event; the cell
    // must come after that, or the reader stays on the table.
    QTimer::singleShot(0, this, [this] {
        if (hasFocus()) {
            emit focusedCellChanged();
        }
    });
}

void PictureBox::keyPressEvent(QKeyEvent* event) {
    showKeyboardFrame(true);
    emit keyDown(event->key(), shiftValue(event->modifiers()));
}

}  // namespace korrin::editor
