// SPDX-License-Identifier: MIT
// korrin-map's commands, the table that checks their usage, and the one line a failure prints.
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
#include "pack.h"
#include "version.h"

namespace korrin::cli {

namespace {

using map::Error;
using map::ErrorNumber;

constexpr std::size_t kCheckBlock = 64 * 1024;  // check's output is written in blocks this big
constexpr int kSheetColumns = 4;                // render's columns for a pack
constexpr int kTrouble = 2;                     // diff's status for any failure, as diff(1)
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

int check(const Arguments& arguments) {
    int status = kOk;
    std::string out;
    for (const std::string& file : arguments.files) {
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

int normalize(const Arguments& arguments) {
    writeOutput(arguments.output,
                map::formatMap(openAndRedraw(arguments.files.front()), map::kEditorSettings));
    return kOk;
}

// Every field is read before anything is written: one bad file leaves OUT as it was.
int render(const Arguments& arguments) {
    std::vector<map::Grid> fields;
    for (const std::string& file : arguments.files) {
        fields.push_back(openAndRedraw(file));
    }
    const int columns = arguments.hasColumns ? std::stoi(arguments.columns) : kSheetColumns;
    writeOutput(arguments.output, qtCommands().renderSheetPng(fields, columns, arguments.grid));
    return kOk;
}

int exportTiled(const Arguments& arguments) {
    const map::Grid mass = openAndRedraw(arguments.files.front());
    qtCommands().exportTiled(mass, arguments.output);
    return kOk;
}

int importTiled(const Arguments& arguments) {
    const std::string& file = arguments.files.front();
    requireName(file);
    map::Grid mass = qtCommands().importTiled(file);
    map::ApplyFixedCells(mass);
    writeOutput(arguments.output, map::formatMap(mass, map::kEditorSettings));
    return kOk;
}

int cells(const Arguments& arguments) {
    writeOutput({}, cellLines(openAndRedraw(arguments.files.front())));
    return kOk;
}

// As diff(1) does: 0 when the fields agree, 1 when they differ; 2 for trouble (runTool).
int diff(const Arguments& arguments) {
    const map::Grid before = openAndRedraw(arguments.files[0]);
    const map::Grid after = openAndRedraw(arguments.files[1]);
    if (arguments.hasPng) {
        writeOutput(arguments.png, qtCommands().renderDiffPng(before, after));
    }
    const std::string lines = differences(before, after);
    writeOutput({}, lines);
    return lines.empty() ? kOk : kFailed;
}

// Written as git's merge driver expects: over OURS unless -o names another file, conflicts
// or not; a conflict keeps ours and makes the status 1, so that git marks the file.
int mergeFields(const Arguments& arguments) {
    const map::Grid base = openAndRedraw(arguments.files[0]);
    const map::Grid ours = openAndRedraw(arguments.files[1]);
    const map::Grid theirs = openAndRedraw(arguments.files[2]);
    std::vector<Conflict> conflicts;
    const map::Grid merged = merge(base, ours, theirs, conflicts);
    writeOutput(arguments.hasOutput ? arguments.output : arguments.files[1],
                map::formatMap(merged, map::kEditorSettings));
    for (const Conflict& conflict : conflicts) {
        std::fputs(conflictLine(conflict).c_str(), stderr);
    }
    return conflicts.empty() ? kOk : kFailed;
}

bool isColumnCount(const std::string& text) {
    return !text.empty() && text.size() <= 3 && text.front() != '0' &&
           text.find_first_not_of("0123456789") == std::string::npos;
}

// What each command takes; a command line outside it is a usage error.
struct Command {
    std::string_view name;
    std::string_view usage;
    bool (*fits)(const Arguments&);
    int (*run)(const Arguments&);
};

bool noExtras(const Arguments& a) {
    return !a.grid && !a.hasPng && !a.hasColumns;
}
bool oneFileOptionalOut(const Arguments& a) {
    return a.files.size() == 1 && !(a.hasOutput && a.output.empty()) && noExtras(a);
}

constexpr Command kCommands[] = {
    {"check", "check FILE...",
     [](const Arguments& a) { return !a.files.empty() && !a.hasOutput && noExtras(a); }, check},
    {"normalize", "normalize FILE [-o OUT]", oneFileOptionalOut, normalize},
    {"render", "render FILE... -o OUT.png [--grid] [--columns N]",
     [](const Arguments& a) {
         return !a.files.empty() && a.hasOutput && !a.output.empty() && !a.hasPng &&
                (!a.hasColumns || isColumnCount(a.columns));
     },
     render},
    {"export", "export FILE -o OUT.tmx|OUT.tmj|OUT.json",
     [](const Arguments& a) {
         return a.files.size() == 1 && noExtras(a) && interop::tiledFormatFor(a.output);
     },
     exportTiled},
    {"import", "import IN [-o OUT]", oneFileOptionalOut, importTiled},
    {"cells", "cells FILE",
     [](const Arguments& a) { return a.files.size() == 1 && !a.hasOutput && noExtras(a); }, cells},
    {"diff", "diff OLD NEW [--png OUT.png]",
     [](const Arguments& a) {
         return a.files.size() == 2 && !a.hasOutput && !a.grid && !a.hasColumns &&
                !(a.hasPng && a.png.empty());
     },
     diff},
    {"merge", "merge BASE OURS THEIRS [-o OUT]",
     [](const Arguments& a) {
         return a.files.size() == 3 && !(a.hasOutput && a.output.empty()) && noExtras(a);
     },
     mergeFields},
};

int run(const Arguments& arguments) {
    for (const Command& command : kCommands) {
        if (arguments.command == command.name) {
            if (!command.fits(arguments)) {
                return usageError("usage: korrin-map " + std::string(command.usage));
            }
            return command.run(arguments);
        }
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
    // Every failure ends here as one line: a failed command has written nothing. For diff, as
    // for diff(1), status 1 means "they differ", so its failures are 2.
    const int failed = arguments.command == "diff" ? kTrouble : kFailed;
    const auto report = [&](const Error& error) {
        std::fputs(checkLine(error.path().empty() ? file : error.path(), &error).c_str(), stderr);
        return failed;
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
