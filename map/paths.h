// SPDX-License-Identifier: MIT
// A path's folder, and the names beside a file.
#pragma once

#include <string>
#include <string_view>

namespace korrin::map {

/** The folder that holds `path`: "." for a bare name, "/" for a name at the root. */
inline std::string folderOf(std::string_view path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string_view::npos) {
        return ".";
    }
    return slash == 0 ? "/" : std::string(path.substr(0, slash));
}

/** `name` as a file beside `path` names it: unchanged when absolute, else in path's folder. */
inline std::string besideFile(std::string_view path, std::string_view name) {
    if (!name.empty() && name.front() == '/') {
        return std::string(name);
    }
    const auto slash = path.find_last_of('/');
    const std::size_t folder = slash == std::string_view::npos ? 0 : slash + 1;
    return std::string(path.substr(0, folder)) + std::string(name);
}

}  // namespace korrin::map
