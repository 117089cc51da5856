// SPDX-License-Identifier: MIT
// Loading beyond the bytes of one file: opening, and what carries over between loads. What the
// reader makes of the bytes is in fuzz/corpus, run by fuzz_replay.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <random>
#include "map/error.h"
#include "map/mapfile.h"
#include "map/savefile.h"

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
    SaveMap("", mass, kEditorSettings);  // no error for the name of no file
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

// Saves killed at random moments, on the rename path and in place (a file with a second link):
// the map is always the old one or the new one, and no other file stays once the folder sees
// its next save.
TEST(SaveFile, KilledAnywhereLeavesTheOldOrTheNewMapAndNothingElse) {
    std::string dir = testing::TempDir() + "korrin-XXXXXX";
    ASSERT_TRUE(::mkdtemp(dir.data()));
    const std::string target = dir + "/map.txt";
    const std::string maps[] = {std::string(207, '1'), std::string(207, '2')};
    std::mt19937 random(1209);
    for (const bool inPlace : {false, true}) {
        SCOPED_TRACE(inPlace ? "in place" : "renamed");
        std::filesystem::remove_all(dir);
        std::filesystem::create_directory(dir);
        saveFile(target, maps[0]);
        ASSERT_TRUE(!inPlace || ::link(target.c_str(), (dir + "/link").c_str()) == 0);
        int torn = 0, stray = 0;  // maps neither old nor new, files besides the map
        for (int kill = 0; kill < 300; ++kill) {
            const pid_t saver = ::fork();
            if (saver == 0) {
                for (int i = 0;; ++i) {
                    saveFile(target, maps[i % 2]);
                }
            }
            ::usleep(random() % 2000);  // any moment of the saver's work
            ::kill(saver, SIGKILL);
            ::waitpid(saver, nullptr, 0);
            std::ifstream in(target, std::ios::binary);
            const std::string saved{std::istreambuf_iterator<char>(in), {}};
            torn += saved != maps[0] && saved != maps[1];
            saveFile(target, maps[0]);
            stray += static_cast<int>(std::distance(std::filesystem::directory_iterator(dir),
                                                    std::filesystem::directory_iterator())) -
                     (inPlace ? 2 : 1);
        }
        EXPECT_EQ(torn, 0);
        EXPECT_EQ(stray, 0);
    }
    std::filesystem::remove_all(dir);
}
