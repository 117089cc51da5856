// SPDX-License-Identifier: MIT
// The save rule: a file replaced whole or rewritten in place, never left torn.
#pragma once

#include <string>
#include <string_view>

namespace korrin::map {

/**
 * Saves `bytes` as the file at `path`; the one writer of files in this program. A symbolic
 * link stays a link and its final target receives the bytes; in a sticky folder that anyone
 * may write, only a link of the user's own or of the folder's owner is followed.
 *
 * An existing target the user may not open for writing gives 70 and one that is not a regular
 * file 75, both without changing anything. A new file, or a regular file with one link, owned
 * by the user's uid and gid, without extended attributes, in a folder the user can write, is
 * replaced by a synced temporary file renamed over it, so it holds the old or the new bytes,
 * never a mix. Any other file is rewritten in place, so that its inode, owner, mode, links and
 * attributes stay: its new length is reserved first, so a full disk leaves the old bytes, and
 * a shorter content is padded with spaces to the old length until it is on the disk, so a
 * kill leaves the old content or the new one followed by white space.
 * Throws Error, leaving no temporary file behind.
 */
void saveFile(const std::string& path, std::string_view bytes);

/**
 * Throws the Error that saveFile(path, ...) would throw before writing a byte, and changes
 * nothing: for a command that writes more than one file and must fail before the first.
 */
void checkSavable(const std::string& path);

}  // namespace korrin::map
