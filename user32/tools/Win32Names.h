// Values of the system header names a resource script uses (styles, languages, button ids).
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace user32::rc {

// The value of a name from the system's headers, or nothing for an unknown name.
std::optional<std::int64_t> FindWin32Name(std::string_view name) noexcept;

}  // namespace user32::rc
