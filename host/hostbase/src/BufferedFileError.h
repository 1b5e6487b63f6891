// Inside hostbase: the errors a buffered file raises, and the system calls that differ
// between platforms.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "hostbase/Error.h"

namespace hostbase::detail {

// What the failing operation was doing, for the message text.
enum class FileAction { OpenRead, OpenWrite, Read, Write, Seek, State };

// The CError for `action` on `path`, raised at source `line`: module "CBufferedFile",
// the matching code and the arguments (path, reason); a state error carries the path only.
CError FileError(FileAction action, const std::string& path, const std::string& reason, int line);

// The system's text for the current errno.
std::string SystemReason();

// The reason given for a path that names a folder, the same on every platform.
inline constexpr const char* kIsDirectoryReason = "Is a directory";

// Size of the open file in bytes, or -1 when the system cannot tell.
std::int64_t FileSize(std::FILE* file) noexcept;
bool IsDirectory(std::FILE* file) noexcept;
// Whether `path` names an existing folder (keeps errno as it was).
bool IsDirectory(const char* path) noexcept;

}  // namespace hostbase::detail
