// SPDX-License-Identifier: MIT
// The argument parser's promises on any command line: it returns or throws UsageError, never
// anything else; a usage message is one printable line; what it returns holds every word it
// was given, each in its place. The libFuzzer entry and the case replay both check them
// through argumentsOutcome().
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "cli/arguments.h"
#include "map/text.h"

using korrin::cli::Arguments;
using korrin::cli::UsageError;

namespace {

void require(bool condition, const char* promise) {
    if (!condition) {
        throw std::logic_error(promise);
    }
}

// The words of `bytes`, one a line, after the program's name.
std::vector<std::string> commandLine(std::string_view bytes) {
    std::vector<std::string> words{"korrin-map"};
    for (std::size_t start = 0;;) {
        const std::size_t end = bytes.find('\n', start);
        words.emplace_back(bytes.substr(start, end - start));
        if (end == std::string_view::npos) {
            return words;
        }
        start = end + 1;
    }
}

}  // namespace

// What korrin-map's parser makes of the words of `bytes`, one a line: "usage: MESSAGE", or
// one line each for the command, the files, the output and the flags, escaped.
std::string argumentsOutcome(std::string_view bytes) {
    std::vector<std::string> words = commandLine(bytes);
    std::vector<char*> argv;
    for (std::string& word : words) {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);
    Arguments arguments;
    try {
        arguments = korrin::cli::parseArguments(static_cast<int>(words.size()), argv.data());
    } catch (const UsageError& usage) {
        require(!usage.message.empty() && korrin::map::printable(usage.message) == usage.message &&
                    usage.message.find('\n') == std::string::npos,
                "a usage message is one printable line");
        return "usage: " + usage.message + "\n";
    }
    std::size_t given = arguments.command.empty() ? 0 : 1;
    given += arguments.files.size() + (arguments.hasOutput ? 1 : 0) + (arguments.hasPng ? 1 : 0) +
             (arguments.hasColumns ? 1 : 0);
    require(given <= words.size() - 1, "no word made up");
    require(arguments.hasOutput || arguments.output.empty(), "an output only when one is given");
    require(arguments.hasPng || arguments.png.empty(), "a picture only when one is given");
    require(arguments.hasColumns || arguments.columns.empty(), "columns only when given");
    std::string outcome = "command " + korrin::map::printable(arguments.command) + "\n";
    for (const std::string& file : arguments.files) {
        outcome += "file " + korrin::map::printable(file) + "\n";
    }
    if (arguments.hasOutput) {
        outcome += "output " + korrin::map::printable(arguments.output) + "\n";
    }
    if (arguments.hasPng) {
        outcome += "png " + korrin::map::printable(arguments.png) + "\n";
    }
    if (arguments.hasColumns) {
        outcome += "columns " + korrin::map::printable(arguments.columns) + "\n";
    }
    outcome += arguments.grid ? "grid\n" : "";
    outcome += arguments.help ? "help\n" : "";
    outcome += arguments.version ? "version\n" : "";
    return outcome;
}

#ifdef KORRIN_FUZZ_ENTRY  // the libFuzzer build; the replay has a main of its own
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // A broken promise, or any exception but a usage error, reaches the fuzzer as a crash.
    argumentsOutcome({reinterpret_cast<const char*>(data), size});
    return 0;
}
#endif
