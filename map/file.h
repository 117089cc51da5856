// SPDX-License-Identifier: MIT
#pragma once

#include <string>

namespace korrin::map {

/** Owns an open file descriptor and closes it. */
class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    Descriptor(Descriptor&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor();
    int get() const { return fd_; }

private:
    int fd_;
};

/**
 * Opens the regular file at `path` for reading, without waiting for a writer when it is a
 * FIFO. Throws Error carrying `path`: the errno mapping for a failed open, 75 for anything
 * that is not a regular file.
 */
Descriptor openForReading(const std::string& path);

}  // namespace korrin::map
