// The known formats and the output extensions that choose them.
#include "latclient/Formats.h"

#include <array>
#include <cctype>
#include <filesystem>

namespace latclient {

namespace {

constexpr std::array kFormats = {
    FormatEntry{"LAT", "Iris Explorer LAT"},
    FormatEntry{"VTK", "VTK XML"},
};

struct OutputExtension {
  std::string_view extension;  // lower case, with its dot
  std::string_view format;
  std::optional<Kind> kind;
};

constexpr std::array kOutputExtensions = {
    OutputExtension{".lat", "LAT", std::nullopt},
    OutputExtension{".vti", "VTK", Kind::Uniform},
    OutputExtension{".vtr", "VTK", Kind::Rectilinear},
    OutputExtension{".vts", "VTK", Kind::Curvilinear},
};

const OutputExtension* FindExtension(const std::string& path) {
  std::string extension = std::filesystem::path(path).extension().string();
  for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  for (const OutputExtension& entry : kOutputExtensions) {
    if (entry.extension == extension) return &entry;
  }
  return nullptr;
}

}  // namespace

std::span<const FormatEntry> KnownFormats() noexcept {
  return kFormats;
}

const FormatEntry* FindFormat(std::string_view name) noexcept {
  for (const FormatEntry& format : kFormats) {
    if (format.name == name) return &format;
  }
  return nullptr;
}

std::string DisplayNameOf(std::string_view name) {
  const FormatEntry* format = FindFormat(name);
  return std::string(format ? format->displayName : name);
}

std::optional<std::string_view> FormatForOutput(const std::string& path) {
  const OutputExtension* entry = FindExtension(path);
  if (entry == nullptr) return std::nullopt;
  return entry->format;
}

std::optional<Kind> KindForOutput(const std::string& path) {
  const OutputExtension* entry = FindExtension(path);
  return entry ? entry->kind : std::nullopt;
}

}  // namespace latclient
