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

// Runs `program` in `folder` offscreen, with the folder as home for Tiled's settings.
Run run(const QString& program, const QStringList& arguments, const QString& folder) {
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    environment.insert("HOME", folder);
    environment.insert("XDG_CONFIG_HOME", folder);
    environment.insert("XDG_RUNTIME_DIR", folder);
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(folder);
    process.start(program, arguments);
    process.waitForFinished(60000);
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            process.readAllStandardOutput(), process.readAllStandardError()};
}

Run korrinMap(const QStringList& arguments, const QString& folder) {
    return run(KORRIN_MAP_PATH, arguments, folder);
}

// Every code in every row and column, fixed cells included: cell (x, y) holds (x + y - 2) % 10,
// but for a base in the top-left corner, which must stay empty.
QByteArray mapFile() {
    map::Grid mass;
    for (int x = 1; x <= 13; ++x) {
        for (int y = 1; y <= 13; ++y) {
            mass(x, y) = static_cast<map::Byte>((x + y - 2) % 10);
        }
    }
    mass(1, 1) = map::Base;
    const std::string bytes = map::formatMap(mass, map::kEditorSettings);
    return QByteArray::fromStdString(bytes);
}

// What the editor saves after opening mapFile(): the fixed cells imposed.
const QByteArray kSaved = QByteArray(" 13 \r\n 13 \r\n0123450789010\r\n") +
                          "1234567890123\r\n2345678901234\r\n3456789012345\r\n4567890123456\r\n"
                          "5678901234567\r\n6789012345678\r\n7890123456789\r\n8901234567890\r\n"
                          "9012345678901\r\n0123456789012\r\n1234567890123\r\n2345079901234\r\n";

// The cells of mapFile() as gids of a tileset starting at `first`, row by row.
QList<quint32> gids(quint32 first = 1) {
    QList<quint32> all;
    for (int y = 1; y <= 13; ++y) {
        for (int x = 1; x <= 13; ++x) {
            all << first + (x + y - 2) % 10;
        }
    }
    return all;
}

QByteArray csv(const QList<quint32>& all) {
    QByteArrayList fields;
    for (const quint32 gid : all) {
        fields << QByteArray::number(gid);
    }
    return fields.join(',');
}

QByteArray base64(const QList<quint32>& all) {
    QByteArray bytes;
    QDataStream stream(&bytes, QIODevice::WriteOnly);
    stream.setByteOrder(QDataStream::LittleEndian);
    for (const quint32 gid : all) {
        stream << gid;
    }
    return bytes.toBase64();
}

// gids() as Python's zlib and gzip modules compress them, little-endian.
const QByteArray kZlib =
    "eJy90qkBACEQwMBdfui/YCLPXgQibmQyIgpVatRp0KRFmw7lx/31Tfgu/BB+Cr+E38If4VP4IvzLDy6z/AOM";
const QByteArray kGzip =
    "H4sIAAAAAAAAA73SqQEAIRDAwF1+6L9gIs9eBCJuZDIiClVq1GnQpEWbDuXH/fVN+C78EH4Kv4Tfwh/hU/gi/"
    "MsPLowGs9KkAgAA";

// Maps cut down to what the importer reads; what Tiled itself writes is tried below.
const QByteArray kKorrin = R"(<tileset firstgid="1" name="korrin"/>)";
QByteArray tmx(const QByteArray& layers, const QByteArray& head = R"(width="13" height="13")") {
    return R"(<?xml version="1.0"?><map orientation="orthogonal" )" + head + ">" + layers +
           "</map>";
}
QByteArray layer(const QByteArray& data, const QByteArray& encoding = R"(encoding="csv")") {
    return "<layer name=\"map\"><data " + encoding + ">\n" + data + "\n</data></layer>";
}
QByteArray json(const QByteArray& layers,
                const QByteArray& head = R"("orientation":"orthogonal","width":13,"height":13,)"
                                         R"("tilesets":[{"firstgid":1,"name":"korrin"}])") {
    return "{" + head + R"(,"layers":[)" + layers + "]}";
}
QByteArray jsonLayer(const QByteArray& data, const QByteArray& more = {}) {
    return R"({"type":"tilelayer","data":)" + data + more + "}";
}

QByteArray mismatch(const QByteArray& name, const QByteArray& reason) {
    return name + ": error 13: Type mismatch: " + reason;
}

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
    QTest::newRow("TMX, base64") << "in.tmx"
                                 << tmx(kKorrin + layer(base64(gids()), R"(encoding="base64")"));
    QTest::newRow("TMX, base64 zlib")
        << "in.tmx" << tmx(kKorrin + layer(kZlib, R"(encoding="base64" compression="zlib")"));
    QTest::newRow("JSON, base64 gzip")
        << "in.tmj"
        << json(jsonLayer('"' + kGzip + '"', R"(,"encoding":"base64","compression":"gzip")"));
    QTest::newRow("JSON, hidden layer, objects, then a group holding the map")
        << "in.json"
        << json(jsonLayer("[" + csv(QList<quint32>(169, 3)) + "]", R"(,"visible":false)") +
                R"(,{"type":"objectgroup","objects":[]},{"type":"group","layers":[)" +
                jsonLayer("[" + csv(gids()) + "]") + "]}");
    QTest::newRow("TMX, external tileset after another, hidden layer, group")
        << "in.tmx"
        << tmx(R"(<tileset firstgid="1" name="sketch"/><tileset firstgid="21" source="t/k.tsx"/>)"
               R"(<properties><property name="a" value="1"/></properties><layer visible="0">)"
               R"(<data encoding="csv">)" +
               csv(QList<quint32>(169, 1)) + "</data></layer><group>" +
               layer(csv(gids(21)), "encoding=\"csv\"") + "</group>");
}

void TestInterop::importsWhatTiledWrites() {
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QTemporaryDir dir;
    QDir(dir.path()).mkdir("t");
    writeFile(dir.filePath(name), bytes);
    writeFile(dir.filePath("t/k.tsx"), R"(<?xml version="1.0"?><tileset name="korrin"/>)");
    const Run imported = korrinMap({"import", name, "-o", "out.txt"}, dir.path());
    QCOMPARE(imported.err, QByteArray());
    QCOMPARE(imported.status, 0);
    QCOMPARE(readFile(dir.filePath("out.txt")), kSaved);
}

void TestInterop::importRefusesWhatIsNotAKorrinMap_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QByteArray>("err");
    QList<quint32> cells = gids();
    QTest::newRow("20 x 15") << "in.tmx"
                             << tmx(kKorrin + layer(csv(cells)), R"(width="20" height="15")")
                             << mismatch("in.tmx", "map is 20 x 15, not 13 x 13");
    QTest::newRow("isometric") << "in.json" << json(jsonLayer("[]"), R"("orientation":"isometric")")
                               << mismatch("in.json", "map is isometric, not orthogonal");
    QTest::newRow("infinite") << "in.tmx"
                              << tmx(kKorrin + layer("<chunk>" + csv(cells) + "</chunk>"))
                              << mismatch("in.tmx", "map is infinite");
    cells[13 + 2] = 0;
    QTest::newRow("empty cell") << "in.tmx" << tmx(kKorrin + layer(csv(cells)))
                                << mismatch("in.tmx", "cell (3, 2) is empty");
    cells[13 + 2] = 11;
    QTest::newRow("other tileset")
        << "in.json"
        << json(jsonLayer("[" + csv(cells) + "]"),
                R"("orientation":"orthogonal","width":13,"height":13,"tilesets":[)"
                R"({"firstgid":1,"name":"korrin"},{"firstgid":11,"name":"sketch"}])")
        << mismatch("in.json", R"(cell (3, 2) holds a tile of tileset "sketch", not "korrin")");
    QTest::newRow("beyond the ten")
        << "in.tmx" << tmx(kKorrin + layer(csv(cells)))
        << mismatch("in.tmx", R"(cell (3, 2) holds gid 11, beyond the 10 )"
                              R"(tiles of "korrin")");
    cells[13 + 2] = 0x80000002;
    QTest::newRow("flipped") << "in.tmx" << tmx(kKorrin + layer(csv(cells)))
                             << mismatch("in.tmx", "cell (3, 2) is flipped or rotated");
    QTest::newRow("zstd") << "in.tmx"
                          << tmx(kKorrin + layer(kZlib, R"(encoding="base64" compression="zstd")"))
                          << mismatch("in.tmx",
                                      "zstd compression is not supported, only zlib and gzip");
    QTest::newRow("damaged zlib") << "in.tmx"
                                  << tmx(kKorrin + layer(kZlib.left(40),
                                                         R"(encoding="base64" compression="zlib")"))
                                  << mismatch("in.tmx", "compressed layer data is damaged");
    QTest::newRow("168 cells") << "in.tmx" << tmx(kKorrin + layer(csv(gids().mid(1))))
                               << mismatch("in.tmx", "layer holds 168 cells, not 169");
    QTest::newRow("no visible tile layer") << "in.tmx" << tmx("<layer visible=\"0\"/>")
                                           << mismatch("in.tmx", "map has no visible tile layer");
    QTest::newRow("malformed XML") << "in.tmx" << tmx(kKorrin + layer(csv(gids()))).chopped(3)
                                   << mismatch("in.tmx",
                                               "malformed XML at line 3: Premature end of "
                                               "document.");
    QTest::newRow("malformed JSON")
        << "in.json" << json("[1,,2]")
        << mismatch("in.json", "malformed JSON at offset 109: illegal value");
    QTest::newRow("no file") << "in.tmx" << QByteArray()
                             << QByteArray("in.tmx: error 53: File not found");
    QTest::newRow("no folder") << "no/in.tmx" << QByteArray()
                               << QByteArray("no/in.tmx: error 76: Path not found");
    QTest::newRow("no external tileset")
        << "in.tmx" << tmx(R"(<tileset firstgid="1" source="k.tsx"/>)" + layer(csv(gids())))
        << QByteArray("k.tsx: error 53: File not found");
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
    QCOMPARE(imported.err, err + "\n");
    QCOMPARE(imported.status, 1);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files),
             bytes.isNull() ? QStringList() : QStringList{name});
}

void TestInterop::tiledReadsAndWritesTheExport_data() {
    QTest::addColumn<QString>("format");
    QTest::addColumn<QString>("other");
    QTest::newRow("TMX") << "tmx"
                         << "json";
    QTest::newRow("JSON") << "json"
                          << "tmx";
}

// The proof against the real program: Tiled's own renderer, reader and writers.
void TestInterop::tiledReadsAndWritesTheExport() {
    QFETCH(QString, format);
    QFETCH(QString, other);
    const QString tiled = QStandardPaths::findExecutable("tiled");
    const QString rasterizer = QStandardPaths::findExecutable("tmxrasterizer");
    if (tiled.isEmpty() || rasterizer.isEmpty()) {
        QSKIP("Debian's package tiled is not installed (./run-tests installs it)");
    }
    QTemporaryDir dir;
    QDir(dir.path()).mkdir("tiled");
    writeFile(dir.filePath("level.txt"), mapFile());
    const QString exported = "tiled/level." + format;
    QCOMPARE(korrinMap({"export", "level.txt", "-o", exported}, dir.path()).status, 0);
    QCOMPARE(QImage(dir.filePath("tiled/korrin-tiles.png")).size(), QSize(320, 32));

    QCOMPARE(run(rasterizer, {exported, "tiled.png"}, dir.path()).status, 0);
    QCOMPARE(korrinMap({"render", "level.txt", "-o", "korrin.png"}, dir.path()).status, 0);
    // ARGB, so that a tile Tiled failed to draw (transparent) cannot pass for black ground.
    QCOMPARE(QImage(dir.filePath("tiled.png")).convertToFormat(QImage::Format_ARGB32),
             QImage(dir.filePath("korrin.png")).convertToFormat(QImage::Format_ARGB32));

    // Through Tiled's writer for the other format, and back through its writer for this one.
    QCOMPARE(run(tiled, {"--export-map", other, exported, "level." + other}, dir.path()).status, 0);
    QCOMPARE(run(tiled, {"--export-map", format, "level." + other, "again." + format}, dir.path())
                 .status,
             0);
    QCOMPARE(korrinMap({"normalize", "level.txt"}, dir.path()).out, kSaved);
    QCOMPARE(korrinMap({"import", "level." + other}, dir.path()).out, kSaved);
    QCOMPARE(korrinMap({"import", "again." + format}, dir.path()).out, kSaved);
}

QTEST_GUILESS_MAIN(TestInterop)
#include "test_interop.moc"
