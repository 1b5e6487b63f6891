// The formats a host knows by name: which module serves each, the name its manager shows,
// and the output extensions that choose it. The one table of these facts.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "latclient/Api.h"
#include "latclient/Lattice.h"

namespace latclient {

struct FormatEntry {
  std::string_view name;         // the module's file stem and factory suffix: "LAT", "VTK"
  std::string_view displayName;  // the manager's format name, shown in summaries and pages
};

// The known formats, in the order their modules are asked to recognise a file.
LATCLIENT_API std::span<const FormatEntry> KnownFormats() noexcept;
LATCLIENT_API const FormatEntry* FindFormat(std::string_view name) noexcept;
// The display name of format `name`, or `name` itself for a format not known.
LATCLIENT_API std::string DisplayNameOf(std::string_view name);

// The format an output path's extension chooses (case-insensitive): ".lat" LAT, ".vti",
// ".vtr", ".vts" VTK; empty for any other extension.
LATCLIENT_API std::optional<std::string_view> FormatForOutput(const std::string& path);
// The lattice kind an output extension is limited to (".vti" uniform, ".vtr" rectilinear,
// ".vts" curvilinear); empty when it takes every kind or is not known.
LATCLIENT_API std::optional<Kind> KindForOutput(const std::string& path);

}  // namespace latclient
