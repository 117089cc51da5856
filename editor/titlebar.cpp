// SPDX-License-Identifier: MIT
// The main window's own title bar, where Wayland leaves the bar to the program.
#include "titlebar.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QMouseEvent>
#include <QStyle>
#include <QToolButton>
#include <QWindow>

namespace korrin::editor {

namespace {

constexpr int kIconSize = 16;
constexpr int kMargin = 4;
constexpr int kDecorationRoom = 160;  // pixels: Qt's Wayland bar's icon and three buttons

}  // namespace

TitleBar::TitleBar(QWidget* window) : QWidget(window), close_(new QToolButton(this)) {
    setAccessibleName(window->windowTitle());
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Mid);

    auto* icon = new QLabel(this);
    icon->setPixmap(window->windowIcon().pixmap(kIconSize, kIconSize));
    auto* caption = new QLabel(window->windowTitle(), this);
    QFont bold = caption->font();
    bold.setBold(true);
    caption->setFont(bold);

    close_->setIcon(style()->standardIcon(QStyle::SP_TitleBarCloseButton));
    close_->setAutoRaise(true);
    close_->setAccessibleName(QStringLiteral("Закрыть"));
    close_->setFocusPolicy(Qt::TabFocus);
    connect(close_, &QToolButton::clicked, window, &QWidget::close);

    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(kMargin, kMargin / 2, kMargin / 2, kMargin / 2);
    row->addWidget(icon);
    row->addWidget(caption);
    row->addStretch();
    row->addWidget(close_);
    setFixedHeight(sizeHint().height());
}

bool TitleBar::needed(const QString& platformName) {
    return platformName.startsWith(QLatin1String("wayland"));
}

Qt::WindowFlags TitleBar::mainWindowFlags(const QString& platformName) {
    const Qt::WindowFlags closeOnly = Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                      Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    // Frameless alone: Qt drops it from any set that also asks for parts of a title bar.
    return needed(platformName) ? Qt::Window | Qt::FramelessWindowHint : closeOnly;
}

void TitleBar::keepTitleVisible(QMessageBox& box, const QString& platformName) {
    auto* grid = qobject_cast<QGridLayout*>(box.layout());
    if (!needed(platformName) || grid == nullptr) {
        return;
    }
    // QMessageBox sizes itself; a spacer across its grid is the width it keeps.
    const int width = box.fontMetrics().horizontalAdvance(box.windowTitle()) + kDecorationRoom;
    grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Fixed, QSizePolicy::Minimum),
                  grid->rowCount(), 0, 1, grid->columnCount());
}

// The compositor moves the window: a Wayland client cannot place itself.
void TitleBar::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && window()->windowHandle() != nullptr) {
        window()->windowHandle()->startSystemMove();
    }
}

}  // namespace korrin::editor
