// A temporary directory for one test's files, removed with everything in it at the end.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace lattest {

class TempDir {
 public:
  // Creates a new, unique directory under the system's temporary directory.
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& Path() const { return path_; }
  // Full path of `name` inside the directory (nothing is created).
  std::string File(std::string_view name) const;
  // Writes `content` to `name` inside the directory and returns the full path.
  std::string Write(std::string_view name, std::string_view content) const;
  std::string Write(std::string_view name, const std::vector<std::uint8_t>& content) const {
    return Write(name, {reinterpret_cast<const char*>(content.data()), content.size()});
  }

 private:
  std::string path_;
};

// Replaces the file at `path` with `content`; raises std::runtime_error when it cannot.
void WriteFile(const std::string& path, std::string_view content);
// The bytes of the file at `path`; none when it cannot be read.
std::string ReadFile(const std::string& path);

}  // namespace lattest
