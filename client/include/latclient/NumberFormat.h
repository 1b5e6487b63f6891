// Numbers as the shortest decimal text that reads back as the same value.
#pragma once

#include <charconv>
#include <cstddef>
#include <type_traits>

namespace latclient {

// Room enough for any value NumberFormat writes.
inline constexpr std::size_t kNumberTextMax = 32;

// Writes `value` at `out` (kNumberTextMax bytes of room) and returns the end: integers in
// full, a float as the shortest text that reads back as that float, a double likewise.
// Non-finite reals come out as "nan", "inf" or "-inf".
template <class T>
char* FormatNumber(char* out, T value) noexcept {
  static_assert(std::is_arithmetic_v<T> && !std::is_same_v<T, bool>);
  return std::to_chars(out, out + kNumberTextMax, value).ptr;
}

}  // namespace latclient
