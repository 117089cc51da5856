// SPDX-License-Identifier: MIT
// The replay of a fuzz target's cases under CTest.
#pragma once

// The replay of a fuzz target's cases, with any compiler: each case file in a folder holds the
// input bytes, and the file of the same name ending in .expect what the target's outcome
// function must give for them. A broken promise of the target (std::logic_error) is a failure.

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>

namespace korrin::fuzz {

inline std::string readBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

class Replay {
public:
    using Outcome = std::function<std::string(std::string_view bytes)>;

    explicit Replay(Outcome outcome) : outcome_(std::move(outcome)) {}

    void check(const std::string& name, const std::string& bytes, const std::string& expected) {
        checkCase(
            name, [&] { return outcome_(bytes); }, expected);
    }

    /** Checks what `run` gives, or the promise it breaks, against `expected`. */
    void checkCase(const std::string& name, const std::function<std::string()>& run,
                   const std::string& expected) {
        std::string got;
        try {
            got = run();
        } catch (const std::logic_error& broken) {
            got = std::string("broken promise: ") + broken.what() + "\n";
        }
        if (got == expected) {
            ++passed_;
            return;
        }
        ++failed_;
        std::printf("FAILED %s\nexpected:\n%sgot:\n%s", name.c_str(), expected.c_str(),
                    got.c_str());
    }

    /** Checks every file of `folder` whose name ends in `extension` against its .expect. */
    void checkFolder(const std::filesystem::path& folder, std::string_view extension) {
        for (const auto& entry : std::filesystem::directory_iterator(folder)) {
            if (entry.path().extension() == extension) {
                auto expect = entry.path();
                check(entry.path().filename(), readBytes(entry.path()),
                      readBytes(expect.replace_extension(".expect")));
            }
        }
    }

    /** Prints the count and gives main's status: 0 when cases ran and all passed. */
    int finish() const {
        std::printf("%d passed, %d failed\n", passed_, failed_);
        return failed_ == 0 && passed_ > 0 ? 0 : 1;
    }

private:
    Outcome outcome_;
    int passed_ = 0;
    int failed_ = 0;
};

}  // namespace korrin::fuzz
