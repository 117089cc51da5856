// SPDX-License-Identifier: MIT
#include "arguments.h"

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
    "\n"
    "Arguments:\n"
    "  command              check, normalize, render, export or import.\n"
    "  files                Map files.\n";

Arguments parseArguments(int argc, char* argv[]) {
    Arguments arguments;
    bool optionsEnded = false;
    std::vector<std::string> positional;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        auto takeOutput = [&](std::string value) {
            if (arguments.hasOutput) {
                throw UsageError{"Option '-o' given twice."};
            }
            arguments.hasOutput = true;
            arguments.output = std::move(value);
        };
        auto nextValue = [&]() -> std::string {
            if (i + 1 >= argc) {
                throw UsageError{"Missing value after '" + map::printable(argument) + "'."};
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
