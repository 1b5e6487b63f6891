// Creates and removes the per-test temporary directories.
#include "tests/support/TempDir.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <system_error>

#include <unistd.h>

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
