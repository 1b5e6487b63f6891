// Creates and removes the per-test temporary directories.
#include "tests/support/TempDir.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <system_error>

#if defined(_WIN32)
#include <direct.h>
#include <io.h>

#include <cerrno>
#include <cstring>

namespace {
// mkdtemp for Windows: a fresh name from the pattern's trailing Xs, created exclusively.
char* mkdtemp(char* pattern) {
  const std::string original = pattern;
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::memcpy(pattern, original.c_str(), original.size() + 1);
    if (_mktemp_s(pattern, original.size() + 1) != 0) return nullptr;
    if (_mkdir(pattern) == 0) return pattern;
    if (errno != EEXIST) return nullptr;
  }
  return nullptr;
}
}  // namespace
#else
#include <unistd.h>
#endif

namespace lattest {

TempDir::TempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "lat-test-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("TempDir: mkdtemp failed");
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::string TempDir::File(std::string_view name) const {
  return (std::filesystem::path(path_) / name).string();
}

std::string TempDir::Write(std::string_view name, std::string_view content) const {
  const std::string path = File(name);
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(content.data(), static_cast<std::streamsize>(content.size()));
  if (!out) throw std::runtime_error("TempDir: cannot write " + path);
  return path;
}

std::string TempDir::Write(std::string_view name, const std::vector<std::uint8_t>& content) const {
  return Write(name,
               std::string_view(reinterpret_cast<const char*>(content.data()), content.size()));
}

}  // namespace lattest
