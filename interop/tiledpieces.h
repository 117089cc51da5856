// SPDX-License-Identifier: MIT
// What the TMX and JSON readers share: the map as read, its layer and its tilesets.
#pragma once

// The pieces of the Tiled import: what the TMX and JSON readers find in a map, and the
// decoding of a tile layer's data into gids. Only the import uses them.

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "map/error.h"
#include "map/grid.h"
#include "map/text.h"

namespace korrin::interop {

/** Cells of the field, and so of the one tile layer a Korrin map has. */
inline constexpr int kCells = map::kFieldSize * map::kFieldSize;

/** Refuses the file at `path` as no Korrin map, for `reason`: error 13. */
[[noreturn]] inline void notAMap(const std::string& path, const std::string& reason) {
    throw map::Error(map::ErrorNumber::TypeMismatch, path, reason);
}

/** The reason for a layer longer than the field, however it was encoded. */
inline const std::string kTooManyCells =
    "layer holds more than " + std::to_string(kCells) + " cells";

inline std::string toStd(const QString& text) {
    return text.toStdString();
}

/**
 * Text from a file as a message quotes it: whole up to 40 characters, cut short beyond, and
 * escaped.
 */
inline std::string shown(const QString& text) {
    constexpr qsizetype kShownLength = 40;
    return map::printable(text.size() <= kShownLength ? toStd(text)
                                                      : toStd(text.left(kShownLength)) + "...");
}

struct Tileset {
    std::uint32_t firstGid = 0;
    QString name;
    QString source;  // an external tileset file, relative to the map
};

/** A tile layer's data as written: gids one by one, or text to decode. */
struct Layer {
    bool listed = false;  // gids given one by one: XML tile elements or a JSON array
    bool chunked = false;
    QString encoding;
    QString compression;
    QByteArray text;
    std::vector<std::uint32_t> gids;
};

/** What the import needs of a Tiled map. */
struct TiledMap {
    QString orientation = QStringLiteral("orthogonal");
    QString width;  // as written, so that any size is reported as the user sees it
    QString height;
    bool infinite = false;
    std::vector<Tileset> tilesets;
    std::optional<Layer> layer;  // the first visible tile layer
};

/** Reads a TMX map; refuses malformed XML and anything but a map. */
TiledMap readTmxMap(const QByteArray& bytes, const std::string& path);
/** The name of the tileset in a TSX file. */
QString readTsxTilesetName(const QByteArray& bytes, const std::string& path);

/** Reads a map in Tiled's JSON format; refuses malformed JSON and anything but an object. */
TiledMap readJsonMap(QByteArray bytes, const std::string& path);
/** The name of the tileset in a JSON tileset file. */
QString readJsonTilesetName(QByteArray bytes, const std::string& path);

/** The gids of a layer, decoded from CSV or base64, uncompressed, zlib or gzip. */
std::vector<std::uint32_t> layerGids(const Layer& layer, const std::string& path);

}  // namespace korrin::interop
