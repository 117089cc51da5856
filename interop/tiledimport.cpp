// SPDX-License-Identifier: MIT
// The Tiled import: reads the map, builds its tile table once, then checks every cell.
#include <sys/stat.h>

#include <QFile>
#include <algorithm>
#include <map>

#include "map/file.h"
#include "map/paths.h"
#include "tiled.h"
#include "tiledpieces.h"

namespace korrin::interop {

namespace {

using map::kFieldSize;

const std::string kSize = std::to_string(kFieldSize);
// A Tiled map of 13 x 13 tiles is a few kilobytes; anything far bigger is not one of ours,
// and the bound keeps a hostile file from taking all memory.
constexpr std::size_t kMaxFileBytes = 16 * 1024 * 1024;
// The gid bits Tiled uses for flipping horizontally, vertically, diagonally and rotating hexes.
constexpr std::uint32_t kFlipBits = 0xF0000000u;

QByteArray readFile(const std::string& path) {
    const map::Descriptor file = map::openForReading(path);
    // Room for the whole file at once when its size is known: growing by doubling would
    // briefly hold three times a large file.
    struct stat status {};
    QByteArray bytes;
    if (::fstat(file.get(), &status) == 0 && S_ISREG(status.st_mode)) {
        bytes.reserve(static_cast<qsizetype>(
            std::min<std::size_t>(static_cast<std::size_t>(status.st_size), kMaxFileBytes) + 1));
    }
    char block[65536];
    for (;;) {
        const std::size_t got = map::readSome(file.get(), block, sizeof block, path);
        if (got == 0) {
            return bytes;
        }
        bytes.append(block, static_cast<qsizetype>(got));
        if (static_cast<std::size_t>(bytes.size()) > kMaxFileBytes) {
            notAMap(path, "file is larger than 16 MiB");
        }
    }
}

// Both formats start their document with a brace (or a JSON array's bracket) or an angle
// bracket, after white space and a byte order mark.
bool isJson(const QByteArray& bytes) {
    const QByteArray start = bytes.trimmed();
    return start.startsWith('{') || start.startsWith('[');
}

bool isXml(const QByteArray& bytes) {
    QByteArray start = bytes.trimmed();
    if (start.startsWith("\xef\xbb\xbf")) {
        start = start.mid(3).trimmed();
    }
    return start.startsWith('<');
}

// A name with a NUL would name another file once passed to the system; no tileset file's name
// holds a control character.
bool isTilesetFileName(const QString& source) {
    const QString suffix = source.section(QLatin1Char('.'), -1).toLower();
    return source.contains(QLatin1Char('.')) &&
           (suffix == u"tsx" || suffix == u"tsj" || suffix == u"json") &&
           std::none_of(source.begin(), source.end(), [](QChar c) {
               return c.unicode() < 0x20 || (c.unicode() >= 0x7f && c.unicode() <= 0x9f);
           });
}

// The name of a tileset, read from its own file when it is external. Only tileset files are
// followed, whatever else the map names.
QString tilesetName(const Tileset& tileset, const std::string& mapPath) {
    if (tileset.source.isEmpty()) {
        return tileset.name;
    }
    if (!isTilesetFileName(tileset.source)) {
        notAMap(mapPath, "tileset " + shown(tileset.source) + " is not a .tsx, .tsj or .json file");
    }
    const std::string source = QFile::encodeName(tileset.source).toStdString();
    const std::string path = map::besideFile(mapPath, source);
    QByteArray bytes = readFile(path);
    return isJson(bytes) ? readJsonTilesetName(std::move(bytes), path)
                         : readTsxTilesetName(bytes, path);
}

/**
 * The map's tilesets by first gid. Tiled's rule: a gid belongs to the tileset with the highest
 * first gid not above it. Names are read once, for the tilesets the layer uses.
 */
class TileTable {
public:
    TileTable(const TiledMap& tiled, const std::vector<std::uint32_t>& gids,
              const std::string& path) {
        for (const Tileset& tileset : tiled.tilesets) {
            if (tileset.firstGid > 0) {
                byFirstGid_.try_emplace(tileset.firstGid, Entry{&tileset, std::nullopt});
            }
        }
        for (const std::uint32_t gid : gids) {
            if (Entry* entry = owner(gid); entry != nullptr && !entry->name) {
                entry->name = tilesetName(*entry->tileset, path);
            }
        }
    }

    /** The first gid of the tileset that holds `gid` and whether it is "korrin", or nothing. */
    std::optional<std::pair<std::uint32_t, bool>> find(std::uint32_t gid) {
        const Entry* entry = owner(gid);
        if (entry == nullptr) {
            return std::nullopt;
        }
        return std::pair{entry->tileset->firstGid, toStd(*entry->name) == kTilesetName};
    }

    /**
     * How an error names the tileset that holds `gid`: by its name in the map, or by its file,
     * for no text of a file that is not a Korrin tileset is shown.
     */
    std::string shownName(std::uint32_t gid) {
        const Tileset& tileset = *owner(gid)->tileset;
        return shown(tileset.source.isEmpty() ? tileset.name : tileset.source);
    }

private:
    struct Entry {
        const Tileset* tileset;
        std::optional<QString> name;
    };

    Entry* owner(std::uint32_t gid) {
        if ((gid & kFlipBits) != 0 || gid == 0) {
            return nullptr;
        }
        auto after = byFirstGid_.upper_bound(gid);
        return after == byFirstGid_.begin() ? nullptr : &std::prev(after)->second;
    }

    std::map<std::uint32_t, Entry> byFirstGid_;
};

std::string cellName(int x, int y) {
    return "cell (" + std::to_string(x) + ", " + std::to_string(y) + ")";
}

void checkHeader(const TiledMap& tiled, const std::string& path) {
    if (tiled.orientation != u"orthogonal") {
        notAMap(path, "map is " + shown(tiled.orientation) + ", not orthogonal");
    }
    if (tiled.infinite) {
        notAMap(path, "map is infinite");
    }
    if (tiled.width != QString::fromStdString(kSize) ||
        tiled.height != QString::fromStdString(kSize)) {
        const auto written = [](const QString& size) {
            return size.isEmpty() ? std::string("?") : shown(size);
        };
        notAMap(path, "map is " + written(tiled.width) + " x " + written(tiled.height) + ", not " +
                          kSize + " x " + kSize);
    }
    if (!tiled.layer) {
        notAMap(path, "map has no visible tile layer");
    }
}

map::Grid toGrid(const TiledMap& tiled, const std::string& path) {
    checkHeader(tiled, path);
    const std::vector<std::uint32_t> gids = layerGids(*tiled.layer, path);
    if (gids.size() != kCells) {
        // Decoding stops one cell past the field, so a longer layer's count is not known.
        notAMap(path, gids.size() > kCells ? kTooManyCells
                                           : "layer holds " + std::to_string(gids.size()) +
                                                 " cells, not " + std::to_string(kCells));
    }
    TileTable table(tiled, gids, path);
    map::Grid mass;
    for (int y = 1; y <= kFieldSize; ++y) {
        for (int x = 1; x <= kFieldSize; ++x) {
            const std::uint32_t gid = gids[static_cast<std::size_t>((y - 1) * kFieldSize + x - 1)];
            if ((gid & kFlipBits) != 0) {
                notAMap(path, cellName(x, y) + " is flipped or rotated");
            }
            if (gid == 0) {
                notAMap(path, cellName(x, y) + " is empty");
            }
            const auto tileset = table.find(gid);
            if (!tileset) {
                notAMap(path, cellName(x, y) + " holds gid " + std::to_string(gid) +
                                  ", which is in no tileset");
            }
            const auto [firstGid, korrin] = *tileset;
            if (!korrin) {
                notAMap(path, cellName(x, y) + " holds a tile of tileset \"" +
                                  table.shownName(gid) + "\", not \"" + std::string(kTilesetName) +
                                  '"');
            }
            const std::uint32_t code = gid - firstGid;
            if (code >= map::kTileCount) {
                notAMap(path, cellName(x, y) + " holds gid " + std::to_string(gid) +
                                  ", beyond the " + std::to_string(map::kTileCount) +
                                  " tiles of \"" + std::string(kTilesetName) + '"');
            }
            mass(x, y) = static_cast<map::Byte>(code);
        }
    }
    return mass;
}

}  // namespace

map::Grid importTiled(const std::string& fileName) {
    QByteArray bytes = readFile(fileName);
    if (isJson(bytes)) {
        return toGrid(readJsonMap(std::move(bytes), fileName), fileName);
    }
    if (isXml(bytes)) {
        return toGrid(readTmxMap(bytes, fileName), fileName);
    }
    notAMap(fileName, "not a Tiled map");
}

}  // namespace korrin::interop
