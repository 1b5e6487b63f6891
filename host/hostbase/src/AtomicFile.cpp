// Chooses between a temporary file next to the output and the output itself, creates the
// temporary file, and moves it into place or removes it at the end.
#include "hostbase/AtomicFile.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#if defined(_WIN32)
#include <io.h>
#include <windows.h>
// Windows handles are not inherited by programs the host starts unless asked for.
#define O_CLOEXEC 0
#endif

#include "hostbase/Path.h"

namespace hostbase {

namespace {

namespace fs = std::filesystem;

constexpr int kNameAttempts = 64;
constexpr mode_t kNewFileMode = 0666;  // narrowed by the umask, as for any new file
constexpr mode_t kModeBits = 07777;

std::string RandomSuffix(std::random_device& entropy) {
  static constexpr char kChars[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  constexpr std::size_t kCount = sizeof kChars - 1;
  std::string suffix(6, 'X');
  for (char& c : suffix) c = kChars[entropy() % kCount];
  return suffix;
}

// The directory part of `path`, with its final separator (empty for a bare name).
std::string DirectoryOf(const std::string& path) {
  return path.substr(
      0, static_cast<std::size_t>(hostbase::CPath::GetNamePtr(path.c_str()) - path.c_str()));
}

// "<dir>/.<name>." for `target`: the hidden names tried next to it.
std::string HiddenPrefix(const std::string& target) {
  return DirectoryOf(target) + "." + hostbase::CPath::GetNamePtr(target.c_str()) + ".";
}

// Creates "<dir>/.<name>.XXXXXX" next to `target`, exclusively, with the mode of the
// existing output (`existingMode`, or 0 when there is none). True with its path in `temp`.
bool CreateTemporary(const std::string& target, mode_t existingMode, std::string& temp,
                     std::string& reason) {
  std::random_device entropy;
  const std::string prefix = HiddenPrefix(target);
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    const std::string candidate = prefix + RandomSuffix(entropy);
    const mode_t mode = existingMode != 0 ? existingMode : kNewFileMode;
    const int fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd < 0) {
      if (errno == EEXIST) continue;
      reason = std::strerror(errno);
      return false;
    }
    // An existing output keeps its mode exactly, whatever the umask says.
#if defined(_WIN32)
    if (existingMode != 0) (void)::_chmod(candidate.c_str(), existingMode);
#else
    if (existingMode != 0) (void)::fchmod(fd, existingMode);
#endif
    ::close(fd);
    temp = candidate;
    return true;
  }
  reason = std::strerror(EEXIST);
  return false;
}

// Whether the user may write the existing file at `path`.
bool MayWrite(const std::string& path) {
#if defined(_WIN32)
  // A read-only file would otherwise be replaced by the rename of the temporary file.
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
    return false;
  }
#endif
  return ::access(path.c_str(), W_OK) == 0;
}

bool NamedTemporaryForced() {
  const char* value = std::getenv("HOSTBASE_NAMED_TEMPORARY");
  return value != nullptr && *value != '\0';
}

#if defined(O_TMPFILE)
// Gives the unnamed file behind `procPath` the name `target`: directly when nothing is
// there, else under a hidden name renamed over it. 0, or the errno of the failure.
int LinkInto(const std::string& procPath, const std::string& target) {
  if (::linkat(AT_FDCWD, procPath.c_str(), AT_FDCWD, target.c_str(), AT_SYMLINK_FOLLOW) == 0) {
    return 0;
  }
  if (errno != EEXIST) return errno;
  std::random_device entropy;
  const std::string prefix = HiddenPrefix(target);
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    const std::string hidden = prefix + RandomSuffix(entropy);
    if (::linkat(AT_FDCWD, procPath.c_str(), AT_FDCWD, hidden.c_str(), AT_SYMLINK_FOLLOW) != 0) {
      if (errno == EEXIST) continue;
      return errno;
    }
    if (::rename(hidden.c_str(), target.c_str()) == 0) return 0;
    const int error = errno;
    ::unlink(hidden.c_str());
    return error;
  }
  return EEXIST;
}
#endif

}  // namespace

CAtomicFile::~CAtomicFile() {
  Discard();
}

bool CAtomicFile::Prepare(const std::string& outputPath, std::string& reason) {
  Discard();
  writePath_ = finalPath_ = outputPath;
  prepared_ = true;
  std::error_code ec;
  const fs::file_status status = fs::status(outputPath, ec);
  const bool exists = fs::exists(status);
  // Devices, FIFOs and directories: written (or refused by the open) directly. So is a
  // file the user may not write: the open refuses it as it would without a temporary file.
  const bool noName = *hostbase::CPath::GetNamePtr(outputPath.c_str()) == '\0';
  if (noName || (exists && !fs::is_regular_file(status))) return true;
  if (exists && !MayWrite(outputPath)) return true;
  std::string target = outputPath;
  mode_t existingMode = 0;
  if (exists) {
    const fs::path resolved = fs::canonical(outputPath, ec);
    if (!ec) target = resolved.string();
    struct stat info {};
    if (::stat(target.c_str(), &info) == 0) existingMode = info.st_mode & kModeBits;
  }
  if (!NamedTemporaryForced() && PrepareUnnamed(target, existingMode)) return true;
  std::string temp;
  if (CreateTemporary(target, existingMode, temp, reason)) {
    writePath_ = temp;
    finalPath_ = target;
    owned_ = renameOnCommit_ = true;
    return true;
  }
  // No temporary file: a path that does not exist yet is opened directly (a missing
  // directory then fails with the opener's own error); an existing file is left alone.
  if (exists) return false;
  createdOnOpen_ = true;
  return true;
}

// An unnamed file in the target's directory, reached through /proc for the opener and for
// the link at Commit. False, leaving nothing, where either is not available.
bool CAtomicFile::PrepareUnnamed([[maybe_unused]] const std::string& target,
                                 [[maybe_unused]] unsigned existingMode) {
#if defined(O_TMPFILE)
  const std::string dir = DirectoryOf(target);
  const mode_t mode = existingMode != 0 ? existingMode : kNewFileMode;
  const int fd = ::open(dir.empty() ? "." : dir.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, mode);
  if (fd < 0) return false;
  std::string procPath = "/proc/self/fd/" + std::to_string(fd);
  if (::access(procPath.c_str(), W_OK) != 0) {
    ::close(fd);
    return false;
  }
  if (existingMode != 0) (void)::fchmod(fd, existingMode);
  unnamedFd_ = fd;
  writePath_ = std::move(procPath);
  finalPath_ = target;
  return true;
#else
  return false;
#endif
}

void CAtomicFile::Opened() noexcept {
  if (createdOnOpen_) owned_ = true;
}

bool CAtomicFile::Commit(std::string& reason) {
#if defined(O_TMPFILE)
  if (prepared_ && unnamedFd_ >= 0) {
    const int error = LinkInto(writePath_, finalPath_);
    if (error != 0) {
      reason = std::strerror(error);
      Discard();
      return false;
    }
  }
#endif
  if (prepared_ && renameOnCommit_) {
    std::error_code ec;
    fs::rename(writePath_, finalPath_, ec);
    if (ec) {
      reason = ec.message();
      Discard();
      return false;
    }
  }
  Reset();
  return true;
}

void CAtomicFile::Discard() noexcept {
  if (prepared_ && owned_) {
    std::error_code ignored;
    fs::remove(writePath_, ignored);
  }
  Reset();
}

// Closing the unnamed file drops it unless Commit linked it.
void CAtomicFile::Reset() noexcept {
  if (unnamedFd_ >= 0) ::close(unnamedFd_);
  unnamedFd_ = -1;
  prepared_ = owned_ = createdOnOpen_ = renameOnCommit_ = false;
}

}  // namespace hostbase
