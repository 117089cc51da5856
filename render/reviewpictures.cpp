// SPDX-License-Identifier: MIT
// Pictures made for reviewing level packs: a sheet of fields, two versions side by side.
#include "reviewpictures.h"

#include <QPainter>
#include <algorithm>

#include "fieldpainter.h"

namespace korrin::render {

namespace {

constexpr int kPitch = kFieldPixels + kSheetGap;

// The field of `mass` painted at `topLeft` of `sheet`, without the widget's extra pixel.
void paintFieldAt(QImage& sheet, QPoint topLeft, const map::Grid& mass, bool grid,
                  const ImageList& iList) {
    QImage field(kFieldPixels, kFieldPixels, QImage::Format_RGB32);
    paintField(field, mass, iList, grid);
    QPainter(&sheet).drawImage(topLeft, field);
}

void outlineCell(QImage& sheet, QPoint fieldTopLeft, int x, int y) {
    const QRect cell(fieldTopLeft + QPoint((x - 1) * kCellPixels, (y - 1) * kCellPixels),
                     QSize(kCellPixels, kCellPixels));
    QPainter painter(&sheet);
    for (int inset = 0; inset < kChangeLine; ++inset) {
        const QRect ring = cell.adjusted(inset, inset, -inset, -inset);
        painter.fillRect(ring.left(), ring.top(), ring.width(), 1, kChangeColour);
        painter.fillRect(ring.left(), ring.bottom(), ring.width(), 1, kChangeColour);
        painter.fillRect(ring.left(), ring.top(), 1, ring.height(), kChangeColour);
        painter.fillRect(ring.right(), ring.top(), 1, ring.height(), kChangeColour);
    }
}

}  // namespace

QImage sheetImage(const std::vector<map::Grid>& fields, int columns, bool grid,
                  const ImageList& iList) {
    const int count = static_cast<int>(fields.size());
    const int across = std::clamp(columns, 1, std::max(count, 1));
    const int down = (count + across - 1) / across;
    QImage sheet(across * kPitch - kSheetGap, std::max(down, 1) * kPitch - kSheetGap,
                 QImage::Format_RGB32);
    sheet.fill(kSheetGapColour);
    for (int k = 0; k < count; ++k) {
        paintFieldAt(sheet, QPoint(k % across * kPitch, k / across * kPitch),
                     fields[static_cast<std::size_t>(k)], grid, iList);
    }
    return sheet;
}

QImage diffImage(const map::Grid& before, const map::Grid& after, const ImageList& iList) {
    QImage sheet = sheetImage({before, after}, 2, false, iList);
    for (int y = 1; y <= map::kFieldSize; ++y) {
        for (int x = 1; x <= map::kFieldSize; ++x) {
            if (before(x, y) != after(x, y)) {
                outlineCell(sheet, QPoint(0, 0), x, y);
                outlineCell(sheet, QPoint(kPitch, 0), x, y);
            }
        }
    }
    return sheet;
}

}  // namespace korrin::render
