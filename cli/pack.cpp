// SPDX-License-Identifier: MIT
// The cells, differences and three-way merge of level packs in git.
#include "pack.h"

#include <array>

namespace korrin::cli {

namespace {

using map::kFieldSize;

std::string cellName(int x, int y) {
    return "mass(" + std::to_string(x) + "," + std::to_string(y) + ")";
}

}  // namespace

std::string_view tileName(int code) {
    static constexpr std::array<std::string_view, map::kTileCount> names{
        "empty ground",
        "brick wall",
        "steel block",
        "bushes",
        "water",
        "brick wall, right half",
        "brick wall, left half",
        "brick wall, bottom half",
        "brick wall, top half",
        "base",
    };
    return code >= 0 && code < map::kTileCount ? names[static_cast<std::size_t>(code)] : "no tile";
}

std::string cellLines(const map::Grid& mass) {
    std::string lines;
    for (int y = 1; y <= kFieldSize; ++y) {
        for (int x = 1; x <= kFieldSize; ++x) {
            lines += cellName(x, y) + "=" + std::to_string(mass(x, y)) + "\n";
        }
    }
    return lines;
}

std::string differences(const map::Grid& before, const map::Grid& after) {
    std::string lines;
    for (int y = 1; y <= kFieldSize; ++y) {
        for (int x = 1; x <= kFieldSize; ++x) {
            const int a = before(x, y);
            const int b = after(x, y);
            if (a != b) {
                lines += cellName(x, y) + ": " + std::to_string(a) + " -> " + std::to_string(b) +
                         " (" + std::string(tileName(a)) + " -> " + std::string(tileName(b)) +
                         ")\n";
            }
        }
    }
    return lines;
}

map::Grid merge(const map::Grid& base, const map::Grid& ours, const map::Grid& theirs,
                std::vector<Conflict>& conflicts) {
    map::Grid merged = ours;
    for (int y = 1; y <= kFieldSize; ++y) {
        for (int x = 1; x <= kFieldSize; ++x) {
            if (theirs(x, y) == base(x, y) || theirs(x, y) == ours(x, y)) {
                continue;  // ours stands: theirs kept the base or agrees
            }
            if (ours(x, y) == base(x, y)) {
                merged(x, y) = theirs(x, y);
            } else {
                conflicts.push_back({x, y, base(x, y), ours(x, y), theirs(x, y)});
            }
        }
    }
    return merged;
}

std::string conflictLine(const Conflict& conflict) {
    return cellName(conflict.x, conflict.y) + ": base " + std::to_string(conflict.base) +
           ", ours " + std::to_string(conflict.ours) + ", theirs " +
           std::to_string(conflict.theirs) + "\n";
}

}  // namespace korrin::cli
