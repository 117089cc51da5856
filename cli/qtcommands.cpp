// SPDX-License-Identifier: MIT
// The commands that need Qt, built as the module korrin-map loads on demand.
#include <QImage>

#include "cli.h"
#include "interop/tiled.h"
#include "map/savefile.h"
#include "render/fieldpainter.h"

namespace {

using namespace korrin;

std::string renderPng(const map::Grid& mass, bool grid) {
    QImage image(render::kFieldPixels, render::kFieldPixels, QImage::Format_RGB32);
    render::paintField(image, mass, render::ImageList(), grid);
    return render::pngBytes(image);
}

void exportTiled(const map::Grid& mass, const std::string& output) {
    interop::exportTiled(mass, output, map::saveFile);
}

}  // namespace

extern "C" __attribute__((visibility("default"))) const korrin::cli::QtCommands*
korrin_qt_commands() {
    static const korrin::cli::QtCommands commands{renderPng, exportTiled, interop::importTiled};
    return &commands;
}
