// SPDX-License-Identifier: MIT
#include <dlfcn.h>
#include <unistd.h>
#include <climits>
#include <cstdio>
#include <new>

#include "arguments.h"
#include "cli.h"
#include "interop/tiled.h"
#include "map/mapfile.h"
#include "map/paths.h"
#include "map/text.h"
#include "output.h"
#include "version.h"

namespace korrin::cli {

namespace {

using map::Error;
using map::ErrorNumber;

constexpr std::size_t kCheckBlock = 64 * 1024;  // check's output is written in blocks this big
constexpr char kModuleName[] = "korrin-map-qt.so";

const QtCommands* qtCommandsInUse = nullptr;

// The running program's absolute path, or empty when /proc cannot tell it.
std::string programPath() {
    std::string self(PATH_MAX, '\0');
    const ssize_t length = ::readlink("/proc/self/exe", self.data(), self.size());
    self.resize(static_cast<std::size_t>(std::max<ssize_t>(length, 0)));
    return self;
}

}  // namespace

const QtCommands& loadQtCommands(const std::string& program) {
    if (program.empty() || program.front() != '/') {
        throw Error(ErrorNumber::ErrorInLoadingDLL, kModuleName,
                    "cannot read the program's own path from /proc/self/exe");
    }
    const std::string folder = map::folderOf(program);
    std::string failures;
    for (const std::string& path :
         {folder + "/" + kModuleName, folder + "/" KORRIN_MODULE_FROM_BIN "/" + kModuleName}) {
        if (void* module = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL)) {
            using Entry = const QtCommands* (*)();
            if (auto entry = reinterpret_cast<Entry>(::dlsym(module, "korrin_qt_commands"))) {
                return *entry();
            }
        }
        const char* why = ::dlerror();
        failures += (failures.empty() ? "" : "; ") + (why ? std::string(why) : path);
    }
    throw Error(ErrorNumber::ErrorInLoadingDLL, kModuleName, failures);
}

namespace {

// Qt is loaded only for the commands that draw or read Tiled's formats: a check or a normalize
// in a build script's loop starts as fast as the program alone. The module sits beside the
// program in a build tree, and in the project's library folder when installed; it is loaded
// only by an absolute path from the program's own, never from the current folder.
const QtCommands& qtCommands() {
    if (qtCommandsInUse == nullptr) {
        qtCommandsInUse = &loadQtCommands(programPath());
    }
    return *qtCommandsInUse;
}

// An empty argument names no file; the editor would simply do nothing with it.
void requireName(const std::string& file) {
    if (file.empty()) {
        throw Error(ErrorNumber::BadFileName);
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
        } catch (const Error& error) {
            out += checkLine(file, &error);
            status = kFailed;
        }
        if (out.size() > kCheckBlock) {
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
    writeOutput(output, qtCommands().renderPng(mass, grid));
    return kOk;
}

int exportTiled(const std::string& file, const std::string& output) {
    const map::Grid mass = openAndRedraw(file);
    qtCommands().exportTiled(mass, output);
    return kOk;
}

int importTiled(const std::string& file, const std::string& output) {
    requireName(file);
    map::Grid mass = qtCommands().importTiled(file);
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
    return usageError(arguments.command.empty()
                          ? "missing command"
                          : "unknown command '" + map::printable(arguments.command) + "'");
}

int runParsed(const Arguments& arguments, const char* program) {
    int status = kOk;
    if (arguments.help) {
        writeOutput({}, "Usage: " + std::string(program) + " [options] command FILE...\n" +
                            std::string(kDescription));
    } else if (arguments.version) {
        writeOutput({}, "korrin-map " + std::string(kVersion) + "\n");
    } else {
        status = run(arguments);
    }
    closeStandardOutput();
    return status;
}

}  // namespace

void setQtCommands(const QtCommands* commands) {
    qtCommandsInUse = commands;
}

int runTool(int argc, char* argv[]) {
    Arguments arguments;
    try {
        arguments = parseArguments(argc, argv);
    } catch (const UsageError& error) {
        return usageError(error.message);
    }
    const std::string file = arguments.files.size() == 1 ? arguments.files.front() : std::string();
    // Every failure ends here as one line: a failed command has written nothing.
    const auto report = [&](const Error& error) {
        std::fputs(checkLine(error.path().empty() ? file : error.path(), &error).c_str(), stderr);
        return kFailed;
    };
    try {
        return runParsed(arguments, argc > 0 ? argv[0] : "korrin-map");
    } catch (const Error& error) {
        return report(error);
    } catch (const std::bad_alloc&) {
        return report(Error(ErrorNumber::OutOfMemory));
    } catch (...) {
        return report(Error(ErrorNumber::InternalError));
    }
}

}  // namespace korrin::cli
