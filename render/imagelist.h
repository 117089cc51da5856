// SPDX-License-Identifier: MIT
// The ten tile pictures, their names, and crisp icons of them.
#pragma once

#include <QIcon>
#include <QImage>
#include <QString>
#include <array>

#include "map/grid.h"

namespace korrin::render {

/** Side of a tile picture and of a field cell on screen, in pixels. */
inline constexpr int kCellPixels = map::kCellSize / map::kTwipsPerPixel;
/** Side of the whole field on screen, in pixels. */
inline constexpr int kFieldPixels = kCellPixels * map::kFieldSize;

/** The ten tile pictures; picture number c + 1 shows tile code c. */
class ImageList {
public:
    ImageList();

    int count() const { return static_cast<int>(pictures_.size()); }

    /** Picture `number`, counted from 1; error 9 for a number outside 1 .. count(). */
    const QImage& picture(int number) const;

private:
    std::array<QImage, map::kTileCount> pictures_;
};

/** The name of tile code `code` (0 .. 9) as a screen reader says it; empty for any other. */
QString tileName(int code);

/**
 * `picture` as an icon that stays pixel art on every screen: for device pixel ratios 1, 1.25,
 * 1.5, 2 and 3 its pixels are repeated to the screen's pixels, never smoothed, so a palette
 * button shows exactly its tile's colours.
 */
QIcon crispIcon(const QImage& picture);

}  // namespace korrin::render
