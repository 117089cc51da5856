// SPDX-License-Identifier: MIT
#include "fieldpainter.h"

#include <cstring>
#include <stdexcept>

namespace korrin::editor {

namespace {

void copyPicture(QImage& image, const QImage& picture, int left, int top) {
    const std::size_t rowBytes = sizeof(QRgb) * kCellPixels;
    for (int row = 0; row < kCellPixels; ++row) {
        std::memcpy(image.scanLine(top + row) + left * sizeof(QRgb), picture.constScanLine(row),
                    rowBytes);
    }
}

void drawVerticalLine(QImage& image, int x) {
    for (int y = 0; y < kFieldPixels; ++y) {
        reinterpret_cast<QRgb*>(image.scanLine(y))[x] = kGridColour;
    }
}

void drawHorizontalLine(QImage& image, int y) {
    auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
    std::fill(row, row + kFieldPixels, kGridColour);
}

}  // namespace

QImage newFieldImage(QRgb background) {
    QImage image(kFieldPixels + 1, kFieldPixels + 1, QImage::Format_RGB32);
    image.fill(background);
    return image;
}

void paintField(QImage& image, const map::Grid& mass, const ImageList& iList, bool grid) {
    if (image.format() != QImage::Format_RGB32 || image.width() < kFieldPixels ||
        image.height() < kFieldPixels) {
        throw std::invalid_argument("paintField needs an RGB32 image of the field's size");
    }
    for (int x = 1; x <= map::kFieldSize; ++x) {
        for (int y = 1; y <= map::kFieldSize; ++y) {
            copyPicture(image, iList.picture(mass(x, y) + 1), (x - 1) * kCellPixels,
                        (y - 1) * kCellPixels);
        }
    }
    if (grid) {
        for (int k = 2; k <= map::kFieldSize - 1; ++k) {
            drawVerticalLine(image, k * kCellPixels);
            drawHorizontalLine(image, k * kCellPixels);
        }
    }
}

}  // namespace korrin::editor
