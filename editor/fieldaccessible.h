// SPDX-License-Identifier: MIT
// The field as a table of 13 x 13 cells for screen readers, and what they are told.
#pragma once

#include <QList>
#include <QString>

#include "map/grid.h"

namespace korrin::editor {

class PictureBox;

/**
 * Makes the field known to screen readers as a table of 13 rows and 13 columns named
 * "Карта", whose cells name their column, row and tile. Installed once, by the first field.
 */
void installFieldAccessibility();

/** The table indexes (row by row, from 0) of the field's cells that differ between the grids. */
QList<int> changedCells(const map::Grid& before, const map::Grid& after);

/**
 * From now on tells screen readers what `field` publishes: the cells that show another tile,
 * and the keyboard cell as the focused cell whenever the field has the focus.
 */
void announceFieldChanges(PictureBox* field);

}  // namespace korrin::editor
