// SPDX-License-Identifier: MIT
// The level-pack commands' own logic: the tiles' names and the three-way merge of a field.
#include <gtest/gtest.h>

#include "cli/pack.h"

using namespace korrin;

// Each row changes one cell of an empty field on either side; the corners and an inner cell
// take turns, so that a loop that misses a row or a column of the field shows, and a cell
// around the field is never merged.
TEST(Merge, EachCellBySides) {
    struct Row {
        int x, y;
        map::Byte base, ours, theirs, merged;
        bool conflict;
    };
    const Row rows[] = {
        {1, 1, 0, 0, 0, 0, false},   {13, 1, 0, 3, 0, 3, false}, {1, 13, 0, 0, 4, 4, false},
        {13, 13, 0, 2, 2, 2, false}, {7, 6, 1, 2, 4, 2, true},   {2, 12, 1, 1, 0, 0, false},
        {12, 2, 5, 0, 6, 0, true},   {6, 7, 3, 3, 3, 3, false},  {0, 5, 0, 1, 2, 1, false},
        {14, 5, 0, 1, 2, 1, false},  {5, 0, 0, 1, 2, 1, false},  {5, 14, 0, 1, 2, 1, false},
    };
    for (const Row& row : rows) {
        map::Grid base, ours, theirs;
        base(row.x, row.y) = row.base;
        ours(row.x, row.y) = row.ours;
        theirs(row.x, row.y) = row.theirs;
        std::vector<cli::Conflict> conflicts;
        const map::Grid merged = cli::merge(base, ours, theirs, conflicts);
        map::Grid expected = ours;
        expected(row.x, row.y) = row.merged;
        EXPECT_TRUE(merged == expected) << row.x << "," << row.y;
        ASSERT_EQ(conflicts.size(), row.conflict ? 1u : 0u) << row.x << "," << row.y;
        if (row.conflict) {
            EXPECT_EQ(cli::conflictLine(conflicts[0]),
                      "mass(" + std::to_string(row.x) + "," + std::to_string(row.y) + "): base " +
                          std::to_string(row.base) + ", ours " + std::to_string(row.ours) +
                          ", theirs " + std::to_string(row.theirs) + "\n");
        }
    }
}

TEST(TileName, CodesOutsideTheTilesHaveNone) {
    EXPECT_EQ(cli::tileName(-1), "no tile");
    EXPECT_EQ(cli::tileName(0), "empty ground");
    EXPECT_EQ(cli::tileName(9), "base");
    EXPECT_EQ(cli::tileName(10), "no tile");
}

// diff speaks of the field only: cells around it that differ are no change.
TEST(Differences, AroundTheFieldNone) {
    map::Grid before, after;
    after(0, 5) = after(14, 5) = after(5, 0) = after(5, 14) = 1;
    EXPECT_EQ(cli::differences(before, after), "");
    after(13, 13) = 2;
    EXPECT_EQ(cli::differences(before, after),
              "mass(13,13): 0 -> 2 (empty ground -> steel block)\n");
}
