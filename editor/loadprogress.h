// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <optional>

#include "map/grid.h"

class QWidget;

namespace korrin::editor {

/**
 * Reads fileName into a copy of `mass` on a worker thread while the window keeps repainting.
 * A load that runs longer than half a second gets a modal progress dialog over `parent` with
 * the file's name, the bytes read and Cancel. Returns the loaded grid, or nothing when the
 * user cancelled; the reader's errors are thrown on the calling thread.
 */
std::optional<map::Grid> loadWithProgress(QWidget* parent, const QString& fileName,
                                          const map::Grid& mass);

}  // namespace korrin::editor
