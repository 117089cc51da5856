// SPDX-License-Identifier: MIT
#pragma once

#include <QImage>
#include <QWidget>

namespace korrin::editor {

/**
 * The field's picture: shows a persistent image and reports the mouse in twips, with the
 * buttons as 1 (left), 2 (right) and 4 (middle).
 */
class PictureBox : public QWidget {
    Q_OBJECT

public:
    explicit PictureBox(QWidget* parent = nullptr);

    /** The drawing that the widget shows; draw into it, then call update(). */
    QImage& image() { return image_; }
    const QImage& image() const { return image_; }

signals:
    /** A button went down: `button` is that one button. */
    void mouseDown(int button, int shift, double x, double y);
    /** The pointer moved: `button` is the set of buttons held, 0 when none. */
    void mouseMove(int button, int shift, double x, double y);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    QImage image_;
};

}  // namespace korrin::editor
