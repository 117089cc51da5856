// SPDX-License-Identifier: MIT
#pragma once

#include <QList>
#include <QString>

#include "map/grid.h"

namespace korrin::editor {

class PictureBox;

/** The name of tile code `code` (0 .. 9) as a screen reader says it. */
QString tileName(int code);

/**
 * Makes the field known to screen readers as a table of 13 rows and 13 columns named
 * "Карта", whose cells name their column, row and tile. Installed once, by the first field.
 */
void installFieldAccessibility();

/** The table indexes (row by row, from 0) of the field's cells that differ between the grids. */
QList<int> changedCells(const map::Grid& before, const map::Grid& after);

/** Tells a screen reader which cells now show another tile. */
void announceChangedCells(PictureBox* field, const map::Grid& before, const map::Grid& after);

/** Tells a screen reader that the focused cell moved to the field's keyboard cell. */
void announceFocusedCell(PictureBox* field);

}  // namespace korrin::editor
