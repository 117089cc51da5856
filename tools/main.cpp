// SPDX-License-Identifier: MIT
#include <QBuffer>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QImage>
#include <cstdio>
#include <string>

#include "editor/fieldpainter.h"
#include "interop/tiled.h"
#include "map/error.h"
#include "map/mapfile.h"
#include "map/savefile.h"

namespace {

using namespace korrin;

constexpr int kOk = 0;
constexpr int kFailed = 1;
constexpr int kUsage = 2;

// The settings the editor saves with.
constexpr map::Settings kEditorSettings{map::kCellSize, 0, map::kFieldSize, map::kFieldSize};

std::string checkLine(const std::string& file, const map::Error* error) {
    if (error == nullptr) {
        return file + ": ok\n";
    }
    const std::string reason = error->reason().empty() ? "" : ": " + error->reason();
    return file + ": error " + std::to_string(error->number()) + ": " +
           std::string(error->description()) + reason + "\n";
}

// The grid as the editor holds it after start-up, Open of `file` and one redraw.
map::Grid openAndRedraw(const std::string& file) {
    map::Grid mass;
    map::LoadMap(file, mass);
    map::ApplyFixedCells(mass);
    return mass;
}

int usageError(const QString& message) {
    std::fprintf(stderr, "korrin-map: %s\nTry 'korrin-map --help' for more information.\n",
                 qPrintable(message));
    return kUsage;
}

void writeOut(const std::string& output, std::string_view bytes) {
    if (output.empty()) {
        std::fwrite(bytes.data(), 1, bytes.size(), stdout);
    } else {
        map::writeFileAtomically(output, bytes);
    }
}

int check(const QStringList& files) {
    int status = kOk;
    std::string out;
    for (const QString& file : files) {
        const std::string path = QFile::encodeName(file).toStdString();
        try {
            openAndRedraw(path);
            out += checkLine(path, nullptr);
        } catch (const map::Error& error) {
            out += checkLine(path, &error);
            status = kFailed;
        }
        if (out.size() > 64 * 1024) {
            std::fputs(out.c_str(), stdout);
            out.clear();
        }
    }
    std::fputs(out.c_str(), stdout);
    return status;
}

int normalize(const std::string& file, const std::string& output) {
    const std::string bytes = map::formatMap(openAndRedraw(file), kEditorSettings);
    writeOut(output, bytes);
    return kOk;
}

int render(const std::string& file, const std::string& output, bool grid) {
    const map::Grid mass = openAndRedraw(file);
    QImage image(editor::kFieldPixels, editor::kFieldPixels, QImage::Format_RGB32);
    editor::paintField(image, mass, editor::ImageList(), grid);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG")) {
        throw map::Error(map::ErrorNumber::DeviceIOError, output);
    }
    writeOut(output, std::string_view(png.constData(), static_cast<std::size_t>(png.size())));
    return kOk;
}

int exportTiled(const std::string& file, const std::string& output) {
    interop::exportTiled(openAndRedraw(file), output, map::writeFileAtomically);
    return kOk;
}

int importTiled(const std::string& file, const std::string& output) {
    map::Grid mass = interop::importTiled(file);
    map::ApplyFixedCells(mass);
    writeOut(output, map::formatMap(mass, kEditorSettings));
    return kOk;
}

// export and import: the bridge to the tile map editor Tiled.
int tiled(const QString& command, const QStringList& arguments, bool hasOutput,
          const std::string& output, bool grid) {
    const bool exporting = command == QLatin1String("export");
    if (arguments.size() != 1 || grid || (hasOutput && output.empty()) ||
        (exporting && !interop::tiledFormatFor(output))) {
        return usageError(
            exporting ? QStringLiteral("usage: korrin-map export FILE -o OUT.tmx|OUT.tmj|OUT.json")
                      : QStringLiteral("usage: korrin-map import IN [-o OUT]"));
    }
    const std::string file = QFile::encodeName(arguments.first()).toStdString();
    try {
        return exporting ? exportTiled(file, output) : importTiled(file, output);
    } catch (const map::Error& error) {
        std::fputs(checkLine(error.path().empty() ? file : error.path(), &error).c_str(), stderr);
        return kFailed;
    }
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("korrin-map"));
    QCoreApplication::setApplicationVersion(QStringLiteral(KORRIN_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Checks, normalizes and renders Korrin Editor map files, exactly as the editor reads\n"
        "and shows them, and converts them to and from maps of the tile map editor Tiled.\n"
        "\n"
        "Commands:\n"
        "  check FILE...                  Load each file as the editor's Open would and print\n"
        "                                 'FILE: ok' or 'FILE: error N: DESCRIPTION'.\n"
        "  normalize FILE [-o OUT]        Write the file as the editor would save it after\n"
        "                                 opening it: to OUT, or to standard output.\n"
        "  render FILE -o OUT.png [--grid]\n"
        "                                 Write the 416 x 416 picture of the field that the\n"
        "                                 editor shows for the file, with the red grid if asked.\n"
        "  export FILE -o OUT.tmx|OUT.tmj|OUT.json\n"
        "                                 Write the file as a Tiled map (TMX or JSON), with its\n"
        "                                 tileset picture korrin-tiles.png beside OUT.\n"
        "  import IN [-o OUT]             Read a TMX or JSON map edited in Tiled and write it\n"
        "                                 as the editor would save it: to OUT, or to standard\n"
        "                                 output.\n"
        "\n"
        "Exit status: 0 when every file loaded, 1 when a file failed, 2 for a usage error.\n"
        "A failed command leaves OUT untouched."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption outputOption({QStringLiteral("o"), QStringLiteral("output")},
                                          QStringLiteral("Write to <file>."),
                                          QStringLiteral("file"));
    const QCommandLineOption gridOption(QStringLiteral("grid"),
                                        QStringLiteral("render: draw the red grid overlay."));
    parser.addOption(outputOption);
    parser.addOption(gridOption);
    parser.addPositionalArgument(QStringLiteral("command"),
                                 QStringLiteral("check, normalize, render, export or import."));
    parser.addPositionalArgument(QStringLiteral("files"), QStringLiteral("Map files."),
                                 QStringLiteral("FILE..."));

    if (!parser.parse(QCoreApplication::arguments())) {
        return usageError(parser.errorText());
    }
    if (parser.isSet(QStringLiteral("help"))) {
        parser.showHelp(kOk);
    }
    if (parser.isSet(QStringLiteral("version"))) {
        parser.showVersion();
    }

    QStringList arguments = parser.positionalArguments();
    if (arguments.isEmpty()) {
        return usageError(QStringLiteral("missing command"));
    }
    const QString command = arguments.takeFirst();
    const bool hasOutput = parser.isSet(outputOption);
    const std::string output = QFile::encodeName(parser.value(outputOption)).toStdString();
    const bool grid = parser.isSet(gridOption);

    if (command == QLatin1String("check")) {
        if (arguments.isEmpty() || hasOutput || grid) {
            return usageError(QStringLiteral("usage: korrin-map check FILE..."));
        }
        return check(arguments);
    }
    if (command == QLatin1String("export") || command == QLatin1String("import")) {
        return tiled(command, arguments, hasOutput, output, grid);
    }
    const bool rendering = command == QLatin1String("render");
    if (command != QLatin1String("normalize") && !rendering) {
        return usageError(QStringLiteral("unknown command '%1'").arg(command));
    }
    if (arguments.size() != 1 || (hasOutput && output.empty()) || (rendering && !hasOutput) ||
        (!rendering && grid)) {
        return usageError(rendering
                              ? QStringLiteral("usage: korrin-map render FILE -o OUT.png [--grid]")
                              : QStringLiteral("usage: korrin-map normalize FILE [-o OUT]"));
    }
    const std::string file = QFile::encodeName(arguments.first()).toStdString();
    try {
        return rendering ? render(file, output, grid) : normalize(file, output);
    } catch (const map::Error& error) {
        std::fputs(
            checkLine(error.path().empty() || error.path() == file ? file : error.path(), &error)
                .c_str(),
            stderr);
        return kFailed;
    }
}
