// Locating, reading and atomically replacing the saved options file.
#include "SavedOptionsFile.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <system_error>

#include <fcntl.h>
#include <unistd.h>

#include "hostbase/AtomicFile.h"

#if defined(_WIN32)
#include <io.h>
#endif

namespace lattool {

namespace {

#if defined(_WIN32)
constexpr int kReadFlags = O_RDONLY | O_BINARY | O_NOINHERIT;
constexpr int kWriteFlags = O_WRONLY | O_CREAT | O_TRUNC | O_BINARY | O_NOINHERIT;
using IoSize = int;
IoSize WriteSome(int fd, const char* data, std::size_t size) {
  return ::_write(fd, data, static_cast<unsigned>(std::min<std::size_t>(size, 1u << 30)));
}
int SyncFile(int fd) {
  return ::_commit(fd);
}
#else
constexpr int kReadFlags = O_RDONLY | O_CLOEXEC;
constexpr int kWriteFlags = O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC;
using IoSize = ssize_t;
IoSize WriteSome(int fd, const char* data, std::size_t size) {
  return ::write(fd, data, size);
}
int SyncFile(int fd) {
  return ::fsync(fd);
}
#endif

std::string Reason(int error) {
  return std::generic_category().message(error);
}

// Closes a descriptor on every way out.
struct FileDescriptor {
  int fd = -1;
  explicit FileDescriptor(int value) : fd(value) {}
  ~FileDescriptor() { Close(); }
  // Windows renames no open file, so the file is closed before it replaces the old one.
  void Close() noexcept {
    if (fd >= 0) ::close(fd);
    fd = -1;
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
};

bool WriteAll(int fd, const std::string& text) {
  std::size_t done = 0;
  while (done < text.size()) {
    const IoSize n = WriteSome(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

bool IsAbsoluteDir(const char* value) {
  return value != nullptr && value[0] != '\0' && std::filesystem::path(value).is_absolute();
}

}  // namespace

std::optional<std::filesystem::path> SavedOptionsFile::PathFor(const char* xdgConfigHome,
                                                               const char* home) {
  // A relative XDG_CONFIG_HOME is not valid and is passed over.
  if (IsAbsoluteDir(xdgConfigHome)) {
    return std::filesystem::path(xdgConfigHome) / "lattool" / "options.ini";
  }
  if (IsAbsoluteDir(home)) return std::filesystem::path(home) / ".config/lattool/options.ini";
  return std::nullopt;
}

std::optional<SavedOptionsFile> SavedOptionsFile::ForEnvironment() {
#if defined(_WIN32)
  // %APPDATA%\lattool\options.ini
  const char* appData = std::getenv("APPDATA");
  if (!IsAbsoluteDir(appData)) return std::nullopt;
  std::optional<std::filesystem::path> path =
      std::filesystem::path(appData) / "lattool" / "options.ini";
#else
  auto path = PathFor(std::getenv("XDG_CONFIG_HOME"), std::getenv("HOME"));
#endif
  if (!path) return std::nullopt;
  return SavedOptionsFile(std::move(*path));
}

std::string SavedOptionsFile::Load() const {
  FileDescriptor file(::open(path_.string().c_str(), kReadFlags));
  if (file.fd < 0) {
    if (errno == ENOENT) return {};
    throw SavedOptionsError("cannot read '" + path_.string() + "': " + Reason(errno));
  }
  std::string text;
  char chunk[4096];
  while (true) {
    const IoSize n = ::read(file.fd, chunk, sizeof chunk);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) throw SavedOptionsError("cannot read '" + path_.string() + "': " + Reason(errno));
    if (n == 0) return text;
    text.append(chunk, static_cast<std::size_t>(n));
  }
}

void SavedOptionsFile::Save(const std::string& text) const {
  std::error_code error;
  std::filesystem::create_directories(path_.parent_path(), error);
  if (error) {
    throw SavedOptionsError("cannot create '" + path_.parent_path().string() +
                            "': " + error.message());
  }
  const std::string path = path_.string();
  const auto fail = [&](const std::string& reason) {
    return SavedOptionsError("cannot write '" + path + "': " + reason);
  };
  hostbase::CAtomicFile replacement;
  std::string reason;
  if (!replacement.Prepare(path, reason)) throw fail(reason);
  FileDescriptor file(::open(replacement.WritePath().c_str(), kWriteFlags, 0666));
  if (file.fd < 0) throw fail(Reason(errno));
  replacement.Opened();
  if (!WriteAll(file.fd, text) || SyncFile(file.fd) != 0) throw fail(Reason(errno));
  file.Close();
  if (!replacement.Commit(reason)) throw fail(reason);
}

}  // namespace lattool
