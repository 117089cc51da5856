// SPDX-License-Identifier: MIT
// The map reader's promises on any bytes: the file reader and the in-memory reader agree; a
// failure is one of the reader's own errors, carries the path and changes nothing; a load
// writes digit codes inside the field only and survives a save and load. The libFuzzer entry
// and the case replay both check them through readerOutcome().
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "map/error.h"
#include "map/mapfile.h"

using namespace korrin::map;

namespace {

void require(bool condition, const char* promise) {
    if (!condition) {
        throw std::logic_error(promise);
    }
}

// Every cell 5 before a load, so that the cells it leaves alone show.
Grid before() {
    Grid mass;
    for (int x = 0; x <= kGridLast; ++x) {
        for (int y = 0; y <= kGridLast; ++y) {
            mass(x, y) = 5;
        }
    }
    return mass;
}

// The error number of one load, 0 when it loaded; an error names the file read, if any.
int attempt(const std::function<void()>& load, const std::string& path) {
    try {
        load();
    } catch (const Error& error) {
        require(error.path() == path, "an error carries the path of the file read");
        return error.number();
    }
    return 0;
}

}  // namespace

// What reading `bytes` into a grid of 5s gives: "error N", or rows 1 .. 13 of the field as
// lines of digits. Throws std::logic_error when the reader breaks a promise.
std::string readerOutcome(std::string_view bytes) {
    Grid memory = before();
    const int error = attempt([&] { parseMap(bytes, memory); }, {});
    const int listed[] = {0, 6, 9, 13, 62};
    require(std::ranges::count(listed, error) == 1, "only the reader's own errors");

    const int fd = ::memfd_create("map", MFD_CLOEXEC);
    require(fd >= 0, "a memory file to read from");
    for (std::string_view rest = bytes; !rest.empty();) {
        const ssize_t written = ::write(fd, rest.data(), rest.size());
        require(written > 0, "the memory file takes the bytes");
        rest.remove_prefix(static_cast<std::size_t>(written));
    }
    const std::string path = "/proc/self/fd/" + std::to_string(fd);
    Grid file = before();
    const int fileError = attempt([&] { LoadMap(path, file); }, path);
    ::close(fd);
    require(fileError == error && file == memory, "the file reader agrees with parseMap");
    if (error != 0) {
        require(memory == before(), "a failed load changes nothing");
        return "error " + std::to_string(error) + "\n";
    }

    // The reloaded border is all 5, so equality also shows the load kept to the field.
    Grid reloaded = before();
    parseMap(formatMap(memory, kEditorSettings), reloaded);
    require(reloaded == memory, "a loaded map survives save and load, border untouched");
    std::string rows;
    for (int y = 1; y <= kFieldSize; ++y) {
        for (int x = 1; x <= kFieldSize; ++x) {
            require(memory(x, y) < kTileCount, "every cell holds a digit code");
            rows += static_cast<char>('0' + memory(x, y));
        }
        rows += '\n';
    }
    return rows;
}

#ifdef KORRIN_FUZZ_ENTRY  // the libFuzzer build; the replay has a main of its own
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // A broken promise escapes as an exception, which the fuzzer reports as a crash.
    readerOutcome({reinterpret_cast<const char*>(data), size});
    return 0;
}
#endif
