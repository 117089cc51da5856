// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>

namespace korrin::map {

/**
 * Replaces the file at `path` with `bytes` so that it holds either the old or the new
 * contents, never a mix: a temporary file in the same folder is written, synced and renamed
 * over the target. An existing target keeps its permissions; a symbolic link stays a link
 * and its final target receives the bytes. Throws Error, leaving no temporary file behind.
 */
void writeFileAtomically(const std::string& path, std::string_view bytes);

}  // namespace korrin::map
