// Errors of the buffered file and the platform's file status calls.
#include "BufferedFileError.h"

#include <sys/stat.h>
#include <sys/types.h>
#if defined(_WIN32)
#include <windows.h>
#endif
#include <cerrno>
#include <cstring>

namespace hostbase::detail {
namespace {

int CodeOf(FileAction action) noexcept {
  switch (action) {
    case FileAction::OpenRead:
    case FileAction::OpenWrite:
      return kErrFileOpen;
    case FileAction::Read:
      return kErrFileRead;
    case FileAction::Write:
      return kErrFileWrite;
    case FileAction::Seek:
      return kErrFileSeek;
    case FileAction::State:
      break;
  }
  return kErrFileState;
}

// The message around the path and the reason: lead + path + middle + reason.
struct MessageParts {
  const char* lead;
  const char* middle;
};

MessageParts PartsOf(FileAction action) noexcept {
  switch (action) {
    case FileAction::OpenRead:
      return {"Cannot open '", "' for reading: "};
    case FileAction::OpenWrite:
      return {"Cannot open '", "' for writing: "};
    case FileAction::Read:
      return {"Cannot read from '", "': "};
    case FileAction::Write:
      return {"Cannot write to '", "': "};
    case FileAction::Seek:
      return {"Cannot seek in '", "': "};
    case FileAction::State:
      break;
  }
  return {"Cannot use '", "': "};
}

}  // namespace

CError FileError(FileAction action, const std::string& path, const std::string& reason, int line) {
  std::vector<CErrorArg> args{path};
  if (action != FileAction::State) args.emplace_back(reason);
  const MessageParts parts = PartsOf(action);
  std::string message = parts.lead + path + parts.middle + reason;
  return CError("CBufferedFile", line, CodeOf(action), std::move(args), message);
}

std::string SystemReason() {
  const int error = errno;
  return error != 0 ? std::strerror(error) : "unknown error";
}

#if defined(_WIN32)
std::int64_t FileSize(std::FILE* file) noexcept {
  struct _stat64 status;
  if (_fstat64(_fileno(file), &status) != 0) return -1;
  return status.st_size;
}

bool IsDirectory(std::FILE* file) noexcept {
  struct _stat64 status;
  return _fstat64(_fileno(file), &status) == 0 && (status.st_mode & _S_IFMT) == _S_IFDIR;
}

// The attributes, unlike _stat64, also take a folder's name with a trailing separator.
bool IsDirectory(const char* path) noexcept {
  const DWORD attributes = GetFileAttributesA(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}
#else
std::int64_t FileSize(std::FILE* file) noexcept {
  struct stat status;
  if (fstat(fileno(file), &status) != 0) return -1;
  return static_cast<std::int64_t>(status.st_size);
}

bool IsDirectory(std::FILE* file) noexcept {
  struct stat status;
  return fstat(fileno(file), &status) == 0 && S_ISDIR(status.st_mode);
}

bool IsDirectory(const char* path) noexcept {
  const int saved = errno;
  struct stat status;
  const bool folder = stat(path, &status) == 0 && S_ISDIR(status.st_mode);
  errno = saved;
  return folder;
}
#endif

}  // namespace hostbase::detail
