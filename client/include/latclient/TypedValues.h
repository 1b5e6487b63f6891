// Reaches the values of a scan as their own C++ type, chosen by a CPrimType code.
#pragma once

#include <cstdint>
#include <cstring>
#include <type_traits>

#include "hostbase/PrimType.h"

namespace latclient {

// Calls fn(std::type_identity<T>{}) with the C++ type of the CPrimType code `type` and
// returns true; returns false for a code outside the known ones.
template <class Fn>
bool DispatchPrimType(int type, Fn&& fn) {
  using hostbase::CPrimType;
  switch (type) {
    case CPrimType::Int8:
      fn(std::type_identity<std::int8_t>{});
      return true;
    case CPrimType::UInt8:
      fn(std::type_identity<std::uint8_t>{});
      return true;
    case CPrimType::Int16:
      fn(std::type_identity<std::int16_t>{});
      return true;
    case CPrimType::UInt16:
      fn(std::type_identity<std::uint16_t>{});
      return true;
    case CPrimType::Int32:
      fn(std::type_identity<std::int32_t>{});
      return true;
    case CPrimType::UInt32:
      fn(std::type_identity<std::uint32_t>{});
      return true;
    case CPrimType::Int64:
      fn(std::type_identity<std::int64_t>{});
      return true;
    case CPrimType::Float:
      fn(std::type_identity<float>{});
      return true;
    case CPrimType::Double:
      fn(std::type_identity<double>{});
      return true;
    default:
      return false;
  }
}

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
