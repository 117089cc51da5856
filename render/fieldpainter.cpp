// SPDX-License-Identifier: MIT
// The field's painter and the PNG encoder.
#include "fieldpainter.h"

#include "map/error.h"

#include <QBuffer>
#include <cstring>
#include <stdexcept>

namespace korrin::render {

namespace {

// The image's pixels as rows of QRgb; taken once per tick, since every QImage::scanLine()
// call checks whether the image must be detached.
class Pixels {
public:
    explicit Pixels(QImage& image)
        : bits_(image.bits()), stride_(static_cast<std::size_t>(image.bytesPerLine())) {}

    QRgb* row(int y) const {
        return reinterpret_cast<QRgb*>(bits_ + stride_ * static_cast<std::size_t>(y));
    }

private:
    uchar* bits_;
    std::size_t stride_;
};

void copyPicture(const Pixels& pixels, const QImage& picture, int left, int top) {
    const uchar* from = picture.constBits();
    const auto stride = static_cast<std::size_t>(picture.bytesPerLine());
    for (int row = 0; row < kCellPixels; ++row) {
        std::memcpy(pixels.row(top + row) + left, from + stride * static_cast<std::size_t>(row),
                    sizeof(QRgb) * kCellPixels);
    }
}

void drawVerticalLine(const Pixels& pixels, int x) {
    for (int y = 0; y < kFieldPixels; ++y) {
        pixels.row(y)[x] = kGridColour;
    }
}

void drawHorizontalLine(const Pixels& pixels, int y) {
    QRgb* row = pixels.row(y);
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
    const Pixels pixels(image);
    for (int x = 1; x <= map::kFieldSize; ++x) {
        for (int y = 1; y <= map::kFieldSize; ++y) {
            copyPicture(pixels, iList.picture(mass(x, y) + 1), (x - 1) * kCellPixels,
                        (y - 1) * kCellPixels);
        }
    }
    if (grid) {
        for (int k = 2; k <= map::kFieldSize - 1; ++k) {
            drawVerticalLine(pixels, k * kCellPixels);
            drawHorizontalLine(pixels, k * kCellPixels);
        }
    }
}

std::string pngBytes(const QImage& image) {
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG")) {
        throw map::Error(map::ErrorNumber::DeviceIOError);
    }
    return std::string(png.constData(), static_cast<std::size_t>(png.size()));
}

}  // namespace korrin::render
