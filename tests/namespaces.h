// SPDX-License-Identifier: MIT
#pragma once

#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <functional>
#include <string>

namespace korrin::test {

namespace detail {

// Maps this user to root inside the new namespace, so that files can still be created.
inline bool mapUserToRoot(uid_t uid, gid_t gid) {
    std::ofstream("/proc/self/setgroups") << "deny";
    std::ofstream uidMap("/proc/self/uid_map");
    uidMap << "0 " << uid << " 1";
    uidMap.close();
    std::ofstream gidMap("/proc/self/gid_map");
    gidMap << "0 " << gid << " 1";
    gidMap.close();
    return uidMap.good() && gidMap.good();
}

}  // namespace detail

/** What running a check in a private mount namespace gave. */
struct NamespaceRun {
    bool available = false;  // false when this machine allows no user namespaces
    std::string failure;     // empty when the check passed
};

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
        std::string result;
        int code = 0;
        if (::unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0 || !detail::mapUserToRoot(uid, gid) ||
            ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
            code = 77;
        } else {
            result = check();
        }
        [[maybe_unused]] const auto written = ::write(pipeFds[1], result.data(), result.size());
        ::_exit(code);
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
