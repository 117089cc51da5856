// SPDX-License-Identifier: MIT
// The export of a map to Tiled's TMX and JSON formats, with its tileset picture.
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QXmlStreamWriter>
#include <algorithm>
#include <cctype>
#include <cstring>

#include "map/error.h"
#include "map/paths.h"
#include "map/savefile.h"
#include "render/fieldpainter.h"
#include "tiled.h"

namespace korrin::interop {

namespace {

using map::kFieldSize;
using render::kCellPixels;

constexpr int kFirstGid = 1;
constexpr int kImageWidth = kCellPixels * map::kTileCount;
// Tiled's map format version that these files follow.
const QString kVersion = QStringLiteral("1.8");

QString fromView(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::string toBytes(const QByteArray& bytes) {
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

// The ten pictures in code order, left to right, in one strip.
std::string tilesetPng() {
    const render::ImageList iList;
    QImage strip(kImageWidth, kCellPixels, QImage::Format_RGB32);
    for (int code = 0; code < map::kTileCount; ++code) {
        const QImage& picture = iList.picture(code + 1);
        for (int row = 0; row < kCellPixels; ++row) {
            std::memcpy(reinterpret_cast<QRgb*>(strip.scanLine(row)) + code * kCellPixels,
                        picture.constScanLine(row), sizeof(QRgb) * kCellPixels);
        }
    }
    return render::pngBytes(strip);
}

int gid(const map::Grid& mass, int x, int y) {
    return kFirstGid + mass(x, y);
}

// Rows of comma-separated gids, as Tiled lays out CSV layer data.
QString csvData(const map::Grid& mass) {
    QStringList rows;
    for (int y = 1; y <= kFieldSize; ++y) {
        QStringList row;
        for (int x = 1; x <= kFieldSize; ++x) {
            row << QString::number(gid(mass, x, y));
        }
        rows << row.join(QLatin1Char(','));
    }
    return QLatin1Char('\n') + rows.join(QStringLiteral(",\n")) + QLatin1Char('\n');
}

std::string tmx(const map::Grid& mass, const QString& image) {
    QByteArray bytes;
    QXmlStreamWriter xml(&bytes);
    xml.setAutoFormatting(true);
    xml.setAutoFormattingIndent(1);
    xml.writeStartDocument();
    xml.writeStartElement(QStringLiteral("map"));
    xml.writeAttribute(QStringLiteral("version"), kVersion);
    xml.writeAttribute(QStringLiteral("orientation"), QStringLiteral("orthogonal"));
    xml.writeAttribute(QStringLiteral("renderorder"), QStringLiteral("right-down"));
    xml.writeAttribute(QStringLiteral("width"), QString::number(kFieldSize));
    xml.writeAttribute(QStringLiteral("height"), QString::number(kFieldSize));
    xml.writeAttribute(QStringLiteral("tilewidth"), QString::number(kCellPixels));
    xml.writeAttribute(QStringLiteral("tileheight"), QString::number(kCellPixels));
    xml.writeAttribute(QStringLiteral("infinite"), QStringLiteral("0"));
    xml.writeAttribute(QStringLiteral("nextlayerid"), QStringLiteral("2"));
    xml.writeAttribute(QStringLiteral("nextobjectid"), QStringLiteral("1"));

    xml.writeStartElement(QStringLiteral("tileset"));
    xml.writeAttribute(QStringLiteral("firstgid"), QString::number(kFirstGid));
    xml.writeAttribute(QStringLiteral("name"), fromView(kTilesetName));
    xml.writeAttribute(QStringLiteral("tilewidth"), QString::number(kCellPixels));
    xml.writeAttribute(QStringLiteral("tileheight"), QString::number(kCellPixels));
    xml.writeAttribute(QStringLiteral("tilecount"), QString::number(map::kTileCount));
    xml.writeAttribute(QStringLiteral("columns"), QString::number(map::kTileCount));
    xml.writeEmptyElement(QStringLiteral("image"));
    xml.writeAttribute(QStringLiteral("source"), image);
    xml.writeAttribute(QStringLiteral("width"), QString::number(kImageWidth));
    xml.writeAttribute(QStringLiteral("height"), QString::number(kCellPixels));
    xml.writeEndElement();

    xml.writeStartElement(QStringLiteral("layer"));
    xml.writeAttribute(QStringLiteral("id"), QStringLiteral("1"));
    xml.writeAttribute(QStringLiteral("name"), QStringLiteral("map"));
    xml.writeAttribute(QStringLiteral("width"), QString::number(kFieldSize));
    xml.writeAttribute(QStringLiteral("height"), QString::number(kFieldSize));
    xml.writeStartElement(QStringLiteral("data"));
    xml.writeAttribute(QStringLiteral("encoding"), QStringLiteral("csv"));
    xml.writeCharacters(csvData(mass));
    xml.writeEndElement();
    xml.writeEndElement();

    xml.writeEndDocument();
    return toBytes(bytes);
}

std::string json(const map::Grid& mass, const QString& image) {
    QJsonArray data;
    for (int y = 1; y <= kFieldSize; ++y) {
        for (int x = 1; x <= kFieldSize; ++x) {
            data.append(gid(mass, x, y));
        }
    }
    const QJsonObject layer{
        {QStringLiteral("data"), data},    {QStringLiteral("height"), kFieldSize},
        {QStringLiteral("id"), 1},         {QStringLiteral("name"), QStringLiteral("map")},
        {QStringLiteral("opacity"), 1},    {QStringLiteral("type"), QStringLiteral("tilelayer")},
        {QStringLiteral("visible"), true}, {QStringLiteral("width"), kFieldSize},
        {QStringLiteral("x"), 0},          {QStringLiteral("y"), 0},
    };
    const QJsonObject tileset{
        {QStringLiteral("columns"), map::kTileCount},
        {QStringLiteral("firstgid"), kFirstGid},
        {QStringLiteral("image"), image},
        {QStringLiteral("imageheight"), kCellPixels},
        {QStringLiteral("imagewidth"), kImageWidth},
        {QStringLiteral("margin"), 0},
        {QStringLiteral("name"), fromView(kTilesetName)},
        {QStringLiteral("spacing"), 0},
        {QStringLiteral("tilecount"), map::kTileCount},
        {QStringLiteral("tileheight"), kCellPixels},
        {QStringLiteral("tilewidth"), kCellPixels},
    };
    const QJsonObject root{
        {QStringLiteral("height"), kFieldSize},
        {QStringLiteral("infinite"), false},
        {QStringLiteral("layers"), QJsonArray{layer}},
        {QStringLiteral("nextlayerid"), 2},
        {QStringLiteral("nextobjectid"), 1},
        {QStringLiteral("orientation"), QStringLiteral("orthogonal")},
        {QStringLiteral("renderorder"), QStringLiteral("right-down")},
        {QStringLiteral("tileheight"), kCellPixels},
        {QStringLiteral("tilesets"), QJsonArray{tileset}},
        {QStringLiteral("tilewidth"), kCellPixels},
        {QStringLiteral("type"), QStringLiteral("map")},
        {QStringLiteral("version"), kVersion},
        {QStringLiteral("width"), kFieldSize},
    };
    return toBytes(QJsonDocument(root).toJson(QJsonDocument::Indented));
}

}  // namespace

void exportTiled(const map::Grid& mass, const std::string& fileName, const WriteFile& write) {
    const std::optional<TiledFormat> format = tiledFormatFor(fileName);
    if (!format) {
        throw map::Error(map::ErrorNumber::BadFileName, fileName, "not a .tmx, .tmj or .json name");
    }
    const QString image = fromView(kTilesetImage);
    // The image first, so that a map on disk never refers to a missing one; but only once the
    // map can be written, so that a failed export changes no file.
    map::checkSavable(fileName);
    write(map::besideFile(fileName, kTilesetImage), tilesetPng());
    write(fileName, *format == TiledFormat::Tmx ? tmx(mass, image) : json(mass, image));
}

}  // namespace korrin::interop
