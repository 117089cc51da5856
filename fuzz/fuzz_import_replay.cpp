// SPDX-License-Identifier: MIT
// The Tiled import's cases, with any compiler: the maps of the folder given (tests/import),
// each with NAME.expect beside it, as korrin-map's import of NAME in that folder gives: the
// error line, or the map file. Files too big to keep are made here. Every case also goes
// through the fuzz target's promises.
#include <unistd.h>

#include <string>
#include <string_view>

#include "replay.h"

std::string importedAs(const std::string& path);
std::string importOutcome(std::string_view bytes);

namespace {

// Each map of the current folder against its NAME.expect.
void checkCases(korrin::fuzz::Replay& replay) {
    for (const auto& entry : std::filesystem::directory_iterator(".")) {
        const std::string extension = entry.path().extension();
        if (extension == ".tmx" || extension == ".tmj" || extension == ".json") {
            const std::string name = entry.path().filename();
            replay.checkCase(
                name, [&] { return importedAs(name); }, korrin::fuzz::readBytes(name + ".expect"));
        }
    }
}

// The import's bounds on what would cost memory, each just inside and just past.
void checkBounds(korrin::fuzz::Replay& replay) {
    const std::string tmx = "<map width='13' height='13'>";
    const auto repeated = [](std::string_view unit, std::size_t times) {
        std::string text;
        for (std::size_t i = 0; i < times; ++i) {
            text += unit;
        }
        return text;
    };
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
}

}  // namespace

int main(int argc, char* argv[]) {
    korrin::fuzz::Replay replay(importOutcome);
    // From inside the folder, so that names read as korrin-map, run there, prints them.
    std::filesystem::current_path(korrin::fuzz::caseFolder(argc, argv));
    checkCases(replay);
    checkBounds(replay);
    return replay.finish();
}
