// SPDX-License-Identifier: MIT
// Reading and writing whole files through POSIX calls, with errors as run-time errors.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace korrin::map {

/** Owns an open file descriptor, or none (-1), and closes it. */
class Descriptor {
public:
    explicit Descriptor(int fd = -1) : fd_(fd) {}
    Descriptor(Descriptor&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
    Descriptor& operator=(Descriptor&& other) noexcept;
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor();
    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    /** Closes the descriptor now; returns close()'s result, which a writer must check. */
    int close();

private:
    int fd_;
};

/**
 * Reads up to `size` bytes into `buffer`, again when a signal interrupts; 0 at the end of the
 * file. Throws Error carrying `path`.
 */
std::size_t readSome(int fd, char* buffer, std::size_t size, const std::string& path);

/**
 * Writes all of `bytes` at the descriptor's offset, going on after short writes; a write that
 * makes no progress is a full disk. Throws Error carrying `path`.
 */
void writeAll(int fd, std::string_view bytes, const std::string& path);

/**
 * Opens the regular file at `path` for reading, without waiting for a writer when it is a
 * FIFO. Throws Error carrying `path`: the errno mapping for a failed open, 75 for anything
 * that is not a regular file.
 */
Descriptor openForReading(const std::string& path);

}  // namespace korrin::map
