// SPDX-License-Identifier: MIT
// Loading beyond the bytes of one file: opening, and what carries over between loads. What the
// reader makes of the bytes is in fuzz/corpus, run by fuzz_replay.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include "map/error.h"
#include "map/mapfile.h"

using namespace korrin::map;

TEST(LoadMap, OpenErrorsCarryNumberAndPathAndChangeNothing) {
    std::string dir = testing::TempDir() + "korrin-XXXXXX";
    ASSERT_TRUE(::mkdtemp(dir.data()));
    std::ofstream(dir + "/file.txt") << " 13 \r\n 0 \r\n";
    ::mkdir((dir + "/folder").c_str(), 0755);
    ::mkfifo((dir + "/fifo").c_str(), 0644);
    const std::pair<std::string, int> cases[] = {
        {"missing.txt", 53}, {"no/such/map.txt", 76}, {"file.txt/map.txt", 76},   {"folder", 75},
        {"fifo", 75},        {"/dev/zero", 75},       {std::string(300, 'a'), 52}};
    for (const auto& [name, number] : cases) {
        const std::string path = name.front() == '/' ? name : dir + "/" + name;
        SCOPED_TRACE(path);
        Grid mass;
        mass(1, 1) = Base;
        try {
            LoadMap(path, mass);
            ADD_FAILURE() << "no error";
        } catch (const Error& error) {
            EXPECT_EQ(error.number(), number);
            EXPECT_EQ(error.path(), path);
        }
        EXPECT_EQ(mass(1, 1), Base);
    }
    std::filesystem::remove_all(dir);
}

TEST(LoadMap, EmptyNameDoesNothing) {
    Grid mass;
    mass(1, 1) = Base;
    LoadMap("", mass);
    EXPECT_EQ(mass(1, 1), Base);
}

TEST(LoadMap, RowsOfAnEarlierLoadAreNotReused) {
    std::string rows;
    for (int y = 1; y <= kFieldSize; ++y) {
        rows += "1111111111111\r\n";
    }
    Grid mass;
    parseMap(" 13 \r\n 13 \r\n" + rows, mass);
    const Grid loaded = mass;
    // Row 13 is decoded but not supplied this time.
    EXPECT_THROW(parseMap(" 13 \r\n 12 \r\n" + rows, mass), Error);
    EXPECT_EQ(mass, loaded);
}
