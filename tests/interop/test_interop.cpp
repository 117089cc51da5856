// SPDX-License-Identifier: MIT
// The Tiled bridge's own choices; its import cases run in fuzz_replay_import, and Tiled's view
// of the export in test_cli.
#include <gtest/gtest.h>

#include "interop/tiled.h"
#include "map/error.h"

using namespace korrin;

// Which names are Tiled maps, by their last suffix in any case; the export refuses any other
// before it writes a byte.
TEST(TiledNames, LastSuffixInAnyCase) {
    using interop::TiledFormat;
    const std::pair<std::string, std::optional<TiledFormat>> rows[] = {
        {"a.tmx", TiledFormat::Tmx}, {"A.TMJ", TiledFormat::Json}, {"b.Json", TiledFormat::Json},
        {".tmx", TiledFormat::Tmx},  {"c.tmx.png", std::nullopt},  {"d.tmx/e", std::nullopt},
        {"tmx", std::nullopt},       {"f.tm", std::nullopt},       {"", std::nullopt},
    };
    for (const auto& [name, format] : rows) {
        EXPECT_EQ(interop::tiledFormatFor(name), format) << name;
    }
    int written = 0;
    try {
        interop::exportTiled(map::Grid(), "x.png",
                             [&](const std::string&, std::string_view) { ++written; });
        ADD_FAILURE() << "no error";
    } catch (const map::Error& error) {
        EXPECT_STREQ(error.what(),
                     "52: Bad file name or number: not a .tmx, .tmj or .json name: x.png");
    }
    EXPECT_EQ(written, 0);
}
