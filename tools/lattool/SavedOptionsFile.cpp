// Locating, reading and atomically replacing the saved options file.
#include "SavedOptionsFile.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <system_error>

#include <fcntl.h>
#include <unistd.h>

namespace lattool {

namespace {

std::string Reason(int error) {
  return std::generic_category().message(error);
}

// Closes a descriptor on every way out.
struct FileDescriptor {
  int fd = -1;
  explicit FileDescriptor(int value) : fd(value) {}
  ~FileDescriptor() {
    if (fd >= 0) ::close(fd);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
};

// Removes the temporary file unless the rename took it.
struct TemporaryName {
  std::string path;
  bool keep = false;
  ~TemporaryName() {
    if (!keep) ::unlink(path.c_str());
  }
};

bool WriteAll(int fd, const std::string& text) {
  std::size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
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
  auto path = PathFor(std::getenv("XDG_CONFIG_HOME"), std::getenv("HOME"));
  if (!path) return std::nullopt;
  return SavedOptionsFile(std::move(*path));
}

std::string SavedOptionsFile::Load() const {
  FileDescriptor file(::open(path_.c_str(), O_RDONLY | O_CLOEXEC));
  if (file.fd < 0) {
    if (errno == ENOENT) return {};
    throw SavedOptionsError("cannot read '" + path_.string() + "': " + Reason(errno));
  }
  std::string text;
  char chunk[4096];
  while (true) {
    const ssize_t n = ::read(file.fd, chunk, sizeof chunk);
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
  TemporaryName temporary{path_.string() + ".XXXXXX"};
  FileDescriptor file(::mkstemp(temporary.path.data()));
  if (file.fd < 0) {
    temporary.keep = true;  // nothing was made
    throw SavedOptionsError("cannot write '" + path_.string() + "': " + Reason(errno));
  }
  if (!WriteAll(file.fd, text) || ::fsync(file.fd) != 0 ||
      ::rename(temporary.path.c_str(), path_.c_str()) != 0) {
    throw SavedOptionsError("cannot write '" + path_.string() + "': " + Reason(errno));
  }
  temporary.keep = true;
}

}  // namespace lattool
