// SPDX-License-Identifier: MIT
// korrin-map's commands for level packs kept in git: cells, diff and merge. None needs Qt.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "map/grid.h"

namespace korrin::cli {

/** The name of tile code `code` as this tool prints it, such as "brick wall". */
std::string_view tileName(int code);

/** Every cell of the field, one line each: "mass(x,y)=c", row by row, columns 1 .. 13. */
std::string cellLines(const map::Grid& mass);

/** Each cell that differs: "mass(x,y): a -> b (NAME -> NAME)", one line each. */
std::string differences(const map::Grid& before, const map::Grid& after);

/** A cell that both sides changed, each its own way. */
struct Conflict {
    int x;
    int y;
    map::Byte base;
    map::Byte ours;
    map::Byte theirs;
};

/**
 * The three-way merge of the field, cell by cell: a cell changed on one side takes that side's
 * tile, one changed alike on both takes that tile, and one changed differently on both keeps
 * ours and is listed in `conflicts`.
 */
map::Grid merge(const map::Grid& base, const map::Grid& ours, const map::Grid& theirs,
                std::vector<Conflict>& conflicts);

/** "mass(x,y): base a, ours b, theirs c" with a line end. */
std::string conflictLine(const Conflict& conflict);

}  // namespace korrin::cli
