// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include "map/error.h"
#include "map/grid.h"

using namespace korrin::map;

namespace {

Grid filledWith(Byte code) {
    Grid mass;
    for (int x = 0; x <= kGridLast; ++x) {
        for (int y = 0; y <= kGridLast; ++y) {
            mass(x, y) = code;
        }
    }
    return mass;
}

}  // namespace

class GridIndex : public testing::TestWithParam<std::pair<int, int>> {};

TEST_P(GridIndex, OutsideZeroToFourteenIsSubscriptOutOfRange) {
    auto [x, y] = GetParam();
    Grid mass;
    try {
        mass(x, y) = 1;
        FAIL() << "no error for (" << x << ", " << y << ")";
    } catch (const Error& error) {
        EXPECT_EQ(error.number(), 9);
        EXPECT_EQ(error.description(), "Subscript out of range");
    }
    EXPECT_EQ(mass, Grid{});
}

INSTANTIATE_TEST_SUITE_P(Bounds, GridIndex,
                         testing::Values(std::pair{-1, 0}, std::pair{0, -1}, std::pair{15, 0},
                                         std::pair{0, 15}, std::pair{15, 15}, std::pair{-1, 14}));

TEST(ApplyFixedCells, SetsTheBaseAndFiveEmptyCellsOnly) {
    Grid mass = filledWith(Brick);
    ApplyFixedCells(mass);
    Grid expected = filledWith(Brick);
    expected(7, 13) = Base;
    expected(1, 1) = Empty;
    expected(7, 1) = Empty;
    expected(13, 1) = Empty;
    expected(5, 13) = Empty;
    expected(9, 13) = Empty;
    EXPECT_EQ(mass, expected);
}

TEST(ClearField, EmptiesTheInteriorAndKeepsTheRingAndBorder) {
    Grid mass = filledWith(Steel);
    mass(7, 13) = Base;
    ClearField(mass);
    for (int x = 0; x <= kGridLast; ++x) {
        for (int y = 0; y <= kGridLast; ++y) {
            const bool interior = x >= 2 && x <= 12 && y >= 2 && y <= 12;
            const Byte expected = interior ? Empty : (x == 7 && y == 13 ? Base : Steel);
            EXPECT_EQ(mass(x, y), expected) << x << "," << y;
        }
    }
}
