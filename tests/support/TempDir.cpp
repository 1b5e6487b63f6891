// Creates and removes the per-test temporary directories.
#include "tests/support/TempDir.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>
#include <system_error>

namespace lattest {

// A random name, created exclusively: creating a folder fails when the name is taken.
TempDir::TempDir() {
  std::mt19937_64 random(std::random_device{}());
  for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
    const auto candidate =
        std::filesystem::temp_directory_path() / ("lat-test-" + std::to_string(random()));
    if (std::filesystem::create_directory(candidate)) path_ = candidate.string();
  }
  if (path_.empty()) throw std::runtime_error("TempDir: cannot create a temporary folder");
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
  WriteFile(path, content);
  return path;
}

void WriteFile(const std::string& path, std::string_view content) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out.write(content.data(), static_cast<std::streamsize>(content.size())))
    throw std::runtime_error("cannot write " + path);
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace lattest
