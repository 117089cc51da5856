// SPDX-License-Identifier: MIT
// The grid, its fixed cells and clearing.
#include "grid.h"

#include "error.h"

namespace korrin::map {

std::size_t Grid::index(int x, int y) {
    if (x < 0 || x > kGridLast || y < 0 || y > kGridLast) {
        throw Error(ErrorNumber::SubscriptOutOfRange);
    }
    return static_cast<std::size_t>(y) * (kGridLast + 1) + static_cast<std::size_t>(x);
}

void ApplyFixedCells(Grid& mass) {
    for (const FixedCell& cell : kFixedCells) {
        mass(cell.x, cell.y) = cell.code;
    }
}

void ClearField(Grid& mass) {
    for (int x = 2; x <= kFieldSize - 1; ++x) {
        for (int y = 2; y <= kFieldSize - 1; ++y) {
            mass(x, y) = Empty;
        }
    }
}

}  // namespace korrin::map
