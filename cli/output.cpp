// SPDX-License-Identifier: MIT
// Where korrin-map writes: standard output, an open descriptor or a file saved safely.
#include "output.h"

#include <unistd.h>
#include <cerrno>
#include <charconv>

#include "map/file.h"
#include "map/savefile.h"
#include "map/text.h"

namespace korrin::cli {

namespace {

const std::string kStandardOutput = "standard output";

// The descriptor that names like /dev/stdout stand for, or -1 for an ordinary file name.
int descriptorOf(const std::string& output) {
    if (output == "-" || output == "/dev/stdout") {
        return STDOUT_FILENO;
    }
    if (output == "/dev/stderr") {
        return STDERR_FILENO;
    }
    for (const std::string_view prefix : {"/dev/fd/", "/proc/self/fd/"}) {
        if (output.size() > prefix.size() && output.compare(0, prefix.size(), prefix) == 0) {
            int fd = -1;
            const char* end = output.data() + output.size();
            const auto [rest, failure] = std::from_chars(output.data() + prefix.size(), end, fd);
            if (failure == std::errc() && rest == end) {
                return fd;
            }
        }
    }
    return -1;
}

}  // namespace

std::string checkLine(const std::string& file, const map::Error* error) {
    if (error == nullptr) {
        return map::printable(file) + ": ok\n";
    }
    const std::string reason = error->reason().empty() ? "" : ": " + error->reason();
    return map::printable(file) + ": error " + std::to_string(error->number()) + ": " +
           std::string(error->description()) + reason + "\n";
}

// A descriptor is written at its own offset, so that `>> log` appends.
void writeOutput(const std::string& output, std::string_view bytes) {
    const int fd = output.empty() ? STDOUT_FILENO : descriptorOf(output);
    if (fd >= 0) {
        map::writeAll(fd, bytes, output.empty() ? kStandardOutput : output);
    } else {
        map::saveFile(output, bytes);
    }
}

void closeStandardOutput() {
    if (::close(STDOUT_FILENO) != 0 && errno != EBADF) {
        throw map::systemError(errno, kStandardOutput);
    }
}

}  // namespace korrin::cli
