// SPDX-License-Identifier: MIT
// The grid, its fixed cells and clearing.
#pragma once

#include <array>
#include <cstdint>

namespace korrin::map {

using Byte = std::uint8_t;

/** Cells along each side of the field proper; columns and rows count 1 .. kFieldSize. */
inline constexpr int kFieldSize = 13;
/** Highest index of the grid: the field plus a one-cell border on each side. */
inline constexpr int kGridLast = kFieldSize + 1;
/** Side of one cell on screen, in twips (32 pixels at 15 twips per pixel). */
inline constexpr std::int16_t kCellSize = 480;
/** Twips per pixel at the editor's design resolution. */
inline constexpr int kTwipsPerPixel = 15;

/** The tile codes a cell holds. */
enum Tile : Byte {
    Empty = 0,
    Brick = 1,
    Steel = 2,
    Bushes = 3,
    Water = 4,
    BrickRight = 5,
    BrickLeft = 6,
    BrickBottom = 7,
    BrickTop = 8,
    Base = 9,
};
inline constexpr int kTileCount = 10;

/** The map: cells mass(x, y) for column x and row y, both 0 .. kGridLast. */
class Grid {
public:
    /** The cell at column x, row y; error 9 when either index is outside 0 .. kGridLast. */
    Byte& operator()(int x, int y) { return cells_[index(x, y)]; }
    Byte operator()(int x, int y) const { return cells_[index(x, y)]; }

    bool operator==(const Grid&) const = default;

private:
    static std::size_t index(int x, int y);

    std::array<Byte, (kGridLast + 1) * (kGridLast + 1)> cells_{};
};

/** The editor's shared settings; all zero until the window's start-up sets them. */
struct Settings {
    std::int16_t cellSize = 0;
    Byte curTile = 0;
    Byte sizeFirst = 0;
    Byte sizeSecond = 0;
};

/** The settings the window's start-up sets, and so the counts every map file is saved with. */
inline constexpr Settings kEditorSettings{kCellSize, 0, kFieldSize, kFieldSize};

/** A cell that every map holds with a fixed code. */
struct FixedCell {
    int x;
    int y;
    Byte code;
};

/** The base at the bottom centre first, then the five cells that always stay empty. */
inline constexpr int kBaseColumn = (kFieldSize + 1) / 2;
inline constexpr std::array<FixedCell, 6> kFixedCells{{
    {kBaseColumn, kFieldSize, Base},
    {1, 1, Empty},
    {kBaseColumn, 1, Empty},
    {kFieldSize, 1, Empty},
    {kBaseColumn - 2, kFieldSize, Empty},
    {kBaseColumn + 2, kFieldSize, Empty},
}};

/** Writes the fixed cells, in the order of kFixedCells. */
void ApplyFixedCells(Grid& mass);

/** Empties the field's interior (columns and rows 2 .. 12); the outer ring keeps its codes. */
void ClearField(Grid& mass);

}  // namespace korrin::map
