// Reaches the values of a scan as their own C++ type, chosen by a CPrimType code.
#pragma once

#include <cstdint>
#include <cstring>
#include <type_traits>

#include "hostbase/PrimType.h"

namespace latclient {

using hostbase::DispatchPrimType;

// Value `index` of type T in an unaligned byte buffer.
template <class T>
T ReadValue(const unsigned char* bytes, std::size_t index) noexcept {
  T value;
  std::memcpy(&value, bytes + index * sizeof(T), sizeof(T));
  return value;
}

// Calls fn(value) for each whole value of type code `type` in `byteCount` bytes at `data`;
// false (and no call) for an unknown type code.
template <class Fn>
bool ForEachValue(int type, const void* data, std::size_t byteCount, Fn&& fn) {
  return DispatchPrimType(type, [&](auto tag) {
    using T = typename decltype(tag)::type;
    const auto* bytes = static_cast<const unsigned char*>(data);
    const std::size_t count = data ? byteCount / sizeof(T) : 0;
    for (std::size_t i = 0; i < count; ++i) fn(ReadValue<T>(bytes, i));
  });
}

}  // namespace latclient
