// SPDX-License-Identifier: MIT
// Feeds arbitrary bytes to the map reader and checks its promises: a loaded grid holds only
// digit codes and survives a save and load; a failure is a listed error and changes nothing;
// the file reader and the in-memory reader agree.
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstdio>
#include <string>
#include <string_view>

#include "map/error.h"
#include "map/mapfile.h"

using namespace korrin::map;

namespace {

void require(bool condition, const char* promise) {
    if (!condition) {
        std::fprintf(stderr, "broken promise: %s\n", promise);
        std::abort();
    }
}

bool listed(ErrorNumber number) {
    switch (number) {
        case ErrorNumber::Overflow:
        case ErrorNumber::SubscriptOutOfRange:
        case ErrorNumber::TypeMismatch:
        case ErrorNumber::InputPastEndOfFile:
            return true;
        default:
            return false;
    }
}

Grid patterned() {
    Grid mass;
    for (int x = 0; x <= kGridLast; ++x) {
        for (int y = 0; y <= kGridLast; ++y) {
            mass(x, y) = static_cast<Byte>((x * 3 + y * 7) % kTileCount);
        }
    }
    return mass;
}

// The outcome of one read: the grid afterwards and the error number, 0 when it loaded.
struct Outcome {
    Grid mass;
    int error = 0;
};

Outcome readFromMemory(std::string_view bytes) {
    Outcome outcome{patterned()};
    try {
        parseMap(bytes, outcome.mass);
    } catch (const Error& error) {
        require(listed(error.code()), "only the reader's own errors");
        outcome.error = error.number();
    }
    return outcome;
}

Outcome readFromFile(std::string_view bytes) {
    Outcome outcome{patterned()};
    const int fd = ::memfd_create("map", MFD_CLOEXEC);
    require(fd >= 0, "a memory file to read from");
    for (std::string_view rest = bytes; !rest.empty();) {
        const ssize_t written = ::write(fd, rest.data(), rest.size());
        require(written > 0, "the memory file takes the bytes");
        rest.remove_prefix(static_cast<std::size_t>(written));
    }
    try {
        LoadMap("/proc/self/fd/" + std::to_string(fd), outcome.mass);
    } catch (const Error& error) {
        outcome.error = error.number();
    }
    ::close(fd);
    return outcome;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const Outcome memory = readFromMemory(bytes);
    const Outcome file = readFromFile(bytes);
    require(memory.error == file.error && memory.mass == file.mass,
            "the file reader agrees with the in-memory reader");
    if (memory.error != 0) {
        require(memory.mass == patterned(), "a failed load changes nothing");
        return 0;
    }
    for (int x = 0; x <= kGridLast; ++x) {
        for (int y = 0; y <= kGridLast; ++y) {
            require(memory.mass(x, y) < kTileCount, "every cell holds a digit code");
        }
    }
    const std::string saved = formatMap(memory.mass, {kCellSize, 0, kFieldSize, kFieldSize});
    Grid reloaded;
    parseMap(saved, reloaded);
    for (int x = 1; x <= kFieldSize; ++x) {
        for (int y = 1; y <= kFieldSize; ++y) {
            require(reloaded(x, y) == memory.mass(x, y), "a loaded map survives save and load");
        }
    }
    return 0;
}
