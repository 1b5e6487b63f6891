// Rewrites and clears the fuzz drivers' scratch files.
#include "fuzz/ScratchFile.h"

#include <filesystem>
#include <string_view>
#include <system_error>

namespace latfuzz {

void ScratchFile::Write(std::span<const std::uint8_t> bytes) const {
  directory_.Write(std::filesystem::path(path_).filename().string(),
                   std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

void ScratchFile::Clear() const {
  std::error_code ignored;
  for (const auto& entry : std::filesystem::directory_iterator(directory_.Path(), ignored))
    std::filesystem::remove_all(entry.path(), ignored);
}

}  // namespace latfuzz
