// SPDX-License-Identifier: MIT
#include "picturebox.h"

#include <QMouseEvent>
#include <QPainter>

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

}  // namespace

PictureBox::PictureBox(QWidget* parent)
    : QWidget(parent), image_(render::newFieldImage(palette().color(QPalette::Window).rgb())) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
}

void PictureBox::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    // Scaled only on high-density screens, and then without smoothing: pixel art stays crisp.
    painter.drawImage(rect(), image_);
}

void PictureBox::mousePressEvent(QMouseEvent* event) {
    const QPointF at = event->position();
    emit mouseDown(buttonValue(event->button()), shiftValue(event->modifiers()), twips(at.x()),
                   twips(at.y()));
}

void PictureBox::mouseMoveEvent(QMouseEvent* event) {
    const QPointF at = event->position();
    emit mouseMove(buttonValue(event->buttons()), shiftValue(event->modifiers()), twips(at.x()),
                   twips(at.y()));
}

}  // namespace korrin::editor
