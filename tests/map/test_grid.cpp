// SPDX-License-Identifier: MIT
// The grid: its cells, fixed cells and clearing.
#include <gtest/gtest.h>

#include "map/error.h"
#include "map/grid.h"

using namespace korrin::map;

// Each of the 15 x 15 cells, border included, holds its own value and any other index is
// refused; the fixed cells are the base and five empty cells; Clear empties the interior only.
TEST(Grid, CellsFixedCellsAndClear) {
    Grid mass;
    for (int x = 0; x <= kGridLast; ++x) {
        for (int y = 0; y <= kGridLast; ++y) {
            mass(x, y) = static_cast<Byte>(x * 15 + y);
        }
    }
    for (const auto& [x, y] : {std::pair{-1, 0}, {0, -1}, {15, 0}, {0, 15}}) {
        EXPECT_THROW(mass(x, y) = 1, Error) << x << "," << y;
    }
    ApplyFixedCells(mass);
    for (const bool cleared : {false, true}) {
        for (int x = 0; x <= kGridLast; ++x) {
            for (int y = 0; y <= kGridLast; ++y) {
                const bool fixed =
                    (y == 1 && (x == 1 || x == 7 || x == 13)) || (y == 13 && (x == 5 || x == 9));
                const bool interior = cleared && x >= 2 && x <= 12 && y >= 2 && y <= 12;
                const int expected = x == 7 && y == 13 ? Base : fixed || interior ? 0 : x * 15 + y;
                EXPECT_EQ(mass(x, y), expected) << x << "," << y;
            }
        }
        ClearField(mass);
    }
}
