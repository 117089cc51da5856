// SPDX-License-Identifier: MIT
// korrin-map's command line as the parser reads it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace korrin::cli {

/** The command line as bytes: file names are passed on exactly as the shell gave them. */
struct Arguments {
    std::string command;
    std::vector<std::string> files;
    bool hasOutput = false;
    std::string output;
    bool hasPng = false;
    std::string png;  // diff's picture
    bool hasColumns = false;
    std::string columns;  // render's columns, as given
    bool grid = false;
    bool help = false;
    bool version = false;
};

/** A command line korrin-map cannot take; `message` says why. */
struct UsageError {
    std::string message;
};

/** Reads the options and arguments after argv[0]; throws UsageError. */
Arguments parseArguments(int argc, char* argv[]);

/** What --help prints after its usage line. */
extern const std::string_view kDescription;

}  // namespace korrin::cli
