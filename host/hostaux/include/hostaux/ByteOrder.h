// Byte order: LAT files are big-endian; these reverse elements in place or while copying.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "hostaux/Export.h"

namespace hostaux {

// Reverses the bytes of one element of 2, 4 or 8 bytes in place; other sizes are left alone.
inline void ByteSwap(void* element, int size) noexcept {
  auto* p = static_cast<unsigned char*>(element);
  switch (size) {
    case 2: {
      std::uint16_t v;
      std::memcpy(&v, p, 2);
      v = __builtin_bswap16(v);
      std::memcpy(p, &v, 2);
      break;
    }
    case 4: {
      std::uint32_t v;
      std::memcpy(&v, p, 4);
      v = __builtin_bswap32(v);
      std::memcpy(p, &v, 4);
      break;
    }
    case 8: {
      std::uint64_t v;
      std::memcpy(&v, p, 8);
      v = __builtin_bswap64(v);
      std::memcpy(p, &v, 8);
      break;
    }
    default:
      break;
  }
}

// Reverses each of `count` consecutive elements of `size` bytes in place, in a tight loop
// the compiler can vectorise.
HOSTAUX_API void ByteSwapArray(void* data, std::size_t count, int size) noexcept;

// Copies `count` elements of `size` bytes from `source` to `destination` (which must not
// overlap), reversing each element of 2, 4 or 8 bytes; other sizes are copied as they are.
HOSTAUX_API void ByteSwapCopy(void* destination, const void* source, std::size_t count,
                              int size) noexcept;

// Converts between the machine's order and big-endian file order (a no-op on a
// big-endian machine).
inline void BigEndianArray(void* data, std::size_t count, int size) noexcept {
  if constexpr (std::endian::native == std::endian::little) ByteSwapArray(data, count, size);
}

// A copy in which file order and the machine's order trade places.
inline void BigEndianCopy(void* destination, const void* source, std::size_t count,
                          int size) noexcept {
  if constexpr (std::endian::native == std::endian::little) {
    ByteSwapCopy(destination, source, count, size);
  } else if (count != 0 && size > 0) {
    std::memcpy(destination, source, count * static_cast<std::size_t>(size));
  }
}

}  // namespace hostaux
