// SPDX-License-Identifier: MIT
#pragma once

#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <string>

namespace korrin::test {

/** What running a check in a private mount namespace gave. */
struct NamespaceRun {
    bool available = false;  // false when this machine allows no user namespaces
    std::string failure;     // empty when the check passed
};

namespace detail {

inline bool writeText(const char* path, const std::string& text) {
    const int fd = ::open(path, O_WRONLY | O_CLOEXEC);
    const bool written = fd >= 0 && ::write(fd, text.data(), text.size()) == ssize_t(text.size());
    ::close(fd);
    return written;
}

// This user becomes root inside the new namespace, so that it may mount and create files.
inline bool enterNamespaces(uid_t uid, gid_t gid) {
    return ::unshare(CLONE_NEWUSER | CLONE_NEWNS) == 0 &&
           writeText("/proc/self/setgroups", "deny") &&
           writeText("/proc/self/uid_map", "0 " + std::to_string(uid) + " 1") &&
           writeText("/proc/self/gid_map", "0 " + std::to_string(gid) + " 1") &&
           ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
}

}  // namespace detail

/**
 * Runs `check` in a child process with its own user and mount namespaces, where it may mount
 * small file systems without root. `check` returns an empty string on success, or what failed.
 */
inline NamespaceRun inMountNamespace(const std::function<std::string()>& check) {
    int pipeFds[2];
    if (::pipe(pipeFds) != 0) {
        return {};
    }
    const uid_t uid = ::geteuid();
    const gid_t gid = ::getegid();
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipeFds[0]);
        const bool entered = detail::enterNamespaces(uid, gid);
        const std::string result = entered ? check() : std::string();
        [[maybe_unused]] const auto written = ::write(pipeFds[1], result.data(), result.size());
        ::_exit(entered ? 0 : 77);
    }
    ::close(pipeFds[1]);
    NamespaceRun run;
    char buffer[512];
    ssize_t got;
    while ((got = ::read(pipeFds[0], buffer, sizeof buffer)) > 0) {
        run.failure.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(pipeFds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    run.available = !(WIFEXITED(status) && WEXITSTATUS(status) == 77);
    if (!WIFEXITED(status)) {
        run.failure += " (the check did not finish)";
    }
    return run;
}

}  // namespace korrin::test
