// SPDX-License-Identifier: MIT
// Pictures made for reviewing level packs: a pack's fields on one sheet, two versions side by side.
#pragma once

#include <QImage>
#include <vector>

#include "imagelist.h"
#include "map/grid.h"

namespace korrin::render {

/** Pixels between two fields on a sheet, and their colour: white. */
inline constexpr int kSheetGap = 16;
inline constexpr QRgb kSheetGapColour = qRgb(255, 255, 255);
/** The outline of a changed cell: magenta, a colour no tile holds, two pixels inside the cell. */
inline constexpr QRgb kChangeColour = qRgb(255, 0, 255);
inline constexpr int kChangeLine = 2;

/**
 * The fields of `fields`, in order, row by row in `columns` columns (fewer when there are
 * fewer fields), each as the editor shows it (with the red grid when `grid`), kSheetGap
 * white pixels apart. One field is its picture alone.
 */
QImage sheetImage(const std::vector<map::Grid>& fields, int columns, bool grid,
                  const ImageList& iList);

/**
 * `before` and `after` side by side, kSheetGap apart, with every cell of the field (columns and
 * rows 1 .. 13) that differs outlined on both.
 */
QImage diffImage(const map::Grid& before, const map::Grid& after, const ImageList& iList);

}  // namespace korrin::render
