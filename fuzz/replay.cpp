// SPDX-License-Identifier: MIT
// The map reader's cases, with any compiler. Each NAME.txt in the folder given holds the bytes
// of a map file, and NAME.expect what reading it gives: "error N", or rows 1 .. 13 of the
// field as lines of digits, read into a grid of 5s. Rows too long to keep as files are made
// here. Every case also goes through the fuzz target's promises.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <string_view>

std::string readerOutcome(std::string_view bytes);

namespace {

std::string readBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

int passed = 0;
int failed = 0;

void check(const std::string& name, const std::string& bytes, const std::string& expected) {
    std::string got;
    try {
        got = readerOutcome(bytes);
    } catch (const std::logic_error& broken) {
        got = std::string("broken promise: ") + broken.what() + "\n";
    }
    if (got == expected) {
        ++passed;
        return;
    }
    ++failed;
    std::printf("FAILED %s\nexpected:\n%sgot:\n%s", name.c_str(), expected.c_str(), got.c_str());
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: fuzz_replay CASE-FOLDER\n");
        return 2;
    }
    for (const auto& entry : std::filesystem::directory_iterator(argv[1])) {
        if (entry.path().extension() == ".txt") {
            auto expect = entry.path();
            check(entry.path().filename(), readBytes(entry.path()),
                  readBytes(expect.replace_extension(".expect")));
        }
    }
    // Plain, trailing-space and quoted long rows, with line ends around the reader's 64 KiB
    // blocks, then one of 5 MB.
    for (const std::size_t length :
         {65510, 65522, 65523, 65524, 65525, 65535, 65536, 65537, 131072, 5'000'000}) {
        const std::string row = std::string(length - 13, '8') + "1234567890123";
        std::string bytes = " 13 \r\n 13 \r\n" + row + "\r\n" + row + "  \r\n\"" + row + "\"\r\n";
        std::string expected = "1234567890123\n1234567890123\n1234567890123\n";
        for (int y = 4; y <= 13; ++y) {
            bytes += "0000000000000\r\n";
            expected += "0000000000000\n";
        }
        check("long rows of " + std::to_string(length), bytes, expected);
    }
    // A space that ends the first block still counts when the row goes on in the next.
    check("space at a block's end",
          " 1 \r\n 1 \r\n" + std::string(65525, '8') + " 123456789012\r\n", "error 13\n");
    std::printf("%d passed, %d failed\n", passed, failed);
    return failed == 0 && passed > 0 ? 0 : 1;
}
