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

TEST(Grid, StartsEmptyAndKeepsEveryCellApart) {
    Grid mass;
    for (int x = 0; x <= kGridLast; ++x) {
        for (int y = 0; y <= kGridLast; ++y) {
            EXPECT_EQ(mass(x, y), 0);
        }
    }
    mass(14, 0) = 4;
    mass(0, 14) = 5;
    EXPECT_EQ(mass(14, 0), 4);
    EXPECT_EQ(mass(0, 14), 5);
    EXPECT_EQ(mass(1, 0), 0);
    EXPECT_EQ(mass(0, 1), 0);
}

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
    ApplyFixedCells(mass);
    ClearField(mass);
    int cleared = 0;
    for (int x = 0; x <= kGridLast; ++x) {
        for (int y = 0; y <= kGridLast; ++y) {
            const bool interior = x >= 2 && x <= 12 && y >= 2 && y <= 12;
            if (interior) {
                EXPECT_EQ(mass(x, y), Empty) << x << "," << y;
                ++cleared;
            } else if (!(y == 13 && (x == 5 || x == 7 || x == 9)) && !(y == 1 && x % 6 == 1)) {
                EXPECT_EQ(mass(x, y), Steel) << x << "," << y;
            }
        }
    }
    EXPECT_EQ(cleared, 121);
    EXPECT_EQ(mass(7, 13), Base);
}

TEST(Error, CarriesNumberDescriptionAndPath) {
    const Error error(ErrorNumber::PathNotFound, "/no/such/карта.txt");
    EXPECT_EQ(error.number(), 76);
    EXPECT_EQ(error.description(), "Path not found");
    EXPECT_EQ(error.path(), "/no/such/карта.txt");
    EXPECT_STREQ(error.what(), "76: Path not found: /no/such/карта.txt");
}
