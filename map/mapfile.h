// SPDX-License-Identifier: MIT
// The map file's reader and writer.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "grid.h"

namespace korrin::map {

/**
 * The bytes of a map file for `mass`: the two counts of `settings` in number print form
 * (" 13 "), then rows 1 .. sizeSecond as lines of digits, every line ending in CR LF.
 */
std::string formatMap(const Grid& mass, const Settings& settings);

/**
 * Reads map file bytes into `mass`. Throws Error on malformed contents, in which case `mass`
 * is left exactly as it was.
 */
void parseMap(std::string_view bytes, Grid& mass);

/** Writes `mass` to fileName, replacing the file atomically; an empty name writes nothing. */
void SaveMap(const std::string& fileName, const Grid& mass, const Settings& settings);

/**
 * Reads fileName into `mass`; an empty name does nothing. Only regular files are read, in
 * bounded memory. On any error `mass` is unchanged and the Error carries fileName.
 */
void LoadMap(const std::string& fileName, Grid& mass);

/** Told the bytes read so far after each block a load reads; returns false to stop it. */
using LoadProgress = std::function<bool(std::uint64_t bytesRead)>;

/**
 * LoadMap reporting to `progress`, on the calling thread. Returns false when `progress`
 * stopped the load, with `mass` unchanged; true when the load completed.
 */
bool LoadMap(const std::string& fileName, Grid& mass, const LoadProgress& progress);

}  // namespace korrin::map
