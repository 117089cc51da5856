// SPDX-License-Identifier: MIT
// The error type: BASIC's run-time error numbers and their standard descriptions.
#include "error.h"

#include <sys/stat.h>
#include <cerrno>

#include "paths.h"
#include "text.h"

namespace korrin::map {

std::string_view describe(ErrorNumber number) {
    switch (number) {
        case ErrorNumber::Overflow:
            return "Overflow";
        case ErrorNumber::OutOfMemory:
            return "Out of memory";
        case ErrorNumber::SubscriptOutOfRange:
            return "Subscript out of range";
        case ErrorNumber::TypeMismatch:
            return "Type mismatch";
        case ErrorNumber::ErrorInLoadingDLL:
            return "Error in loading DLL";
        case ErrorNumber::InternalError:
            return "Internal error";
        case ErrorNumber::BadFileName:
            return "Bad file name or number";
        case ErrorNumber::FileNotFound:
            return "File not found";
        case ErrorNumber::DeviceIOError:
            return "Device I/O error";
        case ErrorNumber::DiskFull:
            return "Disk full";
        case ErrorNumber::InputPastEndOfFile:
            return "Input past end of file";
        case ErrorNumber::PermissionDenied:
            return "Permission denied";
        case ErrorNumber::PathFileAccessError:
            return "Path/File access error";
        case ErrorNumber::PathNotFound:
            return "Path not found";
    }
    return "Application-defined or object-defined error";
}

Error::Error(ErrorNumber number, std::string path, std::string reason)
    : number_(number), path_(std::move(path)), reason_(printable(reason)) {
    message_ = std::to_string(static_cast<int>(number_)) + ": " + std::string(describe(number_));
    if (!reason_.empty()) {
        message_ += ": " + reason_;
    }
    if (!path_.empty()) {
        message_ += ": " + printable(path_);
    }
}

namespace {

bool folderOfExists(const std::string& path) {
    struct stat st {};
    return ::stat(folderOf(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

Error systemError(int errnum, const std::string& path) {
    switch (errnum) {
        case ENOENT:
            return Error(
                folderOfExists(path) ? ErrorNumber::FileNotFound : ErrorNumber::PathNotFound, path);
        case ENOTDIR:
            return Error(ErrorNumber::PathNotFound, path);
        case EACCES:
        case EPERM:
        case EROFS:
            return Error(ErrorNumber::PermissionDenied, path);
        case ENOSPC:
        case EFBIG:
        case EDQUOT:
            return Error(ErrorNumber::DiskFull, path);
        case EIO:
            return Error(ErrorNumber::DeviceIOError, path);
        case ELOOP:
            return Error(ErrorNumber::PathFileAccessError, path,
                         "too many levels of symbolic links");
        case EISDIR:
        case ENXIO:
            return Error(ErrorNumber::PathFileAccessError, path, kNotARegularFile);
        case ENAMETOOLONG:
        case EILSEQ:
            return Error(ErrorNumber::BadFileName, path);
        default:
            return Error(ErrorNumber::PathFileAccessError, path);
    }
}

}  // namespace korrin::map
