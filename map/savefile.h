// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>

namespace korrin::map {

/**
 * Saves `bytes` as the file at `path`; the one writer of files in this program. A symbolic
 * link stays a link and its final target receives the bytes.
 *
 * An existing target the user may not open for writing gives 70 and one that is not a regular
 * file 75, both without changing anything. A new file, or a regular file with one link, owned
 * by the user's uid and gid, without extended attributes, in a folder the user can write, is
 * replaced by a synced temporary file renamed over it, so it holds the old or the new bytes,
 * never a mix. Any other file is rewritten in place, so that its inode, owner, mode, links and
 * attributes stay; its new length is reserved first, so a full disk leaves the old bytes.
 * Throws Error, leaving no temporary file behind.
 */
void saveFile(const std::string& path, std::string_view bytes);

}  // namespace korrin::map
