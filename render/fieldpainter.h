// SPDX-License-Identifier: MIT
// The field's painter and the PNG encoder.
#pragma once

#include <QImage>
#include <string>

#include "imagelist.h"
#include "map/grid.h"

namespace korrin::render {

/** The colour of the grid overlay: pure red. */
inline constexpr QRgb kGridColour = qRgb(255, 0, 0);

/** A blank image for the field, one pixel wider and taller than the cells, as Picture1 is. */
QImage newFieldImage(QRgb background);

/**
 * Paints the field of `mass` into `image` (RGB32, at least kFieldPixels square): every cell's
 * picture, column by column, copied unscaled; then, when `grid` is on, the red overlay lines
 * on the cell boundaries after columns and rows 2 .. 12.
 */
void paintField(QImage& image, const map::Grid& mass, const ImageList& iList, bool grid);

/** The bytes of `image` as a PNG file; error 57 when it cannot be encoded. */
std::string pngBytes(const QImage& image);

}  // namespace korrin::render
