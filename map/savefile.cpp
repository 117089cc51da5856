// SPDX-License-Identifier: MIT
// The save rule: a file replaced whole or rewritten in place, never left torn.
#include "savefile.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <cerrno>
#include <charconv>
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
constexpr char kSharedFolderLink[] = "link not followed in a shared folder";

// The kernel's rule for links in a sticky folder that anyone may write, such as /tmp: only a
// link of the follower's own or of the folder's owner is followed. The save resolves links
// itself, so it applies the rule itself, whatever fs.protected_symlinks says.
bool mayFollow(const struct stat& link, const std::string& linkPath) {
    struct stat folder {};
    if (::stat(folderOf(linkPath).c_str(), &folder) != 0) {
        return false;
    }
    const bool shared = (folder.st_mode & S_ISVTX) != 0 && (folder.st_mode & S_IWOTH) != 0;
    return !shared || link.st_uid == ::geteuid() || link.st_uid == folder.st_uid;
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
        if (!mayFollow(st, current)) {
            throw Error(ErrorNumber::PathFileAccessError, path, kSharedFolderLink);
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
constexpr std::size_t kRandomDigits = 6;

// A fresh hidden name beside the target, made by `create`, for a file that is about to be
// renamed over it; empty when none could be made. It carries the saver's process id, so that
// a later save can tell a leftover of a saver that died from the file of one still at work.
template <class Create>
std::string freshName(const std::string& folder, Create create) {
    std::random_device random;
    for (int attempt = 0; attempt < kNameTries; ++attempt) {
        char name[48];
        std::snprintf(name, sizeof name, "%s%ld-%06x", kHiddenPrefix, static_cast<long>(::getpid()),
                      random() & 0xffffff);
        std::string path = folder + "/" + name;
        if (create(path)) {
            return path;
        }
        if (errno != EEXIST) {
            break;
        }
    }
    return {};  // errno tells why; a name not made here is never ours to rename or remove
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
            if (path_.empty()) {
                throw systemError(errno, path);
            }
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

// The id of the saver whose hidden file `name` would be: exactly the prefix, a process id
// and six hex digits, as freshName makes them; 0 for any other name.
pid_t leftoverOwner(std::string_view name) {
    if (!name.starts_with(kHiddenPrefix)) {
        return 0;
    }
    name.remove_prefix(std::strlen(kHiddenPrefix));
    const auto dash = name.find('-');
    const std::string_view random = dash == std::string_view::npos ? "" : name.substr(dash + 1);
    if (random.size() != kRandomDigits ||
        random.find_first_not_of("0123456789abcdef") != std::string_view::npos ||
        name.front() == '0') {
        return 0;
    }
    pid_t pid = 0;
    const char* end = name.data() + dash;
    const auto [rest, failure] = std::from_chars(name.data(), end, pid);
    return failure == std::errc() && rest == end && pid > 0 ? pid : 0;
}

// A save killed between naming its new file and renaming it leaves the file behind; the next
// save in the folder removes it, and only it: a regular file of the saver's own with that
// exact name, whose process is gone.
void removeLeftovers(const std::string& folder) {
    DIR* entries = ::opendir(folder.c_str());
    if (entries == nullptr) {
        return;
    }
    while (const dirent* entry = ::readdir(entries)) {
        const pid_t pid = leftoverOwner(entry->d_name);
        struct stat st {};
        if (pid > 0 && ::fstatat(::dirfd(entries), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 &&
            S_ISREG(st.st_mode) && st.st_uid == ::geteuid() && st.st_nlink == 1 &&
            ::kill(pid, 0) != 0 && errno == ESRCH) {
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

// Reserves the blocks `length` bytes need without changing the file's length, so that a full
// disk fails before the first old byte changes. A file system that cannot reserve ahead (ext2,
// NFSv3) is written all the same; glibc's emulation is not used, as it writes zeros in.
void reserve(int fd, off_t length, const std::string& path) {
    while (length > 0 && ::fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, length) != 0) {
        if (errno == EOPNOTSUPP || errno == ENOSYS) {
            return;
        }
        if (errno != EINTR) {
            throw systemError(errno, path);
        }
    }
}

// Old files up to this length are padded and overwritten whole; a longer one is not padded,
// so a kill between its write and its cut may leave its old tail.
constexpr off_t kMaxPadding = 16 * 1024 * 1024;

// Rewrites the open file with `bytes`. A shorter new content is padded with spaces to the old
// length and cut only once it is on the disk: a kill between the two leaves the new content
// followed by white space, which maps, XML and JSON readers all ignore, never the old tail.
void writeInPlace(int fd, off_t oldLength, std::string_view bytes, const std::string& path) {
    const auto length = static_cast<off_t>(bytes.size());
    std::string padded;
    if (oldLength > length && oldLength <= kMaxPadding) {
        padded.reserve(static_cast<std::size_t>(oldLength));
        padded.append(bytes).append(static_cast<std::size_t>(oldLength - length), ' ');
        bytes = padded;
    }
    reserve(fd, static_cast<off_t>(bytes.size()), path);
    writeAll(fd, bytes, path);
    if (static_cast<off_t>(bytes.size()) != length && ::fsync(fd) != 0) {
        throw systemError(errno, path);
    }
    if (::ftruncate(fd, length) != 0 || ::fsync(fd) != 0) {
        throw systemError(errno, path);
    }
}

// An existing target, open for writing: the kernel decides whether the user may write it,
// and nothing changes when it refuses. A FIFO without a reader, or a folder, is refused by the
// open; any other file that is not a regular one right after it. A link put in place of the
// target since it was resolved is not followed.
Descriptor openExisting(const std::string& target, struct stat& existing, const std::string& path) {
    Descriptor file(
        ::open(target.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK | O_NOFOLLOW));
    if (!file.valid() || ::fstat(file.get(), &existing) != 0) {
        throw systemError(errno, path);
    }
    if (!S_ISREG(existing.st_mode)) {
        throw Error(ErrorNumber::PathFileAccessError, path, kNotARegularFile);
    }
    return file;
}

// The target's state before a save: whether it exists; any other failure throws.
bool targetExists(const std::string& target, struct stat& existing, const std::string& path) {
    if (::stat(target.c_str(), &existing) == 0) {
        return true;
    }
    if (errno != ENOENT) {
        throw systemError(errno, path);
    }
    return false;
}

}  // namespace

void checkSavable(const std::string& path) {
    const std::string target = finalTarget(path);
    struct stat existing {};
    if (targetExists(target, existing, path)) {
        openExisting(target, existing, path);
        return;
    }
    const std::string folder = folderOf(target);
    if (::faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) != 0) {
        throw errno == ENOENT ? Error(ErrorNumber::PathNotFound, path) : systemError(errno, path);
    }
}

void saveFile(const std::string& path, std::string_view bytes) {
    const std::string target = finalTarget(path);
    struct stat existing {};
    if (!targetExists(target, existing, path)) {
        replaceByRename(target, bytes, std::nullopt, path);
        return;
    }
    const Descriptor file = openExisting(target, existing, path);
    if (renameKeepsEverything(file.get(), existing, folderOf(target))) {
        replaceByRename(target, bytes, existing.st_mode & 07777, path);
    } else {
        writeInPlace(file.get(), existing.st_size, bytes, path);
    }
}

}  // namespace korrin::map
