// SPDX-License-Identifier: MIT
// korrin-map's help text and its command-line parser.
#include "arguments.h"

#include <optional>

#include "map/text.h"

namespace korrin::cli {

const std::string_view kDescription =
    "Checks, normalizes and renders Korrin Editor map files, exactly as the editor reads\n"
    "and shows them, and converts them to and from maps of the tile map editor Tiled.\n"
    "\n"
    "Commands:\n"
    "  check FILE...                  Load each file as the editor's Open would and print\n"
    "                                 'FILE: ok' or 'FILE: error N: DESCRIPTION'.\n"
    "  normalize FILE [-o OUT]        Write the file as the editor would save it after\n"
    "                                 opening it: to OUT, or to standard output.\n"
    "  render FILE... -o OUT.png [--grid] [--columns N]\n"
    "                                 Write the 416 x 416 picture of the field that the\n"
    "                                 editor shows for the file, with the red grid if asked;\n"
    "                                 for several files, their fields on one sheet in\n"
    "                                 argument order, N (4 unless given) to a row.\n"
    "  export FILE -o OUT.tmx|OUT.tmj|OUT.json\n"
    "                                 Write the file as a Tiled map (TMX or JSON), with its\n"
    "                                 tileset picture korrin-tiles.png beside OUT.\n"
    "  import IN [-o OUT]             Read a TMX or JSON map edited in Tiled and write it\n"
    "                                 as the editor would save it: to OUT, or to standard\n"
    "                                 output.\n"
    "  cells FILE                     Print every cell as 'mass(x,y)=c', row by row: the\n"
    "                                 map as git's diff textconv.\n"
    "  diff OLD NEW [--png OUT.png]   Print each cell that differs, 'mass(x,y): a -> b'\n"
    "                                 with the tiles' names; with --png, also write both\n"
    "                                 fields side by side, changed cells outlined.\n"
    "  merge BASE OURS THEIRS [-o OUT]\n"
    "                                 Merge three versions cell by cell and write the\n"
    "                                 result as the editor would save it, to OUT or over\n"
    "                                 OURS: git's merge driver. A cell both sides changed\n"
    "                                 differently keeps OURS' tile and is listed on\n"
    "                                 standard error as a conflict.\n"
    "\n"
    "Exit status: 0 when every file loaded, 1 when a file failed, 2 for a usage error.\n"
    "diff: 0 when the fields agree, 1 when they differ, 2 when a file cannot be read or\n"
    "for a usage error. merge: 0 when clean, 1 for conflicts (the result is written) or\n"
    "when a file cannot be read (nothing is written). A failed command leaves OUT\n"
    "untouched. cells, diff and merge without --png load no Qt.\n"
    "\n"
    "Saving: a symbolic link stays a link and its target receives the file; in a sticky\n"
    "folder that anyone may write, such as /tmp, only a link owned by the user or by the\n"
    "folder's owner is followed. A save that is killed leaves the old file or the new one;\n"
    "a file with other links, another owner or extended attributes is rewritten in place\n"
    "and may then hold the new content followed by spaces, which every reader ignores. The\n"
    "next save into a folder removes a killed save's temporary file .korrin-PID-XXXXXX, and\n"
    "nothing else.\n"
    "\n"
    "Options:\n"
    "  -h, --help           Displays help on commandline options.\n"
    "  -v, --version        Displays version information.\n"
    "  -o, --output <file>  Write to <file>.\n"
    "  --grid               render: draw the red grid overlay.\n"
    "  --columns <n>        render: fields to a row on a sheet (1 .. 999).\n"
    "  --png <file>         diff: also write the picture of both fields to <file>.\n"
    "\n"
    "Arguments:\n"
    "  command              check, normalize, render, export, import, cells, diff or\n"
    "                       merge.\n"
    "  files                Map files.\n";

namespace {

// Options that take a value: "-o X", "-oX", "--output X", "--output=X" and the like.
struct ValueOption {
    std::string_view shortName;  // empty: none
    std::string_view longName;
    std::string_view shownName;  // as "given twice" names it
    bool Arguments::*given;
    std::string Arguments::*value;
};

constexpr ValueOption kValueOptions[] = {
    {"-o", "--output", "-o", &Arguments::hasOutput, &Arguments::output},
    {"", "--png", "--png", &Arguments::hasPng, &Arguments::png},
    {"", "--columns", "--columns", &Arguments::hasColumns, &Arguments::columns},
};

// The option among kValueOptions that `argument` gives, with its value if attached to it.
const ValueOption* valueOption(const std::string& argument, std::optional<std::string>& value) {
    for (const ValueOption& option : kValueOptions) {
        const std::string joined = std::string(option.longName) + "=";
        if (argument == option.longName || argument == option.shortName) {
            return &option;
        }
        if (argument.rfind(joined, 0) == 0) {
            value = argument.substr(joined.size());
            return &option;
        }
        if (!option.shortName.empty() && argument.rfind(option.shortName, 0) == 0) {
            value = argument.substr(option.shortName.size());
            return &option;
        }
    }
    return nullptr;
}

}  // namespace

Arguments parseArguments(int argc, char* argv[]) {
    Arguments arguments;
    bool optionsEnded = false;
    std::vector<std::string> positional;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        std::optional<std::string> attached;
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
        } else if (const ValueOption* option = valueOption(argument, attached)) {
            if (!attached && i + 1 >= argc) {
                throw UsageError{"Missing value after '" + map::printable(argument) + "'."};
            }
            if (arguments.*option->given) {
                throw UsageError{"Option '" + std::string(option->shownName) + "' given twice."};
            }
            arguments.*option->given = true;
            arguments.*option->value = attached ? *attached : argv[++i];
        } else {
            // Named without its dashes, as Qt's parser does; a name of dashes only, whole.
            const std::size_t name = argument.find_first_not_of('-');
            throw UsageError{
                "Unknown option '" +
                map::printable(name == std::string::npos ? argument : argument.substr(name)) +
                "'."};
        }
    }
    if (!positional.empty()) {
        arguments.command = positional.front();
        arguments.files.assign(positional.begin() + 1, positional.end());
    }
    return arguments;
}

}  // namespace korrin::cli
