// SPDX-License-Identifier: MIT
// The error type: BASIC's run-time error numbers and their standard descriptions.
#pragma once

#include <exception>
#include <string>
#include <string_view>

namespace korrin::map {

/** The classic BASIC run-time error numbers this program can raise. */
enum class ErrorNumber : int {
    Overflow = 6,
    OutOfMemory = 7,
    SubscriptOutOfRange = 9,
    TypeMismatch = 13,
    ErrorInLoadingDLL = 48,
    InternalError = 51,
    BadFileName = 52,
    FileNotFound = 53,
    DeviceIOError = 57,
    DiskFull = 61,
    InputPastEndOfFile = 62,
    PermissionDenied = 70,
    PathFileAccessError = 75,
    PathNotFound = 76,
};

/** The standard English description of an error number, e.g. "Type mismatch". */
std::string_view describe(ErrorNumber number);

/** Error 75's reason for a name that is a folder, a device or anything but a regular file. */
inline constexpr char kNotARegularFile[] = "not a regular file";

/**
 * A run-time error: a number, its standard description, when a file was involved its path,
 * and optionally a short reason that tells the user what exactly was wrong. The reason and
 * the message show text from files escaped (see printable).
 */
class Error : public std::exception {
public:
    explicit Error(ErrorNumber number, std::string path = {}, std::string reason = {});

    int number() const { return static_cast<int>(number_); }
    ErrorNumber code() const { return number_; }
    std::string_view description() const { return describe(number_); }
    const std::string& path() const { return path_; }
    const std::string& reason() const { return reason_; }
    const char* what() const noexcept override { return message_.c_str(); }

private:
    ErrorNumber number_;
    std::string path_;
    std::string reason_;
    std::string message_;
};

/**
 * Translates an errno value from an operation on `path` into the error a user expects:
 * a missing file is 53 when its folder exists and 76 when it does not; a link loop and a
 * name that is no regular file are 75 with their reason.
 */
Error systemError(int errnum, const std::string& path);

}  // namespace korrin::map
