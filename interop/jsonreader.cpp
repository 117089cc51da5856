// SPDX-License-Identifier: MIT
// The reader of Tiled's JSON maps and tilesets.
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cmath>

#include "tiledpieces.h"

namespace korrin::interop {

namespace {

// Qt's JSON document takes 16 bytes and more for every value however short its text, so a
// file of nothing but tiny values would take many times its size. A Tiled map of 13 x 13
// tiles holds a few hundred values.
constexpr qsizetype kMaxJsonValues = 100'000;

// The values in JSON text (keys included), counted without parsing: every one but the first
// follows a comma, a colon or an opening bracket outside strings.
qsizetype jsonValueCount(const QByteArray& bytes) {
    qsizetype count = 1;
    bool inString = false;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (inString) {
            if (c == '\\') {
                ++i;
            } else if (c == '"') {
                inString = false;
            }
        } else if (c == '"') {
            inString = true;
        } else if (c == ',' || c == ':' || c == '[' || c == '{') {
            ++count;
        }
    }
    return count;
}

// Takes the text, which it frees once parsed: a layer's data string is converted twice after.
QJsonObject jsonRoot(QByteArray bytes, const std::string& path) {
    if (jsonValueCount(bytes) > kMaxJsonValues) {
        notAMap(path, "file holds more than " + std::to_string(kMaxJsonValues) + " JSON values");
    }
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    bytes = QByteArray();
    if (error.error != QJsonParseError::NoError) {
        notAMap(path, toStd(QStringLiteral("malformed JSON at offset %1: %2")
                                .arg(error.offset)
                                .arg(error.errorString())));
    }
    if (!document.isObject()) {
        notAMap(path, "not a Tiled map");
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
    for (const auto& value : data.toArray()) {
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
    for (const auto& value : layers) {
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

// A size as the file gives it: a whole number in full, anything else as JSON would write it.
QString writtenNumber(const QJsonValue& value) {
    if (value.isDouble()) {
        const double number = value.toDouble();
        return number == std::floor(number) && std::abs(number) < 1e18
                   ? QString::number(static_cast<qint64>(number))
                   : QString::number(number, 'g', 17);
    }
    return value.isUndefined()
               ? QString()
               : QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact).mid(1).chopped(1);
}

}  // namespace

TiledMap readJsonMap(QByteArray bytes, const std::string& path) {
    const QJsonObject root = jsonRoot(std::move(bytes), path);
    TiledMap tiled;
    tiled.orientation = root.value(QStringLiteral("orientation")).toString(tiled.orientation);
    tiled.width = writtenNumber(root.value(QStringLiteral("width")));
    tiled.height = writtenNumber(root.value(QStringLiteral("height")));
    tiled.infinite = root.value(QStringLiteral("infinite")).toBool();
    for (const auto& value : root.value(QStringLiteral("tilesets")).toArray()) {
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

QString readJsonTilesetName(QByteArray bytes, const std::string& path) {
    return jsonRoot(std::move(bytes), path).value(QStringLiteral("name")).toString();
}

}  // namespace korrin::interop
