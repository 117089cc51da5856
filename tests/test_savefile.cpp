// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <filesystem>

#include "map/mapfile.h"
#include "testfiles.h"

using namespace korrin::map;
using korrin::test::readBytes;
using korrin::test::TempDir;

namespace {

std::string startUpFile() {
    std::string bytes = " 13 \r\n 13 \r\n";
    for (int y = 1; y <= 12; ++y) {
        bytes += "0000000000000\r\n";
    }
    return bytes + "0000009000000\r\n";
}

Grid startUpGrid() {
    Grid mass;
    ApplyFixedCells(mass);
    return mass;
}

std::vector<std::string> folderEntries(const TempDir& dir) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

TEST(SaveMap, StartUpMapIsByteExact) {
    EXPECT_EQ(formatMap(startUpGrid(), kEditorSettings), startUpFile());
    TempDir dir;
    SaveMap(dir.file("start.txt"), startUpGrid(), kEditorSettings);
    EXPECT_EQ(readBytes(dir.file("start.txt")), startUpFile());
    EXPECT_EQ(folderEntries(dir), std::vector<std::string>{"start.txt"});
}

TEST(SaveMap, CountLinesComeFromTheSettings) {
    const std::string bytes = formatMap(Grid{}, Settings{kCellSize, 0, 200, 2});
    EXPECT_EQ(bytes, " 200 \r\n 2 \r\n0000000000000\r\n0000000000000\r\n");
}

TEST(SaveMap, RoundTripKeepsTheFieldAndSkipsTheBorder) {
    Grid saved;
    for (int x = 0; x <= kGridLast; ++x) {
        for (int y = 0; y <= kGridLast; ++y) {
            saved(x, y) = static_cast<Byte>((x * 7 + y * 3) % kTileCount);
        }
    }
    TempDir dir;
    SaveMap(dir.file("карта.txt"), saved, kEditorSettings);
    Grid loaded;
    LoadMap(dir.file("карта.txt"), loaded);
    for (int x = 0; x <= kGridLast; ++x) {
        for (int y = 0; y <= kGridLast; ++y) {
            const bool field = x >= 1 && x <= 13 && y >= 1 && y <= 13;
            EXPECT_EQ(loaded(x, y), field ? saved(x, y) : 0) << x << "," << y;
        }
    }
}

TEST(SaveMap, EmptyNameWritesNothing) {
    TempDir dir;
    const auto before = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
    SaveMap("", startUpGrid(), kEditorSettings);
    std::filesystem::current_path(before);
    EXPECT_TRUE(folderEntries(dir).empty());
}

}  // namespace
