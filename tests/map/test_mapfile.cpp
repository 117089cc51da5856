// SPDX-License-Identifier: MIT
// Loading beyond the bytes of one file: opening, and what carries over between loads. What the
// reader makes of the bytes is in fuzz/corpus, run by fuzz_replay.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <tuple>
#include "map/error.h"
#include "map/mapfile.h"
#include "map/paths.h"
#include "map/savefile.h"
#include "map/text.h"

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

// A dialog that returns no name hands the editor an empty one: nothing is read, no error.
TEST(LoadMap, EmptyNameDoesNothing) {
    Grid mass;
    mass(1, 1) = Base;
    const Grid before = mass;
    EXPECT_NO_THROW(LoadMap("", mass));
    EXPECT_EQ(mass, before);
    EXPECT_NO_THROW(SaveMap("", mass, kEditorSettings));
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

// Controls and malformed UTF-8 become \xNN per byte; printable text, Cyrillic included, stays.
TEST(Printable, EscapesControlsAndBrokenUtf8Only) {
    const std::pair<std::string, std::string> rows[] = {
        {"карта 1.txt", "карта 1.txt"},
        {"a\tb\nc\x7f", "a\\x09b\\x0ac\\x7f"},
        {"\x1b]0;T\x07", "\\x1b]0;T\\x07"},
        {"\x9b", "\\x9b"},                             // a C1 byte alone
        {"\xc2\x9b\xc2\xa0", "\\xc2\\x9b\xc2\xa0"},    // C1 as UTF-8; no-break space kept
        {"\xc0\xaf", "\\xc0\\xaf"},                    // overlong '/'
        {"\xed\xa0\x80", "\\xed\\xa0\\x80"},           // a surrogate
        {"\xf4\x90\x80\x80", "\\xf4\\x90\\x80\\x80"},  // past U+10FFFF
        {"\xf0\x9f\x98\x80", "\xf0\x9f\x98\x80"},      // U+1F600
        {"\xe0\xa0\x80", "\xe0\xa0\x80"},              // U+0800, the first of three bytes
        {"\xe2\x82\xac", "\xe2\x82\xac"},              // the euro sign, three bytes
        {"\xe0\x9f\xbf", "\\xe0\\x9f\\xbf"},           // overlong U+07FF
        {"\xe2\x28\xa1", "\\xe2(\\xa1"},               // a second byte that continues nothing
        {"\xf0\x9f\x98\x28", "\\xf0\\x9f\\x98("},      // a fourth byte that continues nothing
        {"\xe2\x82\x28", "\\xe2\\x82("},               // a third byte that continues nothing
        {"\xed\x9e\xa3", "\xed\x9e\xa3"},              // U+D7A3, the last before the surrogates
        {"\xf3\xa0\x84\x80", "\xf3\xa0\x84\x80"},      // U+E0100
        {"\xe2\x82", "\\xe2\\x82"},                    // cut short
        {std::string("a\0b", 3), "a\\x00b"},
    };
    for (const auto& [text, shown] : rows) {
        EXPECT_EQ(printable(text), shown) << shown;
        EXPECT_EQ(printable(shown), shown);
    }
}

// The check before a command's first file fails as the save itself would, and creates nothing.
TEST(SaveFile, CheckSavableAgreesWithTheSave) {
    std::string dir = testing::TempDir() + "korrin-XXXXXX";
    ASSERT_TRUE(::mkdtemp(dir.data()));
    ::mkdir((dir + "/folder").c_str(), 0755);
    ::mkfifo((dir + "/fifo").c_str(), 0644);
    std::ofstream(dir + "/file") << "old";
    ASSERT_EQ(::symlink("loop", (dir + "/loop").c_str()), 0);
    const std::pair<std::string, int> cases[] = {
        {"new.txt", 0}, {"file", 0},          {"folder", 75}, {"fifo", 75},
        {"loop", 75},   {"none/new.txt", 76}, {"file/x", 76}, {std::string(300, 'a'), 52}};
    const auto state = [&] {
        std::string names;
        for (const auto& entry : std::filesystem::directory_iterator(dir)) {
            names += entry.path().filename().string() + " ";
        }
        std::ifstream file(dir + "/file");
        return names + std::string(std::istreambuf_iterator<char>(file), {});
    };
    for (const auto& [name, number] : cases) {
        const std::string path = dir + "/" + name;
        SCOPED_TRACE(path);
        for (const bool save : {false, true}) {
            const std::string before = state();
            try {
                save ? saveFile(path, "new") : checkSavable(path);
                EXPECT_EQ(number, 0);
            } catch (const Error& error) {
                EXPECT_EQ(error.number(), number);
            }
            EXPECT_TRUE(save || state() == before);
        }
    }
    std::filesystem::remove_all(dir);
}

// Every system error a file operation can meet, as the number and message a user reads.
TEST(SystemError, EachErrnoAsItsNumberAndMessage) {
    std::string dir = testing::TempDir() + "korrin-XXXXXX";
    ASSERT_TRUE(::mkdtemp(dir.data()));
    const std::string file = dir + "/m.txt", lost = dir + "/none/m.txt";
    const std::tuple<int, std::string, std::string> rows[] = {
        {ENOENT, file, "53: File not found: " + file},
        {ENOENT, lost, "76: Path not found: " + lost},
        {ENOTDIR, file, "76: Path not found: " + file},
        {EACCES, file, "70: Permission denied: " + file},
        {EPERM, file, "70: Permission denied: " + file},
        {EROFS, file, "70: Permission denied: " + file},
        {ENOSPC, file, "61: Disk full: " + file},
        {EFBIG, file, "61: Disk full: " + file},
        {EDQUOT, file, "61: Disk full: " + file},
        {EIO, file, "57: Device I/O error: " + file},
        {ELOOP, file, "75: Path/File access error: too many levels of symbolic links: " + file},
        {EISDIR, file, "75: Path/File access error: not a regular file: " + file},
        {ENXIO, file, "75: Path/File access error: not a regular file: " + file},
        {ENAMETOOLONG, file, "52: Bad file name or number: " + file},
        {EILSEQ, file, "52: Bad file name or number: " + file},
        {EBUSY, file, "75: Path/File access error: " + file},
        {EIO, "a\nb", "57: Device I/O error: a\\x0ab"},
    };
    for (const auto& [errnum, path, message] : rows) {
        EXPECT_STREQ(systemError(errnum, path).what(), message.c_str());
    }
    std::filesystem::remove_all(dir);
}

// The standard description of each number, and the reason between it and the path.
TEST(SystemError, DescriptionsAndMessageForm) {
    const std::pair<int, std::string_view> rows[] = {
        {6, "Overflow"},
        {7, "Out of memory"},
        {9, "Subscript out of range"},
        {13, "Type mismatch"},
        {48, "Error in loading DLL"},
        {51, "Internal error"},
        {52, "Bad file name or number"},
        {53, "File not found"},
        {57, "Device I/O error"},
        {61, "Disk full"},
        {62, "Input past end of file"},
        {70, "Permission denied"},
        {75, "Path/File access error"},
        {76, "Path not found"},
        {95, "Application-defined or object-defined error"},
    };
    for (const auto& [number, description] : rows) {
        EXPECT_EQ(describe(static_cast<ErrorNumber>(number)), description) << number;
    }
    EXPECT_STREQ(Error(ErrorNumber::TypeMismatch).what(), "13: Type mismatch");
    EXPECT_STREQ(Error(ErrorNumber::TypeMismatch, "", "why\x1b").what(),
                 "13: Type mismatch: why\\x1b");
    EXPECT_STREQ(Error(ErrorNumber::TypeMismatch, "p", "why").what(), "13: Type mismatch: why: p");
}

// The folder of a path, and a name given beside it (a link's target, a tileset's source).
TEST(Paths, FolderOfAndBesideFile) {
    const std::tuple<std::string, std::string, std::string, std::string> rows[] = {
        // path, its folder, a name, that name beside the path
        {"map.txt", ".", "t.tsx", "t.tsx"},
        {"/map.txt", "/", "t.tsx", "/t.tsx"},
        {"/a/b/map.txt", "/a/b", "../t.tsx", "/a/b/../t.tsx"},
        {"a/map.txt", "a", "/etc/t.tsx", "/etc/t.tsx"},
        {"a/", "a", "", "a/"},
        {"", ".", "t", "t"},
    };
    for (const auto& [path, folder, name, beside] : rows) {
        EXPECT_EQ(folderOf(path), folder) << path;
        EXPECT_EQ(besideFile(path, name), beside) << path << " " << name;
    }
}

// A file of over 16 MiB saved in place is not padded: it cannot be a map, and a kill there may
// leave its tail (the only case where it may).
TEST(SaveFile, InPlaceOverSixteenMiBIsCutAtOnce) {
    std::string dir = testing::TempDir() + "korrin-XXXXXX";
    ASSERT_TRUE(::mkdtemp(dir.data()));
    const std::string path = dir + "/big.txt";
    std::ofstream(path) << std::string(16 * 1024 * 1024 + 1, 'x');
    ASSERT_EQ(::link(path.c_str(), (dir + "/link").c_str()), 0);  // so that it is saved in place
    saveFile(path, "short");
    std::ifstream in(dir + "/link");
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "short");
    std::filesystem::remove_all(dir);
}
