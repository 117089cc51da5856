// SPDX-License-Identifier: MIT
#include <QXmlStreamReader>

#include "tiledpieces.h"

namespace korrin::interop {

namespace {

// Deeper layer groups than a designer would make; the bound keeps the stack safe.
constexpr int kMaxGroupDepth = 64;

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
            tiled.width = attributes.value(QStringLiteral("width")).toString();
            tiled.height = attributes.value(QStringLiteral("height")).toString();
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
                } else if (xml_.isEntityReference()) {
                    // Dropping it would shift every later cell of the layer.
                    notAMap(path_, toStd(QStringLiteral("layer data holds the unknown entity &%1;")
                                             .arg(xml_.name())));
                } else if (xml_.isStartElement()) {
                    layer.chunked = layer.chunked || xml_.name() == u"chunk";
                    if (xml_.name() == u"tile" && layer.gids.size() <= kCells) {
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

}  // namespace

TiledMap readTmxMap(const QByteArray& bytes, const std::string& path) {
    return TmxReader(bytes, path).readMap();
}

QString readTsxTilesetName(const QByteArray& bytes, const std::string& path) {
    return TmxReader(bytes, path).readTilesetName();
}

}  // namespace korrin::interop
