// SPDX-License-Identifier: MIT
// The argument parser's cases, with any compiler. Each NAME.args in the folder given holds a
// command line, one word a line, and NAME.expect what the parser makes of it. A command line
// too long to keep as a file is made here. Every case also goes through the fuzz target's
// promises.
#include <string>
#include <string_view>

#include "replay.h"

std::string argumentsOutcome(std::string_view bytes);

int main(int argc, char* argv[]) {
    korrin::fuzz::Replay replay(argumentsOutcome);
    replay.checkFolder(korrin::fuzz::caseFolder(argc, argv), ".args");
    std::string many = "check";
    std::string expected = "command check\n";
    for (int i = 0; i < 10000; ++i) {
        many += "\nm" + std::to_string(i);
        expected += "file m" + std::to_string(i) + "\n";
    }
    replay.check("10000 files", many, expected);
    return replay.finish();
}
