// The file that keeps the plug-in's saved options between lattool runs:
// $XDG_CONFIG_HOME/lattool/options.ini, else ~/.config/lattool/options.ini. It holds the
// manager's saved store as text, one "Key=Value" per line.
#pragma once

#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>

namespace lattool {

// Reading or writing the file failed; the message names the file and the reason.
class SavedOptionsError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class SavedOptionsFile {
 public:
  explicit SavedOptionsFile(std::filesystem::path path) : path_(std::move(path)) {}

  // The file for these environment values (null when unset); none when neither names an
  // absolute directory.
  static std::optional<std::filesystem::path> PathFor(const char* xdgConfigHome, const char* home);
  // The file for this process's environment; none when it names no home.
  static std::optional<SavedOptionsFile> ForEnvironment();

  const std::filesystem::path& Path() const noexcept { return path_; }
  // The file's text; a missing file is an empty store.
  std::string Load() const;
  // Replaces the file by `text` at once: written to a temporary file in the same directory
  // (made when missing) that replaces it when complete, so a reader never sees half a file.
  void Save(const std::string& text) const;

 private:
  std::filesystem::path path_;
};

}  // namespace lattool
