// SPDX-License-Identifier: MIT
#include "picturebox.h"

#include <QAccessible>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include "fieldaccessible.h"
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

// Two pixels of white inside one of black: visible on every tile, the black and the steel too.
void drawKeyboardFrame(QPainter& painter, QPoint cell) {
    const QRect bounds((cell.x() - 1) * render::kCellPixels, (cell.y() - 1) * render::kCellPixels,
                       render::kCellPixels, render::kCellPixels);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::NoBrush);
    for (const auto& [inset, colour] : {std::pair{0, Qt::black}, {1, Qt::white}, {2, Qt::white}}) {
        const QRect ring = bounds.adjusted(inset, inset, -inset, -inset);
        painter.setPen(QPen(colour, 1));
        painter.drawRect(ring.adjusted(0, 0, -1, -1));
    }
}

}  // namespace

PictureBox::PictureBox(QWidget* parent)
    : QWidget(parent), image_(render::newFieldImage(palette().color(QPalette::Window).rgb())) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setAccessibleName(QStringLiteral("Карта"));
}

void PictureBox::setCellsShown(const map::Grid& mass) {
    const map::Grid before = cellsShown_;
    cellsShown_ = mass;
    announceChangedCells(this, before, cellsShown_);
}

void PictureBox::setKeyboardCell(QPoint cell) {
    keyboardCell_ = cell;
    showKeyboardFrame(true);
    announceFocusedCell(this);
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
        drawKeyboardFrame(painter, keyboardCell_);
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

void PictureBox::keyPressEvent(QKeyEvent* event) {
    showKeyboardFrame(true);
    emit keyDown(event->key(), shiftValue(event->modifiers()));
}

}  // namespace korrin::editor
