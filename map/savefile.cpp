// SPDX-License-Identifier: MIT
#include "savefile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <optional>
#include <random>

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

// A new file's mode: the kernel takes the user's umask off it when the file is created.
constexpr mode_t kNewFileMode = 0666;
constexpr int kNameTries = 100;

// A file of a fresh name beside the target, removed again unless the rename has taken it.
class TemporaryFile {
public:
    explicit TemporaryFile(const std::string& folder) {
        std::random_device random;
        for (int attempt = 0; attempt < kNameTries && !file_.valid(); ++attempt) {
            char name[16];
            std::snprintf(name, sizeof name, ".korrin-%06x", random() & 0xffffff);
            path_ = folder + "/" + name;
            file_ = Descriptor(
                ::open(path_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, kNewFileMode));
            if (!file_.valid() && errno != EEXIST) {
                break;
            }
        }
        error_ = file_.valid() ? 0 : errno;
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    ~TemporaryFile() {
        if (file_.valid() || (closed_ && !renamed_)) {
            ::unlink(path_.c_str());
        }
    }

    /** The errno of a failed creation, else 0. */
    int error() const { return error_; }
    int fd() const { return file_.get(); }
    const std::string& path() const { return path_; }

    int close() {
        closed_ = true;
        return file_.close();
    }
    void markRenamed() { renamed_ = true; }

private:
    std::string path_;
    Descriptor file_;
    int error_ = 0;
    bool closed_ = false;
    bool renamed_ = false;
};

void syncFolder(const std::string& folder, const std::string& path) {
    const Descriptor handle(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!handle.valid()) {
        return;  // the rename has happened; a folder we cannot open cannot be synced either
    }
    if (::fsync(handle.get()) != 0 && errno != EINVAL && errno != EROFS) {
        throw systemError(errno, path);
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

// `mode` is the mode of the file replaced; a new file keeps the one it was created with.
void replaceByRename(const std::string& target, std::string_view bytes, std::optional<mode_t> mode,
                     const std::string& path) {
    const std::string folder = folderOf(target);
    TemporaryFile temporary(folder);
    if (temporary.error() != 0) {
        throw temporary.error() == ENOENT ? Error(ErrorNumber::PathNotFound, path)
                                          : systemError(temporary.error(), path);
    }
    if (mode && ::fchmod(temporary.fd(), *mode) != 0) {
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
        replaceByRename(target, bytes, std::nullopt, path);
        return;
    }
    // The kernel decides whether the user may write the file; nothing changes when it refuses.
    // A FIFO without a reader, or a folder, is refused here too; any other non-regular file
    // is refused once it is open, before a byte is written.
    const Descriptor file(::open(target.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    const int fd = file.get();
    if (fd < 0) {
        throw systemError(errno, path);
    }
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
