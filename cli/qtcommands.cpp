// SPDX-License-Identifier: MIT
// The commands that need Qt, built as the module korrin-map loads on demand.
#include <QImage>

#include "cli.h"
#include "interop/tiled.h"
#include "map/savefile.h"
#include "render/fieldpainter.h"
#include "render/reviewpictures.h"

namespace {

using namespace korrin;

std::string renderSheetPng(const std::vector<map::Grid>& fields, int columns, bool grid) {
    return render::pngBytes(render::sheetImage(fields, columns, grid, render::ImageList()));
}

std::string renderDiffPng(const map::Grid& before, const map::Grid& after) {
    return render::pngBytes(render::diffImage(before, after, render::ImageList()));
}

void exportTiled(const map::Grid& mass, const std::string& output) {
    interop::exportTiled(mass, output, map::saveFile);
}

}  // namespace

extern "C" __attribute__((visibility("default"))) const korrin::cli::QtCommands*
korrin_qt_commands() {
    static const korrin::cli::QtCommands commands{renderSheetPng, renderDiffPng, exportTiled,
                                                  interop::importTiled};
    return &commands;
}
