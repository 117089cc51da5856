// SPDX-License-Identifier: MIT
#include <QDir>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include "map/mapfile.h"
#include "qtfiles.h"

using namespace korrin;
using korrin::test::readFile;
using korrin::test::writeFile;

namespace {

struct Run {
    int status = -1;
    QByteArray out;
    QByteArray err;
};

// Runs `program` in `folder` without a display, with its own home so that Tiled's settings
// stay inside the test's folder.
Run run(const QString& program, const QStringList& arguments, const QString& folder) {
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("HOME"), folder);
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), folder + QStringLiteral("/.config"));
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), folder);
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(folder);
    process.start(program, arguments);
    if (!process.waitForFinished(60000)) {
        process.kill();
        return {};
    }
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            process.readAllStandardOutput(), process.readAllStandardError()};
}

Run korrinMap(const QStringList& arguments, const QString& folder) {
    return run(QStringLiteral(KORRIN_MAP_PATH), arguments, folder);
}

// Every code in every column and row: cell (x, y) holds (x + y - 2) % 10.
map::Grid allCodes() {
    map::Grid mass;
    for (int x = 1; x <= 13; ++x) {
        for (int y = 1; y <= 13; ++y) {
            mass(x, y) = static_cast<map::Byte>((x + y - 2) % 10);
        }
    }
    return mass;
}

QByteArray mapFile(const map::Grid& mass) {
    const std::string bytes = map::formatMap(mass, {map::kCellSize, 0, 13, 13});
    return QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

// What the editor saves after opening `mass` and one redraw.
QByteArray editorSave(map::Grid mass) {
    map::ApplyFixedCells(mass);
    return mapFile(mass);
}

// The gids of allCodes() through a tileset with firstgid `first`, in Tiled's cell order.
QList<quint32> allCodesGids(quint32 first = 1) {
    QList<quint32> gids;
    for (int y = 1; y <= 13; ++y) {
        for (int x = 1; x <= 13; ++x) {
            gids << first + (x + y - 2) % 10;
        }
    }
    return gids;
}

QByteArray csv(const QList<quint32>& gids) {
    QByteArrayList fields;
    for (const quint32 gid : gids) {
        fields << QByteArray::number(gid);
    }
    return fields.join(',');
}

QByteArray littleEndian(const QList<quint32>& gids) {
    QByteArray bytes;
    for (const quint32 gid : gids) {
        for (int shift = 0; shift < 32; shift += 8) {
            bytes.append(static_cast<char>(gid >> shift & 0xFF));
        }
    }
    return bytes;
}

const QByteArray kKorrinTileset =
    R"(<tileset firstgid="1" name="korrin" tilewidth="32" tileheight="32" tilecount="10" )"
    R"(columns="10"><image source="korrin-tiles.png" width="320" height="32"/></tileset>)";

QByteArray tmx(const QByteArray& body, const QByteArray& map = "width=\"13\" height=\"13\"") {
    return R"(<?xml version="1.0" encoding="UTF-8"?><map version="1.8" orientation="orthogonal" )" +
           map + R"( tilewidth="32" tileheight="32" infinite="0">)" + body + "</map>";
}

QByteArray tmxLayer(const QByteArray& data, const QByteArray& encoding = "encoding=\"csv\"",
                    const QByteArray& attributes = {}) {
    return R"(<layer id="1" name="map" width="13" height="13" )" + attributes + "><data " +
           encoding + ">\n" + data + "\n</data></layer>";
}

// A TMX map of allCodes() through the embedded tileset, its layer data as given.
QByteArray allCodesTmx(const QByteArray& encoding, const QByteArray& data) {
    return tmx(kKorrinTileset + tmxLayer(data, encoding));
}

const QByteArray kKorrinJson =
    R"({"firstgid":1,"name":"korrin","image":"korrin-tiles.png","imagewidth":320,)"
    R"("imageheight":32,"tilewidth":32,"tileheight":32,"tilecount":10,"columns":10})";

QByteArray json(const QByteArray& layers, const QByteArray& map = R"("width":13,"height":13)",
                const QByteArray& tilesets = kKorrinJson) {
    return R"({"type":"map","version":"1.8","orientation":"orthogonal","infinite":false,)"
           R"("tilewidth":32,"tileheight":32,"tilesets":[)" +
           tilesets + R"(],"layers":[)" + layers + "]," + map + "}";
}

QByteArray jsonLayer(const QByteArray& data, const QByteArray& more = {}) {
    return R"({"type":"tilelayer","name":"map","width":13,"height":13,"visible":true,"data":)" +
           data + more + "}";
}

// allCodes() as Python's zlib and gzip modules compress its little-endian gids.
const QByteArray kZlib =
    "eJy90qkBACEQwMBdfui/YCLPXgQibmQyIgpVatRp0KRFmw7lx/31Tfgu/BB+Cr+E38If4VP4IvzLDy6z/AOM";
const QByteArray kGzip =
    "H4sIAAAAAAAAA73SqQEAIRDAwF1+6L9gIs9eBCJuZDIiClVq1GnQpEWbDuXH/fVN+C78EH4Kv4Tfwh/hU/gi/"
    "MsPLowGs9KkAgAA";

}  // namespace

class TestInterop : public QObject {
    Q_OBJECT

private slots:
    void importsWhatTiledWrites_data();
    void importsWhatTiledWrites();
    void importRefusesWhatIsNotAKorrinMap_data();
    void importRefusesWhatIsNotAKorrinMap();
    void tiledReadsAndWritesTheExport_data();
    void tiledReadsAndWritesTheExport();
};

void TestInterop::importsWhatTiledWrites_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    const QList<quint32> gids = allCodesGids();
    QTest::newRow("TMX, CSV") << "in.tmx" << allCodesTmx("encoding=\"csv\"", csv(gids));
    QTest::newRow("TMX, base64") << "in.tmx"
                                 << allCodesTmx("encoding=\"base64\"",
                                                "   " + littleEndian(gids).toBase64() + "\n  ");
    QTest::newRow("TMX, base64 zlib")
        << "in.tmx" << allCodesTmx(R"(encoding="base64" compression="zlib")", kZlib);
    QTest::newRow("TMX, base64 gzip")
        << "in.tmx" << allCodesTmx(R"(encoding="base64" compression="gzip")", kGzip);
    QTest::newRow("JSON, array") << "in.json" << json(jsonLayer("[" + csv(gids) + "]"));
    QTest::newRow("JSON, base64 gzip")
        << "in.tmj"
        << json(jsonLayer('"' + kGzip + '"', R"(,"encoding":"base64","compression":"gzip")"));
    QTest::newRow("JSON, hidden layer, then a group holding the map")
        << "in.json"
        << json(jsonLayer("[" + csv(QList<quint32>(169, 3)) + "]", R"(,"visible":false)") +
                R"(,{"type":"objectgroup","name":"notes","objects":[]})" +
                R"(,{"type":"group","name":"sketch","layers":[)" +
                jsonLayer("[" + csv(gids) + "]") + "]}");
    QTest::newRow("TMX, external tileset after another one")
        << "in.tmx"
        << tmx(R"(<tileset firstgid="1" name="sketch" tilewidth="32" tileheight="32" )"
               R"(tilecount="20" columns="20"/><tileset firstgid="21" source="tiles/k.tsx"/>)"
               R"(<properties><property name="a" value="1"/></properties>)"
               R"(<layer id="2" name="map" width="13" height="13" visible="0"><data )"
               R"(encoding="csv">)" +
               csv(QList<quint32>(169, 1)) + "</data></layer><group id=\"3\" name=\"g\">" +
               tmxLayer(csv(allCodesGids(21))) + "</group>");
}

void TestInterop::importsWhatTiledWrites() {
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QTemporaryDir dir;
    QDir(dir.path()).mkdir("tiles");
    writeFile(dir.filePath(name), bytes);
    writeFile(dir.filePath("tiles/k.tsx"),
              R"(<?xml version="1.0" encoding="UTF-8"?><tileset version="1.8" name="korrin" )"
              R"(tilewidth="32" tileheight="32" tilecount="10" columns="10"/>)");
    const Run imported = korrinMap({"import", name, "-o", "out.txt"}, dir.path());
    QCOMPARE(imported.err, QByteArray());
    QCOMPARE(imported.status, 0);
    QCOMPARE(readFile(dir.filePath("out.txt")), editorSave(allCodes()));
}

void TestInterop::importRefusesWhatIsNotAKorrinMap_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QByteArray>("err");
    QList<quint32> gids = allCodesGids();
    const QByteArray mismatch = ": error 13: Type mismatch: ";
    QTest::newRow("20 x 15") << "in.tmx"
                             << tmx(kKorrinTileset + tmxLayer(csv(gids)),
                                    R"(width="20" height="15")")
                             << "in.tmx" + mismatch + "map is 20 x 15, not 13 x 13\n";
    QTest::newRow("isometric") << "in.json"
                               << json(jsonLayer("[" + csv(gids) + "]"),
                                       R"("width":13,"height":13,"orientation":"isometric")")
                               << "in.json" + mismatch + "map is isometric, not orthogonal\n";
    QTest::newRow("infinite") << "in.tmx"
                              << tmx(kKorrinTileset +
                                     tmxLayer(R"(<chunk x="0" y="0" width="16" height="16">)" +
                                              csv(gids) + "</chunk>"))
                              << "in.tmx" + mismatch + "map is infinite\n";
    gids[13 + 2] = 0;
    QTest::newRow("empty cell") << "in.tmx" << tmx(kKorrinTileset + tmxLayer(csv(gids)))
                                << "in.tmx" + mismatch + "cell (3, 2) is empty\n";
    gids[13 + 2] = 11;
    QTest::newRow("other tileset")
        << "in.json"
        << json(jsonLayer("[" + csv(gids) + "]"), R"("width":13,"height":13)",
                kKorrinJson + R"(,{"firstgid":11,"name":"sketch"})")
        << "in.json" + mismatch +
               "cell (3, 2) holds a tile of tileset \"sketch\", not \"korrin\"\n";
    QTest::newRow("beyond the ten tiles")
        << "in.tmx" << tmx(kKorrinTileset + tmxLayer(csv(gids)))
        << "in.tmx" + mismatch + "cell (3, 2) holds gid 11, beyond the 10 tiles of \"korrin\"\n";
    gids[13 + 2] = 0x80000002;
    QTest::newRow("flipped") << "in.tmx" << tmx(kKorrinTileset + tmxLayer(csv(gids)))
                             << "in.tmx" + mismatch + "cell (3, 2) is flipped or rotated\n";
    QTest::newRow("zstd") << "in.tmx"
                          << allCodesTmx(R"(encoding="base64" compression="zstd")", kZlib)
                          << "in.tmx" + mismatch +
                                 "zstd compression is not supported, only zlib and gzip\n";
    QTest::newRow("damaged zlib") << "in.tmx"
                                  << allCodesTmx(R"(encoding="base64" compression="zlib")",
                                                 kZlib.left(40))
                                  << "in.tmx" + mismatch + "compressed layer data is damaged\n";
    QTest::newRow("168 cells") << "in.tmx"
                               << allCodesTmx("encoding=\"csv\"", csv(allCodesGids().mid(1)))
                               << "in.tmx" + mismatch + "layer holds 168 cells, not 169\n";
    QTest::newRow("no visible tile layer")
        << "in.tmx"
        << tmx(kKorrinTileset + tmxLayer(csv(gids), "encoding=\"csv\"", "visible=\"0\""))
        << "in.tmx" + mismatch + "map has no visible tile layer\n";
    QTest::newRow("malformed XML")
        << "in.tmx" << allCodesTmx("encoding=\"csv\"", csv(allCodesGids())).chopped(3)
        << "in.tmx" + mismatch + "malformed XML at line 3: Premature end of document.\n";
    QTest::newRow("malformed JSON")
        << "in.json" << json(jsonLayer("[1,,2]"))
        << "in.json" + mismatch + "malformed JSON at offset 361: illegal value\n";
    QTest::newRow("no such file") << "in.tmx" << QByteArray()
                                  << QByteArray("in.tmx: error 53: File not found\n");
    QTest::newRow("no such folder")
        << "no/in.tmx" << QByteArray() << QByteArray("no/in.tmx: error 76: Path not found\n");
    QTest::newRow("no external tileset")
        << "in.tmx"
        << tmx(R"(<tileset firstgid="1" source="k.tsx"/>)" + tmxLayer(csv(allCodesGids())))
        << QByteArray("k.tsx: error 53: File not found\n");
}

void TestInterop::importRefusesWhatIsNotAKorrinMap() {
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(QByteArray, err);
    QTemporaryDir dir;
    if (!bytes.isNull()) {
        writeFile(dir.filePath(name), bytes);
    }
    const Run imported = korrinMap({"import", name, "-o", "out.txt"}, dir.path());
    QCOMPARE(imported.err, err);
    QCOMPARE(imported.status, 1);
    QVERIFY(imported.out.isEmpty());
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
             bytes.isNull() ? QStringList() : QStringList{name});
}

void TestInterop::tiledReadsAndWritesTheExport_data() {
    QTest::addColumn<QString>("exported");
    QTest::addColumn<QString>("converted");
    QTest::newRow("TMX") << "tiled/level.tmx"
                         << "json";
    QTest::newRow("JSON") << "tiled/level.json"
                          << "tmx";
}

// The proof against the real program: Tiled's own renderer, reader and writers.
void TestInterop::tiledReadsAndWritesTheExport() {
    QFETCH(QString, exported);
    QFETCH(QString, converted);
    const QString tiled = QStandardPaths::findExecutable(QStringLiteral("tiled"));
    const QString rasterizer = QStandardPaths::findExecutable(QStringLiteral("tmxrasterizer"));
    if (tiled.isEmpty() || rasterizer.isEmpty()) {
        QSKIP("Debian's package tiled is not installed (./run-tests installs it)");
    }
    QTemporaryDir dir;
    QDir(dir.path()).mkdir("tiled");
    QDir(dir.path()).mkdir("back");
    map::Grid mass = allCodes();
    mass(1, 1) = map::Base;  // a fixed cell, emptied at Open
    writeFile(dir.filePath("level.txt"), mapFile(mass));
    const QByteArray normalized = korrinMap({"normalize", "level.txt"}, dir.path()).out;

    QCOMPARE(korrinMap({"export", "level.txt", "-o", exported}, dir.path()).status, 0);
    QCOMPARE(QDir(dir.filePath("tiled")).entryList(QDir::Files),
             QStringList({"korrin-tiles.png", exported.mid(6)}));
    QCOMPARE(QImage(dir.filePath("tiled/korrin-tiles.png")).size(), QSize(320, 32));

    const Run rendered = run(rasterizer, {exported, "tiled.png"}, dir.path());
    QCOMPARE(rendered.err, QByteArray());
    QCOMPARE(korrinMap({"render", "level.txt", "-o", "korrin.png"}, dir.path()).status, 0);
    // ARGB, so that a tile Tiled failed to draw (transparent) cannot pass for black ground.
    const QImage byTiled = QImage(dir.filePath("tiled.png")).convertToFormat(QImage::Format_ARGB32);
    QCOMPARE(byTiled, QImage(dir.filePath("korrin.png")).convertToFormat(QImage::Format_ARGB32));

    const QString other = "back/level." + converted;
    const QString again = "back/again." + exported.section('.', -1);
    QCOMPARE(run(tiled, {"--export-map", converted, exported, other}, dir.path()).status, 0);
    QCOMPARE(
        run(tiled, {"--export-map", exported.section('.', -1), other, again}, dir.path()).status,
        0);
    for (const QString& file : {other, again}) {
        const Run imported = korrinMap({"import", file}, dir.path());
        QCOMPARE(imported.err, QByteArray());
        QCOMPARE(imported.out, normalized);
    }
}

QTEST_GUILESS_MAIN(TestInterop)
#include "test_interop.moc"
