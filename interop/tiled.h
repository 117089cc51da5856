// SPDX-License-Identifier: MIT
// The bridge to Tiled: export a map as TMX or JSON, import a map edited in Tiled.
#pragma once

#include <algorithm>
#include <cctype>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "map/grid.h"

namespace korrin::interop {

/** The two map formats of the tile map editor Tiled. */
enum class TiledFormat { Tmx, Json };

/** The format a map file name asks for: .tmx gives TMX, .tmj or .json JSON, anything else none. */
inline std::optional<TiledFormat> tiledFormatFor(std::string_view fileName) {
    const auto dot = fileName.find_last_of("./");
    if (dot == std::string_view::npos || fileName[dot] != '.') {
        return std::nullopt;
    }
    std::string suffix(fileName.substr(dot + 1));
    std::transform(suffix.begin(), suffix.end(), suffix.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (suffix == "tmx") {
        return TiledFormat::Tmx;
    }
    if (suffix == "tmj" || suffix == "json") {
        return TiledFormat::Json;
    }
    return std::nullopt;
}

/** The tileset image an exported map refers to, written in the map's folder. */
inline constexpr std::string_view kTilesetImage = "korrin-tiles.png";
/** The name of the tileset whose tiles are the Korrin tile codes: gid = firstgid + code. */
inline constexpr std::string_view kTilesetName = "korrin";

/** Writes `bytes` to the file at `path`, replacing it. */
using WriteFile = std::function<void(const std::string& path, std::string_view bytes)>;

/**
 * Writes the field of `mass` as a Tiled map to `fileName`, in the format its name asks for:
 * one CSV tile layer "map" and an embedded tileset "korrin" with firstgid 1, whose image
 * kTilesetImage is written first, beside the map, once the map's own file is known to be
 * writable (map::checkSavable). Throws Error when a write fails.
 */
void exportTiled(const map::Grid& mass, const std::string& fileName, const WriteFile& write);

/**
 * Reads a TMX or JSON map as Tiled writes it: the first visible tile layer becomes columns and
 * rows 1 .. 13 of the grid returned, through the tileset "korrin" (embedded, or an external
 * tileset file beside the map). Throws Error 13 with a reason for content that is not a
 * Korrin map and the usual file errors (53, 76, 70, ...) for files that cannot be read.
 */
map::Grid importTiled(const std::string& fileName);

}  // namespace korrin::interop
