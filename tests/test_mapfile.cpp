// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>
#include <chrono>
#include <fstream>

#include "map/error.h"
#include "map/mapfile.h"
#include "testfiles.h"

using namespace korrin::map;
using korrin::test::TempDir;
using korrin::test::writeBytes;

namespace {

const std::string kHeader = " 13 \r\n 13 \r\n";

std::string repeat(const std::string& line, int count) {
    std::string out;
    for (int i = 0; i < count; ++i) {
        out += line;
    }
    return out;
}

// Every cell 7, so that a cell the reader leaves alone stands out.
Grid untouched() {
    Grid mass;
    for (int x = 0; x <= kGridLast; ++x) {
        for (int y = 0; y <= kGridLast; ++y) {
            mass(x, y) = 7;
        }
    }
    return mass;
}

// Rows 1 .. 13 of the field as digit strings; row 0, row 14 and the border columns stay 7.
Grid withRows(const std::vector<std::string>& rows) {
    Grid mass = untouched();
    for (int y = 1; y <= kFieldSize; ++y) {
        for (int x = 1; x <= kFieldSize; ++x) {
            mass(x, y) = static_cast<Byte>(rows.at(y - 1).at(x - 1) - '0');
        }
    }
    return mass;
}

std::vector<std::string> rowsOf(const std::string& first, int count, const std::string& rest) {
    std::vector<std::string> rows{first};
    rows.insert(rows.end(), count - 1, rest);
    return rows;
}

const std::string kOwnFile = kHeader + repeat("0000000000000\r\n", 12) + "0000009000000\r\n";
const std::vector<std::string> kOwnRows = rowsOf("0000000000000", 12, "0000000000000");

struct ReadCase {
    const char* name;
    std::string bytes;
    std::vector<std::string> rows;  // the field afterwards; empty when an error is expected
    int error = 0;
};

std::vector<std::string> ownRowsWithBase() {
    auto rows = kOwnRows;
    rows.push_back("0000009000000");
    return rows;
}

std::vector<ReadCase> readCases() {
    const std::string fours = repeat("4444444444444\r\n", 12);
    const auto foursAfter = [](const std::string& first) {
        return rowsOf(first, 13, "4444444444444");
    };
    // The editor's own map behind other count lines and line ends.
    const auto own = [](const std::string& counts, const std::string& end = "\r\n") {
        return counts + repeat("0000000000000" + end, 12) + "0000009000000" + end;
    };
    return {
        {"OwnFile", kOwnFile, ownRowsWithBase()},
        {"LfLineEnds", own(" 13 \n 13 \n", "\n"), ownRowsWithBase()},
        {"LastLineWithoutLineEnd", own(kHeader).substr(0, kOwnFile.size() - 2), ownRowsWithBase()},
        {"BareCounts", own("13\r\n13\r\n"), ownRowsWithBase()},
        {"SpacedCounts", own("   13     \r\n13  \r\n"), ownRowsWithBase()},
        {"CountsOnOneLine", own(" 13  13 \r\n"), ownRowsWithBase()},
        {"CountsSplitByComma", own("13,13\r\n"), ownRowsWithBase()},
        {"ShortRowAlignsOnItsLastCharacter", kHeader + "123\r\n" + fours,
         foursAfter("1111111111123")},
        {"LongRowKeepsItsLast13", kHeader + "981234567890123\r\n" + fours,
         foursAfter("1234567890123")},
        {"OneCharacterRowFillsTheLine", kHeader + "5\r\n" + fours, foursAfter("5555555555555")},
        {"TrailingSpacesAreDropped", kHeader + "  1234567890123   \r\n" + fours,
         foursAfter("1234567890123")},
        {"InnerSpaceIsKept", kHeader + "12345 7890123\r\n" + fours, {}, 13},
        {"CommaSplitsARow", kHeader + "1234567,891234\r\n" + repeat("4444444444444\r\n", 11),
         [] {
             auto rows = rowsOf("1111111234567", 13, "4444444444444");
             rows[1] = "8888888891234";
             return rows;
         }()},
        {"QuotedRowKeepsItsComma", kHeader + "  \"9,1234567890123\"  \r\n" + fours,
         foursAfter("1234567890123")},
        {"ContentAfterTheRowsIsIgnored", kOwnFile + "not a map\r\n,,,\r\n", ownRowsWithBase()},
        {"TwelveRowsLeaveRow13", " 12 \r\n 13 \r\n" + repeat("1111111111111\r\n", 13),
         rowsOf("1111111111111", 12, "1111111111111")},
        {"TwelveColumnsDecodeFromTheLineEnd", " 12 \r\n 12 \r\n" + repeat("123456789012\r\n", 12),
         rowsOf("1123456789017", 12, "1123456789017")},
        {"NoRowsChangeNothing", " 13 \r\n 0 \r\n", {}},
        {"NoRowsWithManyRowCounts", " 200 \r\n 0 \r\n", {}},
        // Errors; the grid stays as it was.
        {"LetterInARow", kHeader + "000000A000000\r\n" + fours, {}, 13},
        {"CountAbove255", " 256 \r\n 13 \r\n" + kOwnFile, {}, 6},
        {"SecondCountAbove255", " 13 \r\n 1000 \r\n", {}, 6},
        {"HugeCount", repeat("9", 100000) + "\r\n", {}, 6},
        {"CountNotANumber", "abc\r\n 13 \r\n", {}, 13},
        {"CountWithLetters", " 1x \r\n 13 \r\n", {}, 13},
        {"NegativeCount", " -1 \r\n 13 \r\n", {}, 13},
        {"EmptyCountLine", "\r\n 13 \r\n", {}, 13},
        {"EmptyFile", "", {}, 62},
        {"OnlySpaces", "     ", {}, 62},
        {"OneCountOnly", " 13 \r\n", {}, 62},
        {"FewerRowsThanB", kHeader + repeat("0000000000000\r\n", 12), {}, 62},
        {"FifteenRows", " 13 \r\n 15 \r\n" + repeat("0000000000000\r\n", 15), {}, 9},
        {"FourteenColumns", " 13 \r\n 14 \r\n" + repeat("0000000000000\r\n", 14), {}, 13},
        {"RowsBeyondTheFileAreEmpty", " 13 \r\n 12 \r\n" + repeat("0000000000000\r\n", 12), {}, 13},
        {"FifteenRowsDecoded", " 15 \r\n 13 \r\n" + repeat("0000000000000\r\n", 13), {}, 13},
        {"EmptyRowLine", kHeader + "\r\n" + fours, {}, 13},
        {"EmptyQuotedRow", kHeader + "\"\"\r\n" + fours, {}, 13},
    };
}

void PrintTo(const ReadCase& c, std::ostream* os) {
    *os << c.name;
}

class ReadMap : public testing::TestWithParam<ReadCase> {};

TEST_P(ReadMap, DecodesOrFailsWithoutChange) {
    const ReadCase& c = GetParam();
    Grid mass = untouched();
    if (c.error != 0) {
        try {
            parseMap(c.bytes, mass);
            FAIL() << "expected error " << c.error;
        } catch (const Error& error) {
            EXPECT_EQ(error.number(), c.error);
        }
        EXPECT_EQ(mass, untouched());
        return;
    }
    parseMap(c.bytes, mass);
    if (c.rows.empty()) {
        EXPECT_EQ(mass, untouched());
    } else if (c.rows.size() == 12) {
        // Row 13 is not decoded and keeps its old codes.
        auto rows = c.rows;
        rows.push_back("7777777777777");
        EXPECT_EQ(mass, withRows(rows));
    } else {
        EXPECT_EQ(mass, withRows(c.rows));
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, ReadMap, testing::ValuesIn(readCases()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ReadMap, RowsOfAnEarlierLoadAreNotReused) {
    Grid mass;
    parseMap(kOwnFile, mass);
    const Grid loaded = mass;
    EXPECT_THROW(parseMap(" 13 \r\n 12 \r\n" + repeat("1111111111111\r\n", 12), mass), Error);
    EXPECT_EQ(mass, loaded);
}

// Line ends, spaces and quotes straddling the reader's block boundaries decode as in memory.
class LoadLongLine : public testing::TestWithParam<std::size_t> {};

TEST_P(LoadLongLine, MatchesTheInMemoryReader) {
    const std::size_t length = GetParam();
    std::string row(length - 13, '8');
    row += "1234567890123";
    const std::string bytes = kHeader + row + "\r\n" + row + "  \r\n" + "\"" + row + "\"\r\n" +
                              repeat("0000000000000\r\n", 10);
    TempDir dir;
    writeBytes(dir.file("long.txt"), bytes);
    Grid fromFile;
    LoadMap(dir.file("long.txt"), fromFile);
    Grid fromMemory;
    parseMap(bytes, fromMemory);
    EXPECT_EQ(fromFile, fromMemory);
    EXPECT_EQ(fromFile(1, 3), 1);
    EXPECT_EQ(fromFile(13, 3), 3);
}

INSTANTIATE_TEST_SUITE_P(Lengths, LoadLongLine,
                         testing::Values(65510, 65522, 65523, 65524, 65525, 65535, 65536, 65537,
                                         131072, 5'000'000));

TEST(LoadMap, EmptyNameDoesNothing) {
    Grid mass = untouched();
    LoadMap("", mass);
    EXPECT_EQ(mass, untouched());
}

struct OpenCase {
    const char* name;
    std::string (*path)(const TempDir&);
    int error;
};

void PrintTo(const OpenCase& c, std::ostream* os) {
    *os << c.name;
}

class LoadMapOpen : public testing::TestWithParam<OpenCase> {};

TEST_P(LoadMapOpen, FailsPromptlyWithItsNumber) {
    TempDir dir;
    writeBytes(dir.file("file.txt"), kOwnFile);
    writeBytes(dir.file("bad.txt"), kHeader + "x\r\n" + repeat("0000000000000\r\n", 12));
    ::mkdir(dir.file("folder").c_str(), 0755);
    ::mkfifo(dir.file("fifo").c_str(), 0644);
    const std::string path = GetParam().path(dir);
    Grid mass = untouched();
    const auto start = std::chrono::steady_clock::now();
    try {
        LoadMap(path, mass);
        FAIL() << "no error for " << path;
    } catch (const Error& error) {
        EXPECT_EQ(error.number(), GetParam().error);
        EXPECT_EQ(error.path(), path);
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    EXPECT_EQ(mass, untouched());
}

INSTANTIATE_TEST_SUITE_P(
    Paths, LoadMapOpen,
    testing::Values(
        OpenCase{"FormatError", [](const TempDir& d) { return d.file("bad.txt"); }, 13},
        OpenCase{"MissingFile", [](const TempDir& d) { return d.file("missing.txt"); }, 53},
        OpenCase{"MissingFolder", [](const TempDir& d) { return d.file("no/such/map.txt"); }, 76},
        OpenCase{"FileAsFolder", [](const TempDir& d) { return d.file("file.txt/map.txt"); }, 76},
        OpenCase{"Folder", [](const TempDir& d) { return d.file("folder"); }, 75},
        OpenCase{"Fifo", [](const TempDir& d) { return d.file("fifo"); }, 75},
        OpenCase{"DevZero", [](const TempDir&) { return std::string("/dev/zero"); }, 75},
        OpenCase{"NameTooLong", [](const TempDir& d) { return d.file(std::string(300, 'a')); },
                 52}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
