// SPDX-License-Identifier: MIT
// The Tiled import's cases, with any compiler. Each NAME.in in the folder given holds the bytes
// of a map (and, after a line "@tileset", of its external tileset), and NAME.expect what
// importing it gives: "error N in FILE: reason", or rows 1 .. 13 of the field as lines of
// digits. Files too big to keep are made here. Every case also goes through the fuzz target's
// promises.
#include <string>
#include <string_view>

#include "replay.h"

std::string importOutcome(std::string_view bytes);

int main(int argc, char* argv[]) {
    korrin::fuzz::Replay replay(importOutcome);
    replay.checkFolder(korrin::fuzz::caseFolder(argc, argv), ".in");
    // The import's bounds on what would cost memory, each just inside and just past.
    const std::string tmx = "<map width='13' height='13'>";
    const auto repeated = [](std::string_view unit, std::size_t times) {
        std::string text;
        for (std::size_t i = 0; i < times; ++i) {
            text += unit;
        }
        return text;
    };
    const std::string noLayer = "error 13 in map: map has no visible tile layer\n";
    const std::string tag = "<map width='13' height='13' a='";
    replay.check("a tag of 64 KiB", tag + std::string(65536 - tag.size() - 2, 'x') + "'></map>",
                 noLayer);
    replay.check("a tag a byte longer", tag + std::string(65536 - tag.size() - 1, 'x') + "'></map>",
                 "error 13 in map: an XML tag is longer than 64 KiB\n");
    replay.check("elements 256 deep", tmx + repeated("<a>", 256) + repeated("</a>", 256) + "</map>",
                 noLayer);
    replay.check("elements 257 deep", tmx + repeated("<a>", 257) + repeated("</a>", 257) + "</map>",
                 "error 13 in map: elements nested too deeply\n");
    replay.check("groups 64 deep",
                 tmx + repeated("<group>", 64) + repeated("</group>", 64) + "</map>", noLayer);
    replay.check("groups 65 deep",
                 tmx + repeated("<group>", 65) + repeated("</group>", 65) + "</map>",
                 "error 13 in map: layer groups nested too deeply\n");
    const std::string json = R"({"width":13,"height":13,"layers":[)";  // 7 values, keys counted
    replay.check("100000 JSON values", json + repeated("0,", 99992) + "0]}", noLayer);
    replay.check("100001 JSON values", json + repeated("0,", 99993) + "0]}",
                 "error 13 in map: file holds more than 100000 JSON values\n");
    replay.check("a CSV layer of 16 MB",
                 tmx + "<tileset firstgid='1' name='korrin'/><layer><data encoding='csv'>" +
                     repeated("1,", 8'000'000) + "1</data></layer></map>",
                 "error 13 in map: layer holds more than 169 cells\n");

    const std::string limit(16 * 1024 * 1024, ' ');
    replay.check("16 MiB of spaces", limit, "error 13 in map: not a Tiled map\n");
    replay.check("a byte over 16 MiB", limit + ' ',
                 "error 13 in map: file is larger than 16 MiB\n");
    return replay.finish();
}
