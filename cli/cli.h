// SPDX-License-Identifier: MIT
// korrin-map as a library: its entry point and the commands loaded from the Qt module.
#pragma once

#include <string>
#include <vector>

#include "map/grid.h"

namespace korrin::cli {

inline constexpr int kOk = 0;
inline constexpr int kFailed = 1;
inline constexpr int kUsage = 2;

/** The commands that need Qt: loaded from a module only when one of them runs. */
struct QtCommands {
    /** The fields as the editor shows them, on a sheet of `columns` columns, as PNG bytes. */
    std::string (*renderSheetPng)(const std::vector<map::Grid>& fields, int columns, bool grid);
    /** Two fields side by side with the cells that differ outlined, as PNG bytes. */
    std::string (*renderDiffPng)(const map::Grid& before, const map::Grid& after);
    /** Writes `mass` as a Tiled map to `output`, with its tileset picture beside it. */
    void (*exportTiled)(const map::Grid& mass, const std::string& output);
    /** Reads the grid from a map edited in Tiled. */
    map::Grid (*importTiled)(const std::string& file);
};

/**
 * Loads the module of the Qt commands for the program whose absolute path is `program`: from
 * its folder, then from the library folder of an installation. Throws Error 48 naming every
 * place looked and why each failed, and for a `program` that is no absolute path.
 */
const QtCommands& loadQtCommands(const std::string& program);

/**
 * Uses `commands` instead of loading the Qt module: for a program that links them itself,
 * such as the tests.
 */
void setQtCommands(const QtCommands* commands);

/**
 * Runs korrin-map with its command line and returns its exit status: 0 when every file
 * loaded, 1 when one failed, 2 for a usage error. Whatever goes wrong ends in one line on
 * standard error, never in an abort.
 */
int runTool(int argc, char* argv[]);

}  // namespace korrin::cli
