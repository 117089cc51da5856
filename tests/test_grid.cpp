// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include "map/error.h"
#include "map/grid.h"

using namespace korrin::map;

// Each of the 15 x 15 cells, border included, holds its own value; any other index is refused.
TEST(Grid, CellsZeroToFourteenAreDistinctAndOthersOutOfRange) {
    Grid mass;
    for (int x = 0; x <= kGridLast; ++x) {
        for (int y = 0; y <= kGridLast; ++y) {
            mass(x, y) = static_cast<Byte>(x * 15 + y);
        }
    }
    const Grid filled = mass;
    for (const auto& [x, y] : {std::pair{-1, 0}, {0, -1}, {15, 0}, {0, 15}}) {
        try {
            mass(x, y) = 1;
            ADD_FAILURE() << "no error for (" << x << ", " << y << ")";
        } catch (const Error& error) {
            EXPECT_EQ(error.number(), 9);
        }
    }
    for (int x = 0; x <= kGridLast; ++x) {
        for (int y = 0; y <= kGridLast; ++y) {
            EXPECT_EQ(mass(x, y), x * 15 + y) << x << "," << y;
        }
    }
    EXPECT_EQ(mass, filled);
}

// The fixed cells are the base and five empty cells; Clear then empties the interior only.
TEST(Grid, FixedCellsAndClearChangeOnlyTheirCells) {
    Grid mass;
    for (int x = 0; x <= kGridLast; ++x) {
        for (int y = 0; y <= kGridLast; ++y) {
            mass(x, y) = Steel;
        }
    }
    Grid expected = mass;
    ApplyFixedCells(mass);
    expected(7, 13) = Base;
    for (const auto& [x, y] : {std::pair{1, 1}, {7, 1}, {13, 1}, {5, 13}, {9, 13}}) {
        expected(x, y) = Empty;
    }
    EXPECT_EQ(mass, expected);
    ClearField(mass);
    for (int x = 0; x <= kGridLast; ++x) {
        for (int y = 0; y <= kGridLast; ++y) {
            const bool interior = x >= 2 && x <= 12 && y >= 2 && y <= 12;
            EXPECT_EQ(mass(x, y), interior ? Byte{Empty} : expected(x, y)) << x << "," << y;
        }
    }
}
