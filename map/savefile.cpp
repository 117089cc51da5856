// SPDX-License-Identifier: MIT
#include "savefile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <cerrno>
#include <climits>
#include <cstdlib>

#include "error.h"
#include "file.h"
#include "paths.h"

namespace korrin::map {

namespace {

constexpr int kMaxLinkHops = 40;

// Follows symbolic links to the file that really receives the bytes; the last one may not
// exist yet.
std::string finalTarget(const std::string& path) {
    std::string current = path;
    for (int hop = 0; hop < kMaxLinkHops; ++hop) {
        struct stat st {};
        if (::lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
            return current;
        }
        std::string link(PATH_MAX, '\0');
        const ssize_t length = ::readlink(current.c_str(), link.data(), link.size());
        if (length < 0) {
            throw systemError(errno, path);
        }
        link.resize(static_cast<std::size_t>(length));
        current = besideFile(current, link);
    }
    throw systemError(ELOOP, path);
}

mode_t newFileMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

// Removes the temporary file unless the rename has taken it.
class TemporaryFile {
public:
    explicit TemporaryFile(std::string folder) : path_(std::move(folder) + "/.korrin-XXXXXX") {
        fd_ = ::mkostemp(path_.data(), O_CLOEXEC);
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    ~TemporaryFile() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
        if (!renamed_ && fd_ != kNeverOpened) {
            ::unlink(path_.c_str());
        }
    }

    bool opened() const { return fd_ >= 0; }
    int fd() const { return fd_; }
    const std::string& path() const { return path_; }

    int close() {
        const int result = ::close(fd_);
        fd_ = kClosed;
        return result;
    }
    void markRenamed() { renamed_ = true; }

private:
    static constexpr int kNeverOpened = -1;
    static constexpr int kClosed = -2;
    std::string path_;
    int fd_ = kNeverOpened;
    bool renamed_ = false;
};

void writeAll(int fd, std::string_view bytes, const std::string& path) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written < 0) {
            throw systemError(errno, path);
        }
        if (written == 0) {
            throw systemError(ENOSPC, path);
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
}

void syncFolder(const std::string& folder, const std::string& path) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        return;  // the rename has happened; a folder we cannot open cannot be synced either
    }
    const int result = ::fsync(fd);
    const int error = errno;
    ::close(fd);
    if (result != 0 && error != EINVAL && error != EROFS) {
        throw systemError(error, path);
    }
}

// A rename cannot be told apart from writing the file itself only for a file like this; any
// other would lose its owner, links or attributes, or cannot be renamed over at all.
bool renameKeepsEverything(int fd, const struct stat& existing, const std::string& folder) {
    return existing.st_nlink == 1 && existing.st_uid == ::geteuid() &&
           existing.st_gid == ::getegid() &&
           (::flistxattr(fd, nullptr, 0) == 0 || errno == ENOTSUP) &&
           ::faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) == 0;
}

void replaceByRename(const std::string& target, std::string_view bytes, mode_t mode,
                     const std::string& path) {
    const std::string folder = folderOf(target);
    TemporaryFile temporary(folder);
    if (!temporary.opened()) {
        throw errno == ENOENT ? Error(ErrorNumber::PathNotFound, path) : systemError(errno, path);
    }
    if (::fchmod(temporary.fd(), mode) != 0) {
        throw systemError(errno, path);
    }
    writeAll(temporary.fd(), bytes, path);
    if (::fsync(temporary.fd()) != 0) {
        throw systemError(errno, path);
    }
    if (temporary.close() != 0) {
        throw systemError(errno, path);
    }
    if (::rename(temporary.path().c_str(), target.c_str()) != 0) {
        throw systemError(errno, path);
    }
    temporary.markRenamed();
    syncFolder(folder, path);
}

void writeInPlace(int fd, std::string_view bytes, const std::string& path) {
    const auto length = static_cast<off_t>(bytes.size());
    // Reserving the space before the first old byte changes lets a full disk fail cleanly. A
    // file system that cannot reserve ahead is written anyway.
    const int reserved = length > 0 ? ::posix_fallocate(fd, 0, length) : 0;
    if (reserved != 0 && reserved != EINVAL && reserved != EOPNOTSUPP) {
        throw systemError(reserved, path);
    }
    writeAll(fd, bytes, path);
    if (::ftruncate(fd, length) != 0 || ::fsync(fd) != 0) {
        throw systemError(errno, path);
    }
}

}  // namespace

void saveFile(const std::string& path, std::string_view bytes) {
    const std::string target = finalTarget(path);
    struct stat existing {};
    if (::stat(target.c_str(), &existing) != 0) {
        if (errno != ENOENT) {
            throw systemError(errno, path);
        }
        replaceByRename(target, bytes, newFileMode(), path);
        return;
    }
    // The kernel decides whether the user may write the file; nothing changes when it refuses.
    // A FIFO without a reader, or a folder, is refused here too; any other non-regular file
    // is refused once it is open, before a byte is written.
    const int fd = ::open(target.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) {
        throw systemError(errno, path);
    }
    const Descriptor file(fd);
    if (::fstat(fd, &existing) != 0) {
        throw systemError(errno, path);
    }
    if (!S_ISREG(existing.st_mode)) {
        throw Error(ErrorNumber::PathFileAccessError, path);
    }
    if (renameKeepsEverything(fd, existing, folderOf(target))) {
        replaceByRename(target, bytes, existing.st_mode & 07777, path);
    } else {
        writeInPlace(fd, bytes, path);
    }
}

}  // namespace korrin::map
