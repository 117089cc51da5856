// SPDX-License-Identifier: MIT
// The fuzz targets' cases, with any compiler: `fuzz_replay TARGET CASE-FOLDER` runs the folder's
// cases through the target's outcome and promises, then the cases too big to keep as files.
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

#include "replay.h"

std::string readerOutcome(std::string_view bytes);
std::string importedAs(const std::string& path);
std::string importOutcome(std::string_view bytes);
std::string argumentsOutcome(std::string_view bytes);

namespace {

using korrin::fuzz::Replay;

std::string repeated(std::string_view unit, std::size_t times) {
    std::string text;
    for (std::size_t i = 0; i < times; ++i) {
        text += unit;
    }
    return text;
}

// The map reader: each NAME.txt holds the bytes of a map file, and NAME.expect what reading it
// gives: "error N", or rows 1 .. 13 of the field as lines of digits, read into a grid of 5s.
int reader(const std::filesystem::path& folder) {
    Replay replay(readerOutcome);
    replay.checkFolder(folder, ".txt");
    // Plain, trailing-space and quoted long rows, with line ends around the reader's 64 KiB
    // blocks, then one of 5 MB.
    for (const std::size_t length :
         {65510, 65522, 65523, 65524, 65525, 65535, 65536, 65537, 131072, 5'000'000}) {
        const std::string row = std::string(length - 13, '8') + "1234567890123";
        const std::string bytes = " 13 \r\n 13 \r\n" + row + "\r\n" + row + "  \r\n\"" + row +
                                  "\"\r\n" + repeated("0000000000000\r\n", 10);
        replay.check("long rows of " + std::to_string(length), bytes,
                     repeated("1234567890123\n", 3) + repeated("0000000000000\n", 10));
    }
    // A space that ends the first block still counts when the row goes on in the next.
    replay.check("space at a block's end",
                 " 1 \r\n 1 \r\n" + std::string(65525, '8') + " 123456789012\r\n", "error 13\n");
    return replay.finish();
}

// The Tiled import: each map with NAME.expect beside it, as korrin-map's import of NAME in that
// folder gives it (the error line, or the map file); then the import's bounds on what would
// cost memory, each just inside and just past.
int import(const std::filesystem::path& folder) {
    Replay replay(importOutcome);
    // From inside the folder, so that names read as korrin-map, run there, prints them.
    std::filesystem::current_path(folder);
    for (const auto& entry : std::filesystem::directory_iterator(".")) {
        const std::string extension = entry.path().extension();
        if (extension == ".tmx" || extension == ".tmj" || extension == ".json") {
            const std::string name = entry.path().filename();
            replay.checkCase(
                name, [&] { return importedAs(name); }, korrin::fuzz::readBytes(name + ".expect"));
        }
    }
    const std::string tmx = "<map width='13' height='13'>";
    const std::string refused = "map: error 13: Type mismatch: ";
    const std::string noLayer = refused + "map has no visible tile layer\n";
    const std::string tag = "<map width='13' height='13' a='";
    replay.check("a tag of 64 KiB", tag + std::string(65536 - tag.size() - 2, 'x') + "'></map>",
                 noLayer);
    replay.check("a tag a byte longer", tag + std::string(65536 - tag.size() - 1, 'x') + "'></map>",
                 refused + "an XML tag is longer than 64 KiB\n");
    replay.check("elements 256 deep", tmx + repeated("<a>", 256) + repeated("</a>", 256) + "</map>",
                 noLayer);
    replay.check("elements 257 deep", tmx + repeated("<a>", 257) + repeated("</a>", 257) + "</map>",
                 refused + "elements nested too deeply\n");
    replay.check("groups 64 deep",
                 tmx + repeated("<group>", 64) + repeated("</group>", 64) + "</map>", noLayer);
    replay.check("groups 65 deep",
                 tmx + repeated("<group>", 65) + repeated("</group>", 65) + "</map>",
                 refused + "layer groups nested too deeply\n");
    const std::string json = R"({"width":13,"height":13,"layers":[)";  // 7 values, keys counted
    replay.check("100000 JSON values", json + repeated("0,", 99992) + "0]}", noLayer);
    replay.check("100001 JSON values", json + repeated("0,", 99993) + "0]}",
                 refused + "file holds more than 100000 JSON values\n");
    replay.check("a CSV layer of 16 MB",
                 tmx + "<tileset firstgid='1' name='korrin'/><layer><data encoding='csv'>" +
                     repeated("1,", 8'000'000) + "1</data></layer></map>",
                 refused + "layer holds more than 169 cells\n");
    const std::string limit(16 * 1024 * 1024, ' ');
    replay.check("16 MiB of spaces", limit, refused + "not a Tiled map\n");
    replay.check("a byte over 16 MiB", limit + ' ', refused + "file is larger than 16 MiB\n");
    return replay.finish();
}

// korrin-map's arguments: each NAME.args holds a command line, one word a line, and NAME.expect
// what the parser makes of it.
int arguments(const std::filesystem::path& folder) {
    Replay replay(argumentsOutcome);
    replay.checkFolder(folder, ".args");
    std::string many = "check";
    std::string expected = "command check\n";
    for (int i = 0; i < 10000; ++i) {
        many += "\nm" + std::to_string(i);
        expected += "file m" + std::to_string(i) + "\n";
    }
    replay.check("10000 files", many, expected);
    return replay.finish();
}

}  // namespace

int main(int argc, char* argv[]) {
    const std::pair<std::string_view, int (*)(const std::filesystem::path&)> targets[] = {
        {"reader", reader}, {"import", import}, {"arguments", arguments}};
    for (const auto& [name, replay] : targets) {
        if (argc == 3 && name == argv[1]) {
            return replay(argv[2]);
        }
    }
    std::fprintf(stderr, "usage: %s reader|import|arguments CASE-FOLDER\n",
                 argc > 0 ? argv[0] : "fuzz_replay");
    return 2;
}
