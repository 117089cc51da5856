// SPDX-License-Identifier: MIT
// The one escaping function for text that reaches a message from a file or an argument.
#pragma once

#include <string>
#include <string_view>

namespace korrin::map {

/**
 * `text` safe to show on a terminal or in a dialog: control characters (C0, DEL and C1) and
 * bytes that are not well-formed UTF-8 appear as \xNN, one per byte; all else is kept. Its
 * result passes through unchanged, so text escaped once may be escaped again.
 */
std::string printable(std::string_view text);

}  // namespace korrin::map
