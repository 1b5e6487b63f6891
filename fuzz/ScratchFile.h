// A private temporary directory holding one file that the fuzz drivers rewrite for every
// input; the directory and everything in it are removed when the object goes.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace latfuzz {

class ScratchFile {
 public:
  // Creates the directory; `name` is the file's name inside it (nothing is written yet).
  explicit ScratchFile(std::string_view name);
  ~ScratchFile();
  ScratchFile(const ScratchFile&) = delete;
  ScratchFile& operator=(const ScratchFile&) = delete;

  const std::string& Path() const noexcept { return path_; }
  const std::string& Directory() const noexcept { return directory_; }
  // Full path of another name inside the directory.
  std::string Sibling(std::string_view name) const;
  // Replaces the file's content.
  void Write(std::span<const std::uint8_t> bytes) const;
  // Removes every entry of the directory (the directory stays).
  void Clear() const;

 private:
  std::string directory_;
  std::string path_;
};

}  // namespace latfuzz
