// SPDX-License-Identifier: MIT
#include "file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>

#include "error.h"

namespace korrin::map {

Descriptor::~Descriptor() {
    if (fd_ >= 0) {
        ::close(fd_);
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
        throw Error(ErrorNumber::PathFileAccessError, path);
    }
    return file;
}

}  // namespace korrin::map
