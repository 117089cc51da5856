// SPDX-License-Identifier: MIT
// The map reader's cases, with any compiler. Each NAME.txt in the folder given holds the bytes
// of a map file, and NAME.expect what reading it gives: "error N", or rows 1 .. 13 of the
// field as lines of digits, read into a grid of 5s. Rows too long to keep as files are made
// here. Every case also goes through the fuzz target's promises.
#include <string>
#include <string_view>

#include "replay.h"

std::string readerOutcome(std::string_view bytes);

int main(int argc, char* argv[]) {
    korrin::fuzz::Replay replay(readerOutcome);
    replay.checkFolder(korrin::fuzz::caseFolder(argc, argv), ".txt");
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
        replay.check("long rows of " + std::to_string(length), bytes, expected);
    }
    // A space that ends the first block still counts when the row goes on in the next.
    replay.check("space at a block's end",
                 " 1 \r\n 1 \r\n" + std::string(65525, '8') + " 123456789012\r\n", "error 13\n");
    return replay.finish();
}
