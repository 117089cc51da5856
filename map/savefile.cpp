// SPDX-License-Identifier: MIT
#include "savefile.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
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

constexpr char kHiddenPrefix[] = ".korrin-";

// A fresh hidden name beside the target, for a file that is about to be renamed over it. It
// carries the saver's process id, so that a later save can tell a leftover of a saver that
// died from the file of one still at work.
template <class Create>
std::string freshName(const std::string& folder, Create create) {
    std::random_device random;
    std::string path;
    for (int attempt = 0; attempt < kNameTries; ++attempt) {
        char name[48];
        std::snprintf(name, sizeof name, "%s%ld-%06x", kHiddenPrefix, static_cast<long>(::getpid()),
                      random() & 0xffffff);
        path = folder + "/" + name;
        if (create(path) || errno != EEXIST) {
            break;
        }
    }
    return path;
}

/**
 * The new contents of a file, written beside it. Where the file system allows, the file has no
 * name until it is complete, so that a crash at any moment leaves nothing behind; elsewhere it
 * has a hidden name, which it loses again unless it has been renamed over the target.
 */
class TemporaryFile {
public:
    explicit TemporaryFile(const std::string& folder) : folder_(folder) {
        file_ = Descriptor(::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, kNewFileMode));
        if (!file_.valid() && (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL)) {
            path_ = freshName(folder, [this](const std::string& path) {
                file_ = Descriptor(
                    ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, kNewFileMode));
                return file_.valid();
            });
        }
        error_ = file_.valid() ? 0 : errno;
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    ~TemporaryFile() {
        if (!path_.empty() && !renamed_) {
            ::unlink(path_.c_str());
        }
    }

    /** The errno of a failed creation, else 0. */
    int error() const { return error_; }
    int fd() const { return file_.get(); }

    /**
     * Makes the complete file `target`: a new target gets the unnamed file's name at once, an
     * existing one is replaced by a rename, which never shows a mix of old and new.
     */
    void replace(const std::string& target, const std::string& path) {
        if (path_.empty()) {
            const std::string self = "/proc/self/fd/" + std::to_string(file_.get());
            if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, target.c_str(), AT_SYMLINK_FOLLOW) ==
                0) {
                closeFile(path);
                return;
            }
            if (errno != EEXIST) {
                throw systemError(errno, path);
            }
            path_ = freshName(folder_, [&](const std::string& name) {
                return ::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(),
                                AT_SYMLINK_FOLLOW) == 0;
            });
        }
        closeFile(path);
        if (::rename(path_.c_str(), target.c_str()) != 0) {
            throw systemError(errno, path);
        }
        renamed_ = true;
    }

private:
    void closeFile(const std::string& path) {
        if (file_.close() != 0) {
            throw systemError(errno, path);
        }
    }

    std::string folder_;
    std::string path_;  // the hidden name, while the file has one
    Descriptor file_;
    int error_ = 0;
    bool renamed_ = false;
};

// A save killed between naming its new file and renaming it leaves the file behind; the next
// save in the folder removes it once no process of that id runs any more.
void removeLeftovers(const std::string& folder) {
    DIR* entries = ::opendir(folder.c_str());
    if (entries == nullptr) {
        return;
    }
    while (const dirent* entry = ::readdir(entries)) {
        const std::string_view name = entry->d_name;
        if (!name.starts_with(kHiddenPrefix)) {
            continue;
        }
        const char* digits = name.data() + std::strlen(kHiddenPrefix);
        char* end = nullptr;
        const long pid = std::strtol(digits, &end, 10);
        if (end != digits && *end == '-' && pid > 0 && ::kill(static_cast<pid_t>(pid), 0) != 0 &&
            errno == ESRCH) {
            ::unlinkat(::dirfd(entries), entry->d_name, 0);
        }
    }
    ::closedir(entries);
}

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
    removeLeftovers(folder);
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
    temporary.replace(target, path);
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
