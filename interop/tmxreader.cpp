// SPDX-License-Identifier: MIT
// The reader of Tiled's TMX maps and TSX tilesets.
#include <QBuffer>
#include <QXmlStreamReader>
#include <utility>

#include "tiledpieces.h"

namespace korrin::interop {

namespace {

// Deeper layer groups than a designer would make; the bound keeps the stack safe.
constexpr int kMaxGroupDepth = 64;
// Qt's reader keeps every open element and holds a whole tag, its attributes each a string of
// their own, before it reports it: deep nesting or a tag of millions of attributes would take
// many times the file's size. Tiled writes short tags a few levels deep.
constexpr int kMaxDepth = 256;
constexpr qsizetype kMaxTagBytes = 64 * 1024;

// Markup that is not a tag, by how it starts and ends.
constexpr std::pair<QByteArrayView, QByteArrayView> kOtherMarkup[] = {
    {"<!--", "-->"}, {"<![CDATA[", "]]>"}, {"<?", "?>"}};

struct Markup {
    qsizetype end;  // the index of its last character, or -1 when it does not end
    bool tag;
};

// The markup that starts at `at`. Tags end at the first '>' outside quotes.
Markup markupAt(QByteArrayView bytes, qsizetype at) {
    for (const auto& [start, end] : kOtherMarkup) {
        if (bytes.sliced(at).startsWith(start)) {
            const qsizetype found = bytes.indexOf(end, at + start.size());
            return {found < 0 ? -1 : found + end.size() - 1, false};
        }
    }
    char quote = 0;
    for (qsizetype end = at + 1; end < bytes.size(); ++end) {
        const char c = bytes[end];
        if (quote != 0) {
            quote = c == quote ? 0 : quote;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == '>') {
            return {end, true};
        }
    }
    return {-1, true};
}

void checkTagLengths(QByteArrayView bytes, const std::string& path) {
    for (qsizetype at = bytes.indexOf('<'); at >= 0; at = bytes.indexOf('<', at)) {
        const Markup markup = markupAt(bytes, at);
        if (markup.tag && (markup.end < 0 ? bytes.size() : markup.end) - at >= kMaxTagBytes) {
            notAMap(path, "an XML tag is longer than 64 KiB");
        }
        if (markup.end < 0) {
            return;  // the reader reports what does not end
        }
        at = markup.end + 1;
    }
}

class TmxReader {
public:
    // Read through a device, so that the reader decodes the file a block at a time.
    TmxReader(const QByteArray& bytes, const std::string& path) : file_(), path_(path) {
        checkTagLengths(bytes, path);
        file_.setData(bytes);
        file_.open(QIODevice::ReadOnly);
        xml_.setDevice(&file_);
    }

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
            skip();
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

    // Skips the element just started with all it holds.
    void skip() {
        for (int open = 1; open > 0 && !xml_.atEnd();) {
            const QXmlStreamReader::TokenType token = xml_.readNext();
            if (token == QXmlStreamReader::StartElement && ++open > kMaxDepth) {
                notAMap(path_, "elements nested too deeply");
            }
            open -= token == QXmlStreamReader::EndElement ? 1 : 0;
        }
    }

    // Reads to the end, so that a malformed document is refused even after the layer.
    void finish() {
        while (!xml_.atEnd()) {
            if (xml_.readNext() == QXmlStreamReader::StartElement) {
                skip();
            }
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
                skip();
            } else if (xml_.name() == u"layer" && shown && visible(attributes) && !tiled.layer) {
                tiled.layer = readLayer();
            } else if (xml_.name() == u"group") {
                readChildren(tiled, shown && visible(attributes), depth + 1);
            } else {
                skip();
            }
        }
    }

    Layer readLayer() {
        Layer layer;
        while (xml_.readNextStartElement()) {
            if (xml_.name() != u"data") {
                skip();
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
                    notAMap(path_, "layer data holds the unknown entity &" +
                                       shown(xml_.name().toString()) + ';');
                } else if (xml_.isStartElement()) {
                    layer.chunked = layer.chunked || xml_.name() == u"chunk";
                    if (xml_.name() == u"tile" && layer.gids.size() <= kCells) {
                        layer.gids.push_back(tileGid(xml_.attributes()));
                    }
                    skip();
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

    QBuffer file_;
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
