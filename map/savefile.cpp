// SPDX-License-Identifier: MIT
#include "savefile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <climits>
#include <cstdlib>

#include "error.h"

namespace korrin::map {

namespace {

constexpr int kMaxLinkHops = 40;

std::string folderOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

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
        current = link.front() == '/' ? link : folderOf(current) + "/" + link;
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

}  // namespace

void writeFileAtomically(const std::string& path, std::string_view bytes) {
    const std::string target = finalTarget(path);
    struct stat existing {};
    const bool exists = ::stat(target.c_str(), &existing) == 0;
    if (exists && !S_ISREG(existing.st_mode)) {
        throw Error(ErrorNumber::PathFileAccessError, path);
    }

    const std::string folder = folderOf(target);
    TemporaryFile temporary(folder);
    if (!temporary.opened()) {
        throw errno == ENOENT ? Error(ErrorNumber::PathNotFound, path) : systemError(errno, path);
    }
    const mode_t mode = exists ? existing.st_mode & 07777 : newFileMode();
    if (::fchmod(temporary.fd(), mode) != 0) {
        throw systemError(errno, path);
    }
    if (exists && (existing.st_uid != ::geteuid() || existing.st_gid != ::getegid())) {
        // Only root may give the file back to its owner; anyone else keeps their own.
        [[maybe_unused]] const int ignored =
            ::fchown(temporary.fd(), existing.st_uid, existing.st_gid);
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

}  // namespace korrin::map
