// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <csignal>
#include <filesystem>

#include "map/error.h"
#include "map/mapfile.h"
#include "namespaces.h"
#include "testfiles.h"

using namespace korrin::map;
using korrin::test::inMountNamespace;
using korrin::test::readBytes;
using korrin::test::TempDir;
using korrin::test::writeBytes;

namespace {

const Settings kEditorSettings{kCellSize, 0, 13, 13};

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

int errorOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const Error& error) {
        return error.number();
    }
    return 0;
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

TEST(SaveMap, ReplacesAFileAndKeepsItsPermissions) {
    TempDir dir;
    writeBytes(dir.file("map.txt"), "old contents that are longer than a map file would be......");
    ::chmod(dir.file("map.txt").c_str(), 0640);
    SaveMap(dir.file("map.txt"), startUpGrid(), kEditorSettings);
    EXPECT_EQ(readBytes(dir.file("map.txt")), startUpFile());
    struct stat st {};
    ASSERT_EQ(::stat(dir.file("map.txt").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(folderEntries(dir), std::vector<std::string>{"map.txt"});
}

TEST(SaveMap, WritesThroughASymbolicLink) {
    TempDir dir;
    ::mkdir(dir.file("maps").c_str(), 0755);
    writeBytes(dir.file("maps/real.txt"), "old");
    ASSERT_EQ(::symlink("maps/real.txt", dir.file("link.txt").c_str()), 0);
    SaveMap(dir.file("link.txt"), startUpGrid(), kEditorSettings);
    struct stat st {};
    ASSERT_EQ(::lstat(dir.file("link.txt").c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    EXPECT_EQ(readBytes(dir.file("maps/real.txt")), startUpFile());
}

TEST(SaveMap, FileSizeLimitLeavesTheOldFileIntact) {
    TempDir dir;
    const std::string old = "old map bytes";
    writeBytes(dir.file("map.txt"), old);
    struct rlimit saved {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit limited = saved;
    limited.rlim_cur = 100;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
    const int error =
        errorOf([&] { SaveMap(dir.file("map.txt"), startUpGrid(), kEditorSettings); });
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);
    EXPECT_EQ(error, 61);
    EXPECT_EQ(readBytes(dir.file("map.txt")), old);
    EXPECT_EQ(folderEntries(dir), std::vector<std::string>{"map.txt"});
}

TEST(SaveMap, FolderAsTargetIsPathFileAccessError) {
    TempDir dir;
    ::mkdir(dir.file("map.txt").c_str(), 0755);
    EXPECT_EQ(errorOf([&] { SaveMap(dir.file("map.txt"), startUpGrid(), kEditorSettings); }), 75);
    EXPECT_TRUE(std::filesystem::is_directory(dir.file("map.txt")));
    EXPECT_EQ(folderEntries(dir), std::vector<std::string>{"map.txt"});
}

TEST(SaveMap, ReadOnlyFolderIsPermissionDenied) {
    if (::geteuid() == 0) {
        GTEST_SKIP() << "root writes into any folder";
    }
    TempDir dir;
    writeBytes(dir.file("map.txt"), "old");
    ::chmod(dir.path().c_str(), 0555);
    const int error =
        errorOf([&] { SaveMap(dir.file("map.txt"), startUpGrid(), kEditorSettings); });
    ::chmod(dir.path().c_str(), 0755);
    EXPECT_EQ(error, 70);
    EXPECT_EQ(readBytes(dir.file("map.txt")), "old");
}

// The checks below run in a child with its own mount namespace: they report what failed.
std::string saveFails(const std::string& folder, int expectedError, const std::string& old) {
    const int error =
        errorOf([&] { SaveMap(folder + "/map.txt", startUpGrid(), kEditorSettings); });
    if (error != expectedError) {
        return "error " + std::to_string(error) + " instead of " + std::to_string(expectedError);
    }
    if (readBytes(folder + "/map.txt") != old) {
        return "the old file changed";
    }
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (entry.path().filename().string().rfind(".korrin-", 0) == 0) {
            return "a temporary file was left behind";
        }
    }
    return {};
}

TEST(SaveMap, FullDiskLeavesTheOldFileIntact) {
    TempDir dir;
    const std::string disk = dir.file("disk");
    std::filesystem::create_directory(disk);
    const auto run = inMountNamespace([&]() -> std::string {
        if (::mount("none", disk.c_str(), "tmpfs", 0, "size=16k") != 0) {
            return "cannot mount a small file system";
        }
        writeBytes(disk + "/map.txt", "old map");
        std::ofstream filler(disk + "/filler", std::ios::binary);
        const std::string block(1024, 'x');
        while (filler.write(block.data(), static_cast<std::streamsize>(block.size()))) {
            filler.flush();
        }
        return saveFails(disk, 61, "old map");
    });
    if (!run.available) {
        GTEST_SKIP() << "no user namespaces here";
    }
    EXPECT_EQ(run.failure, "");
}

TEST(SaveMap, FailedRenameLeavesTheOldFileIntact) {
    TempDir dir;
    writeBytes(dir.file("map.txt"), "old map");
    writeBytes(dir.file("other.txt"), "other");
    const auto run = inMountNamespace([&]() -> std::string {
        // A mount point cannot be renamed over.
        if (::mount(dir.file("map.txt").c_str(), dir.file("map.txt").c_str(), nullptr, MS_BIND,
                    nullptr) != 0) {
            return "cannot bind-mount the target";
        }
        return saveFails(dir.path().string(), 75, "old map");
    });
    if (!run.available) {
        GTEST_SKIP() << "no user namespaces here";
    }
    EXPECT_EQ(run.failure, "");
    EXPECT_EQ(readBytes(dir.file("map.txt")), "old map");
}

}  // namespace
