// SPDX-License-Identifier: MIT
// Reading and writing whole files through POSIX calls, with errors as run-time errors.
#include "file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>

#include "error.h"

namespace korrin::map {

Descriptor& Descriptor::operator=(Descriptor&& other) noexcept {
    if (this != &other) {
        close();
        fd_ = other.fd_;
        other.fd_ = -1;
    }
    return *this;
}

Descriptor::~Descriptor() {
    close();
}

int Descriptor::close() {
    const int result = fd_ >= 0 ? ::close(fd_) : 0;
    fd_ = -1;
    return result;
}

std::size_t readSome(int fd, char* buffer, std::size_t size, const std::string& path) {
    for (;;) {
        const ssize_t got = ::read(fd, buffer, size);
        if (got >= 0) {
            return static_cast<std::size_t>(got);
        }
        if (errno != EINTR) {
            throw systemError(errno, path);
        }
    }
}

void writeAll(int fd, std::string_view bytes, const std::string& path) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            throw systemError(written < 0 ? errno : ENOSPC, path);
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
}

Descriptor openForReading(const std::string& path) {
    Descriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (file.get() < 0) {
        throw systemError(errno, path);
    }
    struct stat st {};
    if (::fstat(file.get(), &st) != 0) {
        throw systemError(errno, path);
    }
    if (!S_ISREG(st.st_mode)) {
        throw Error(ErrorNumber::PathFileAccessError, path, kNotARegularFile);
    }
    return file;
}

}  // namespace korrin::map
