// SPDX-License-Identifier: MIT
#include <unistd.h>
#include <zlib.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QXmlStreamReader>
#include <cerrno>
#include <cstdint>
#include <optional>
#include <vector>

#include "map/error.h"
#include "map/file.h"
#include "map/paths.h"
#include "tiled.h"

namespace korrin::interop {

namespace {

using map::Error;
using map::ErrorNumber;
using map::kFieldSize;

constexpr int kCells = kFieldSize * kFieldSize;
const std::string kSize = std::to_string(kFieldSize);
// A Tiled map of 13 x 13 tiles is a few kilobytes; anything far bigger is not one of ours,
// and the bound keeps a hostile file from taking all memory.
constexpr std::size_t kMaxFileBytes = 16 * 1024 * 1024;
// The gid bits Tiled uses for flipping horizontally, vertically, diagonally and rotating hexes.
constexpr std::uint32_t kFlipBits = 0xF0000000u;
// Deeper layer groups than a designer would make; the bound keeps the stack safe.
constexpr int kMaxGroupDepth = 64;

[[noreturn]] void notAMap(const std::string& path, const std::string& reason) {
    throw Error(ErrorNumber::TypeMismatch, path, reason);
}

std::string toStd(const QString& text) {
    return text.toStdString();
}

QByteArray readFile(const std::string& path) {
    const map::Descriptor file = map::openForReading(path);
    QByteArray bytes;
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

// Both formats start their document with a brace or an angle bracket.
bool isJson(const QByteArray& bytes) {
    return bytes.trimmed().startsWith('{');
}

struct Tileset {
    std::uint32_t firstGid = 0;
    QString name;
    QString source;  // an external tileset file, relative to the map
};

struct Layer {
    bool listed = false;  // gids given one by one: XML tile elements or a JSON array
    bool chunked = false;
    QString encoding;
    QString compression;
    QByteArray text;
    std::vector<std::uint32_t> gids;
};

struct TiledMap {
    QString orientation = QStringLiteral("orthogonal");
    int width = 0;
    int height = 0;
    bool infinite = false;
    std::vector<Tileset> tilesets;
    std::optional<Layer> layer;  // the first visible tile layer
};

class TmxReader {
public:
    TmxReader(const QByteArray& bytes, const std::string& path) : xml_(bytes), path_(path) {}

    TiledMap readMap() {
        TiledMap tiled;
        if (xml_.readNextStartElement() && xml_.name() == u"map") {
            const QXmlStreamAttributes attributes = xml_.attributes();
            if (attributes.hasAttribute(QStringLiteral("orientation"))) {
                tiled.orientation = attributes.value(QStringLiteral("orientation")).toString();
            }
            tiled.width = attributes.value(QStringLiteral("width")).toInt();
            tiled.height = attributes.value(QStringLiteral("height")).toInt();
            tiled.infinite = attributes.value(QStringLiteral("infinite")) == u"1";
            readChildren(tiled, true, 0);
        } else if (!xml_.hasError()) {
            notAMap(path_, "not a TMX map");
        }
        finish();
        return tiled;
    }

    QString readTilesetName() {
        QString name;
        if (xml_.readNextStartElement() && xml_.name() == u"tileset") {
            name = xml_.attributes().value(QStringLiteral("name")).toString();
            xml_.skipCurrentElement();
        } else if (!xml_.hasError()) {
            notAMap(path_, "not a TSX tileset");
        }
        finish();
        return name;
    }

private:
    static bool visible(const QXmlStreamAttributes& attributes) {
        return attributes.value(QStringLiteral("visible")) != u"0";
    }

    // Reads to the end, so that a malformed document is refused even after the layer.
    void finish() {
        while (!xml_.atEnd()) {
            xml_.readNext();
        }
        if (xml_.hasError()) {
            notAMap(path_, toStd(QStringLiteral("malformed XML at line %1: %2")
                                     .arg(xml_.lineNumber())
                                     .arg(xml_.errorString())));
        }
    }

    void readChildren(TiledMap& tiled, bool shown, int depth) {
        if (depth > kMaxGroupDepth) {
            notAMap(path_, "layer groups nested too deeply");
        }
        while (xml_.readNextStartElement()) {
            const QXmlStreamAttributes attributes = xml_.attributes();
            if (xml_.name() == u"tileset") {
                tiled.tilesets.push_back({attributes.value(QStringLiteral("firstgid")).toUInt(),
                                          attributes.value(QStringLiteral("name")).toString(),
                                          attributes.value(QStringLiteral("source")).toString()});
                xml_.skipCurrentElement();
            } else if (xml_.name() == u"layer" && shown && visible(attributes) && !tiled.layer) {
                tiled.layer = readLayer();
            } else if (xml_.name() == u"group") {
                readChildren(tiled, shown && visible(attributes), depth + 1);
            } else {
                xml_.skipCurrentElement();
            }
        }
    }

    Layer readLayer() {
        Layer layer;
        while (xml_.readNextStartElement()) {
            if (xml_.name() != u"data") {
                xml_.skipCurrentElement();
                continue;
            }
            layer.encoding = xml_.attributes().value(QStringLiteral("encoding")).toString();
            layer.compression = xml_.attributes().value(QStringLiteral("compression")).toString();
            layer.listed = layer.encoding.isEmpty();
            while (xml_.readNext() != QXmlStreamReader::EndElement && !xml_.atEnd()) {
                if (xml_.isCharacters()) {
                    layer.text += xml_.text().toUtf8();
                } else if (xml_.isStartElement()) {
                    layer.chunked = layer.chunked || xml_.name() == u"chunk";
                    if (xml_.name() == u"tile") {
                        layer.gids.push_back(tileGid(xml_.attributes()));
                    }
                    xml_.skipCurrentElement();
                }
            }
        }
        return layer;
    }

    std::uint32_t tileGid(const QXmlStreamAttributes& attributes) {
        if (!attributes.hasAttribute(QStringLiteral("gid"))) {
            return 0;
        }
        bool ok = false;
        const std::uint32_t gid = attributes.value(QStringLiteral("gid")).toUInt(&ok);
        if (!ok) {
            notAMap(path_, "a tile's gid is not a number");
        }
        return gid;
    }

    QXmlStreamReader xml_;
    const std::string& path_;
};

QJsonObject jsonRoot(const QByteArray& bytes, const std::string& path) {
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError) {
        notAMap(path, toStd(QStringLiteral("malformed JSON at offset %1: %2")
                                .arg(error.offset)
                                .arg(error.errorString())));
    }
    if (!document.isObject()) {
        notAMap(path, "not a Tiled JSON document");
    }
    return document.object();
}

Layer jsonLayer(const QJsonObject& object, const std::string& path) {
    Layer layer;
    layer.chunked = object.contains(QStringLiteral("chunks"));
    layer.encoding = object.value(QStringLiteral("encoding")).toString();
    layer.compression = object.value(QStringLiteral("compression")).toString();
    const QJsonValue data = object.value(QStringLiteral("data"));
    layer.listed = data.isArray();
    if (data.isString()) {
        layer.text = data.toString().toUtf8();
    }
    for (const QJsonValue& value : data.toArray()) {
        const double gid = value.toDouble(-1);
        if (gid < 0 || gid > UINT32_MAX ||
            gid != static_cast<double>(static_cast<std::int64_t>(gid))) {
            notAMap(path, "layer data holds something that is not a gid");
        }
        layer.gids.push_back(static_cast<std::uint32_t>(gid));
    }
    return layer;
}

void findJsonLayer(const QJsonArray& layers, TiledMap& tiled, const std::string& path) {
    for (const QJsonValue& value : layers) {
        const QJsonObject layer = value.toObject();
        if (tiled.layer || !layer.value(QStringLiteral("visible")).toBool(true)) {
            continue;
        }
        const QString type = layer.value(QStringLiteral("type")).toString();
        if (type == u"group") {
            findJsonLayer(layer.value(QStringLiteral("layers")).toArray(), tiled, path);
        } else if (type == u"tilelayer") {
            tiled.layer = jsonLayer(layer, path);
        }
    }
}

TiledMap readJsonMap(const QByteArray& bytes, const std::string& path) {
    const QJsonObject root = jsonRoot(bytes, path);
    TiledMap tiled;
    tiled.orientation = root.value(QStringLiteral("orientation")).toString(tiled.orientation);
    tiled.width = root.value(QStringLiteral("width")).toInt();
    tiled.height = root.value(QStringLiteral("height")).toInt();
    tiled.infinite = root.value(QStringLiteral("infinite")).toBool();
    for (const QJsonValue& value : root.value(QStringLiteral("tilesets")).toArray()) {
        const QJsonObject tileset = value.toObject();
        const qint64 firstGid = tileset.value(QStringLiteral("firstgid")).toInteger();
        tiled.tilesets.push_back(
            {firstGid > 0 && firstGid <= UINT32_MAX ? static_cast<std::uint32_t>(firstGid) : 0,
             tileset.value(QStringLiteral("name")).toString(),
             tileset.value(QStringLiteral("source")).toString()});
    }
    findJsonLayer(root.value(QStringLiteral("layers")).toArray(), tiled, path);
    return tiled;
}

std::vector<std::uint32_t> csvGids(const QByteArray& text, const std::string& path) {
    std::vector<std::uint32_t> gids;
    for (const QByteArray& field : text.split(',')) {
        bool ok = false;
        gids.push_back(field.trimmed().toUInt(&ok));
        if (!ok) {
            notAMap(path, "layer data is not CSV of gids");
        }
    }
    return gids;
}

QByteArray inflated(const QByteArray& compressed, int windowBits, const std::string& path) {
    z_stream stream{};
    if (inflateInit2(&stream, windowBits) != Z_OK) {
        throw std::bad_alloc();
    }
    // One byte more than a full layer, so that longer data shows as not ending in time.
    QByteArray out(kCells * 4 + 1, '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(compressed.constData()));
    stream.avail_in = static_cast<uInt>(compressed.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    const int status = inflate(&stream, Z_FINISH);
    out.resize(out.size() - static_cast<qsizetype>(stream.avail_out));
    inflateEnd(&stream);
    if (status != Z_STREAM_END) {
        notAMap(path, out.size() > kCells * 4
                          ? "layer holds more than " + std::to_string(kCells) + " cells"
                          : "compressed layer data is damaged");
    }
    return out;
}

std::vector<std::uint32_t> base64Gids(const Layer& layer, const std::string& path) {
    const auto decoded = QByteArray::fromBase64Encoding(layer.text.trimmed(),
                                                        QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded) {
        notAMap(path, "layer data is not base64");
    }
    QByteArray bytes;
    if (layer.compression.isEmpty()) {
        bytes = *decoded;
    } else if (layer.compression == u"zlib") {
        bytes = inflated(*decoded, MAX_WBITS, path);
    } else if (layer.compression == u"gzip") {
        bytes = inflated(*decoded, MAX_WBITS + 16, path);
    } else {
        notAMap(path, toStd(QStringLiteral("%1 compression is not supported, only zlib and gzip")
                                .arg(layer.compression)));
    }
    if (bytes.size() % 4 != 0) {
        notAMap(path, "base64 layer data is not whole gids");
    }
    std::vector<std::uint32_t> gids;
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.constData());
    for (qsizetype i = 0; i < bytes.size(); i += 4) {
        gids.push_back(data[i] | data[i + 1] << 8 | data[i + 2] << 16 |
                       static_cast<std::uint32_t>(data[i + 3]) << 24);
    }
    return gids;
}

std::vector<std::uint32_t> layerGids(const Layer& layer, const std::string& path) {
    if (layer.chunked) {
        notAMap(path, "map is infinite");
    }
    if (layer.listed) {
        return layer.gids;
    }
    if (layer.encoding == u"csv") {
        return csvGids(layer.text, path);
    }
    if (layer.encoding == u"base64") {
        return base64Gids(layer, path);
    }
    notAMap(path, "layer data is neither CSV nor base64");
}

// The name of a tileset, read from its own file when it is external.
QString tilesetName(const Tileset& tileset, const std::string& mapPath) {
    if (tileset.source.isEmpty()) {
        return tileset.name;
    }
    const std::string source = QFile::encodeName(tileset.source).toStdString();
    const std::string path = map::besideFile(mapPath, source);
    const QByteArray bytes = readFile(path);
    if (isJson(bytes)) {
        return jsonRoot(bytes, path).value(QStringLiteral("name")).toString();
    }
    return TmxReader(bytes, path).readTilesetName();
}

std::string cellName(int x, int y) {
    return "cell (" + std::to_string(x) + ", " + std::to_string(y) + ")";
}

map::Grid toGrid(const TiledMap& tiled, const std::string& path) {
    if (tiled.orientation != u"orthogonal") {
        notAMap(path, "map is " + toStd(tiled.orientation) + ", not orthogonal");
    }
    if (tiled.infinite) {
        notAMap(path, "map is infinite");
    }
    if (tiled.width != kFieldSize || tiled.height != kFieldSize) {
        notAMap(path, "map is " + std::to_string(tiled.width) + " x " +
                          std::to_string(tiled.height) + ", not " + kSize + " x " + kSize);
    }
    if (!tiled.layer) {
        notAMap(path, "map has no visible tile layer");
    }
    const std::vector<std::uint32_t> gids = layerGids(*tiled.layer, path);
    if (gids.size() != kCells) {
        notAMap(path, "layer holds " + std::to_string(gids.size()) + " cells, not " +
                          std::to_string(kCells));
    }
    std::vector<std::optional<QString>> names(tiled.tilesets.size());
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
            // Tiled's rule: a gid belongs to the tileset with the highest firstgid not above it.
            std::optional<std::size_t> owner;
            for (std::size_t k = 0; k < tiled.tilesets.size(); ++k) {
                const std::uint32_t first = tiled.tilesets[k].firstGid;
                if (first > 0 && first <= gid &&
                    (!owner || first > tiled.tilesets[*owner].firstGid)) {
                    owner = k;
                }
            }
            if (!owner) {
                notAMap(path, cellName(x, y) + " holds gid " + std::to_string(gid) +
                                  ", which is in no tileset");
            }
            if (!names[*owner]) {
                names[*owner] = tilesetName(tiled.tilesets[*owner], path);
            }
            const QString& name = *names[*owner];
            const std::uint32_t code = gid - tiled.tilesets[*owner].firstGid;
            if (toStd(name) != kTilesetName) {
                notAMap(path, cellName(x, y) + " holds a tile of tileset \"" + toStd(name) +
                                  "\", not \"" + std::string(kTilesetName) + '"');
            }
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
    const QByteArray bytes = readFile(fileName);
    return toGrid(
        isJson(bytes) ? readJsonMap(bytes, fileName) : TmxReader(bytes, fileName).readMap(),
        fileName);
}

}  // namespace korrin::interop
