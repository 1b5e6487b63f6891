// A private temporary directory holding one file that the fuzz drivers rewrite for every
// input; the directory and everything in it are removed when the object goes.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "tests/support/TempDir.h"

namespace latfuzz {

class ScratchFile {
 public:
  // Creates the directory; `name` is the file's name inside it (nothing is written yet).
  explicit ScratchFile(std::string_view name) : path_(directory_.File(name)) {}

  const std::string& Path() const noexcept { return path_; }
  const std::string& Directory() const noexcept { return directory_.Path(); }
  // Full path of another name inside the directory.
  std::string Sibling(std::string_view name) const { return directory_.File(name); }
  // Replaces the file's content.
  void Write(std::span<const std::uint8_t> bytes) const;
  // Removes every entry of the directory (the directory stays).
  void Clear() const;

 private:
  lattest::TempDir directory_;
  std::string path_;
};

}  // namespace latfuzz
