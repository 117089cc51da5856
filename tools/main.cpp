// SPDX-License-Identifier: MIT
#include <unistd.h>
#include <QImage>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <string>
#include <vector>

#include "interop/tiled.h"
#include "map/error.h"
#include "map/mapfile.h"
#include "map/savefile.h"
#include "render/fieldpainter.h"
#include "version.h"

namespace {

using namespace korrin;

constexpr int kOk = 0;
constexpr int kFailed = 1;
constexpr int kUsage = 2;

constexpr std::string_view kStandardOutput = "standard output";

constexpr std::string_view kDescription =
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
    "A failed command leaves OUT untouched.\n"
    "\n"
    "Options:\n"
    "  -h, --help           Displays help on commandline options.\n"
    "  -v, --version        Displays version information.\n"
    "  -o, --output <file>  Write to <file>.\n"
    "  --grid               render: draw the red grid overlay.\n"
    "\n"
    "Arguments:\n"
    "  command              check, normalize, render, export or import.\n"
    "  files                Map files.\n";

// The command line as bytes: file names are passed on exactly as the shell gave them.
struct Arguments {
    std::string command;
    std::vector<std::string> files;
    bool hasOutput = false;
    std::string output;
    bool grid = false;
    bool help = false;
    bool version = false;
};

struct UsageError {
    std::string message;
};

Arguments parseArguments(int argc, char* argv[]) {
    Arguments arguments;
    bool optionsEnded = false;
    std::vector<std::string> positional;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        auto takeOutput = [&](std::string value) {
            arguments.hasOutput = true;
            arguments.output = std::move(value);
        };
        auto nextValue = [&]() -> std::string {
            if (i + 1 >= argc) {
                throw UsageError{"Missing value after '" + argument + "'."};
            }
            return argv[++i];
        };
        if (optionsEnded || argument == "-" || argument.size() < 2 || argument[0] != '-') {
            positional.push_back(argument);
        } else if (argument == "--") {
            optionsEnded = true;
        } else if (argument == "-h" || argument == "--help") {
            arguments.help = true;
        } else if (argument == "-v" || argument == "--version") {
            arguments.version = true;
        } else if (argument == "--grid") {
            arguments.grid = true;
        } else if (argument == "-o" || argument == "--output") {
            takeOutput(nextValue());
        } else if (argument.rfind("--output=", 0) == 0) {
            takeOutput(argument.substr(9));
        } else if (argument.rfind("-o", 0) == 0) {
            takeOutput(argument.substr(2));
        } else {
            throw UsageError{"Unknown option '" + argument.substr(argument.find_first_not_of('-')) +
                             "'."};
        }
    }
    if (!positional.empty()) {
        arguments.command = positional.front();
        arguments.files.assign(positional.begin() + 1, positional.end());
    }
    return arguments;
}

// Control characters would split one result over lines, so they are shown escaped.
std::string printable(const std::string& name) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string shown;
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\n') {
            shown += "\\n";
        } else if (c == '\t') {
            shown += "\\t";
        } else if (byte < 0x20 || byte == 0x7f) {
            shown += {'\\', 'x', kHex[byte >> 4], kHex[byte & 0xf]};
        } else {
            shown += c;
        }
    }
    return shown;
}

std::string checkLine(const std::string& file, const map::Error* error) {
    if (error == nullptr) {
        return printable(file) + ": ok\n";
    }
    const std::string reason = error->reason().empty() ? "" : ": " + error->reason();
    return printable(file) + ": error " + std::to_string(error->number()) + ": " +
           std::string(error->description()) + reason + "\n";
}

// The descriptor that names like /dev/stdout stand for, or -1 for an ordinary file name.
int descriptorOf(const std::string& output) {
    if (output == "-" || output == "/dev/stdout") {
        return STDOUT_FILENO;
    }
    if (output == "/dev/stderr") {
        return STDERR_FILENO;
    }
    for (const std::string_view prefix : {"/dev/fd/", "/proc/self/fd/"}) {
        if (output.size() > prefix.size() && output.compare(0, prefix.size(), prefix) == 0) {
            int fd = -1;
            const char* end = output.data() + output.size();
            const auto [rest, failure] = std::from_chars(output.data() + prefix.size(), end, fd);
            if (failure == std::errc() && rest == end) {
                return fd;
            }
        }
    }
    return -1;
}

map::Error outputError(int errnum, std::string_view name) {
    const bool full = errnum == ENOSPC || errnum == EDQUOT || errnum == EFBIG;
    return map::Error(full ? map::ErrorNumber::DiskFull : map::ErrorNumber::DeviceIOError,
                      std::string(name));
}

// Writes through an open descriptor at its own offset, so that `>> log` appends.
void writeDescriptor(int fd, std::string_view bytes, std::string_view name) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            throw outputError(written < 0 ? errno : ENOSPC, name);
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
}

/** Writes a command's result to `output`: standard output, a descriptor name, or a file. */
void writeOutput(const std::string& output, std::string_view bytes) {
    const int fd = output.empty() ? STDOUT_FILENO : descriptorOf(output);
    if (fd >= 0) {
        writeDescriptor(fd, bytes, output.empty() ? kStandardOutput : output);
    } else {
        map::saveFile(output, bytes);
    }
}

// Standard output can still report a failed write when it is closed.
void closeStandardOutput() {
    if (::close(STDOUT_FILENO) != 0 && errno != EBADF) {
        throw outputError(errno, kStandardOutput);
    }
}

// An empty argument names no file; the editor would simply do nothing with it.
void requireName(const std::string& file) {
    if (file.empty()) {
        throw map::Error(map::ErrorNumber::BadFileName);
    }
}

// The grid as the editor holds it after start-up, Open of `file` and one redraw.
map::Grid openAndRedraw(const std::string& file) {
    requireName(file);
    map::Grid mass;
    map::LoadMap(file, mass);
    map::ApplyFixedCells(mass);
    return mass;
}

int usageError(const std::string& message) {
    std::fprintf(stderr, "korrin-map: %s\nTry 'korrin-map --help' for more information.\n",
                 message.c_str());
    return kUsage;
}

int check(const std::vector<std::string>& files) {
    int status = kOk;
    std::string out;
    for (const std::string& file : files) {
        try {
            openAndRedraw(file);
            out += checkLine(file, nullptr);
        } catch (const map::Error& error) {
            out += checkLine(file, &error);
            status = kFailed;
        }
        if (out.size() > 64 * 1024) {
            writeOutput({}, out);
            out.clear();
        }
    }
    writeOutput({}, out);
    return status;
}

int normalize(const std::string& file, const std::string& output) {
    writeOutput(output, map::formatMap(openAndRedraw(file), map::kEditorSettings));
    return kOk;
}

int render(const std::string& file, const std::string& output, bool grid) {
    const map::Grid mass = openAndRedraw(file);
    QImage image(render::kFieldPixels, render::kFieldPixels, QImage::Format_RGB32);
    render::paintField(image, mass, render::ImageList(), grid);
    writeOutput(output, render::pngBytes(image));
    return kOk;
}

int exportTiled(const std::string& file, const std::string& output) {
    interop::exportTiled(openAndRedraw(file), output, map::saveFile);
    return kOk;
}

int importTiled(const std::string& file, const std::string& output) {
    requireName(file);
    map::Grid mass = interop::importTiled(file);
    map::ApplyFixedCells(mass);
    writeOutput(output, map::formatMap(mass, map::kEditorSettings));
    return kOk;
}

// Runs one command; each checks its own usage first.
int run(const Arguments& arguments) {
    const auto& files = arguments.files;
    if (arguments.command == "check") {
        if (files.empty() || arguments.hasOutput || arguments.grid) {
            return usageError("usage: korrin-map check FILE...");
        }
        return check(files);
    }
    const bool badOutput = arguments.hasOutput && arguments.output.empty();
    if (arguments.command == "normalize") {
        if (files.size() != 1 || badOutput || arguments.grid) {
            return usageError("usage: korrin-map normalize FILE [-o OUT]");
        }
        return normalize(files.front(), arguments.output);
    }
    if (arguments.command == "render") {
        if (files.size() != 1 || badOutput || !arguments.hasOutput) {
            return usageError("usage: korrin-map render FILE -o OUT.png [--grid]");
        }
        return render(files.front(), arguments.output, arguments.grid);
    }
    if (arguments.command == "export") {
        if (files.size() != 1 || arguments.grid || !interop::tiledFormatFor(arguments.output)) {
            return usageError("usage: korrin-map export FILE -o OUT.tmx|OUT.tmj|OUT.json");
        }
        return exportTiled(files.front(), arguments.output);
    }
    if (arguments.command == "import") {
        if (files.size() != 1 || badOutput || arguments.grid) {
            return usageError("usage: korrin-map import IN [-o OUT]");
        }
        return importTiled(files.front(), arguments.output);
    }
    return usageError(arguments.command.empty() ? "missing command"
                                                : "unknown command '" + arguments.command + "'");
}

}  // namespace

int main(int argc, char* argv[]) {
    Arguments arguments;
    try {
        arguments = parseArguments(argc, argv);
    } catch (const UsageError& error) {
        return usageError(error.message);
    }
    const std::string file = arguments.files.size() == 1 ? arguments.files.front() : std::string();
    try {
        int status = kOk;
        if (arguments.help) {
            writeOutput({}, "Usage: " + std::string(argc > 0 ? argv[0] : "korrin-map") +
                                " [options] command FILE...\n" + std::string(kDescription));
        } else if (arguments.version) {
            writeOutput({}, "korrin-map " + std::string(kVersion) + "\n");
        } else {
            status = run(arguments);
        }
        closeStandardOutput();
        return status;
    } catch (const map::Error& error) {
        std::fputs(checkLine(error.path().empty() ? file : error.path(), &error).c_str(), stderr);
        return kFailed;
    }
}
