// SPDX-License-Identifier: MIT
// Where korrin-map writes, and the line it prints for a file's result.
#pragma once

#include <string>
#include <string_view>

#include "map/error.h"

namespace korrin::cli {

/**
 * "FILE: ok" or "FILE: error N: DESCRIPTION[: REASON]", with a line end; FILE escaped, so that
 * one result stays on one line.
 */
std::string checkLine(const std::string& file, const map::Error* error);

/**
 * Writes a command's result to `output`: standard output when empty, "-" or /dev/stdout, an
 * open descriptor for names such as /dev/fd/3, else the file of that name.
 */
void writeOutput(const std::string& output, std::string_view bytes);

/** Closes standard output, which can still report a failed write. */
void closeStandardOutput();

}  // namespace korrin::cli
