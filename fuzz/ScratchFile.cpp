// Creates, rewrites and removes the fuzz drivers' scratch files.
#include "fuzz/ScratchFile.h"

#include <cstdio>
#include <filesystem>
#include <stdexcept>
#include <system_error>

#include <stdlib.h>

#if defined(_WIN32)
#include <direct.h>

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
#endif

namespace latfuzz {

ScratchFile::ScratchFile(std::string_view name) {
  std::string pattern = (std::filesystem::temp_directory_path() / "lat-fuzz-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("ScratchFile: mkdtemp failed");
  directory_ = pattern;
  path_ = Sibling(name);
}

ScratchFile::~ScratchFile() {
  std::error_code ignored;
  std::filesystem::remove_all(directory_, ignored);
}

std::string ScratchFile::Sibling(std::string_view name) const {
  return (std::filesystem::path(directory_) / name).string();
}

void ScratchFile::Write(std::span<const std::uint8_t> bytes) const {
  std::FILE* out = std::fopen(path_.c_str(), "wb");
  if (out == nullptr) throw std::runtime_error("ScratchFile: cannot create " + path_);
  const std::size_t written = bytes.empty() ? 0 : std::fwrite(bytes.data(), 1, bytes.size(), out);
  const bool closed = std::fclose(out) == 0;
  if (written != bytes.size() || !closed)
    throw std::runtime_error("ScratchFile: cannot write " + path_);
}

void ScratchFile::Clear() const {
  std::error_code ignored;
  for (const auto& entry : std::filesystem::directory_iterator(directory_, ignored))
    std::filesystem::remove_all(entry.path(), ignored);
}

}  // namespace latfuzz
