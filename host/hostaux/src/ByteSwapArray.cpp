// Byte reversal of whole arrays of 2-, 4- or 8-byte elements.
#include <cstdint>
#include <cstring>

#include "hostaux/ByteOrder.h"

namespace hostaux {
namespace {

template <class T>
T Swapped(T value) noexcept {
  if constexpr (sizeof(T) == 2) return __builtin_bswap16(value);
  if constexpr (sizeof(T) == 4) return __builtin_bswap32(value);
  if constexpr (sizeof(T) == 8) return __builtin_bswap64(value);
}

// Elements are loaded and stored with memcpy, so the array may have any alignment.
template <class T>
void SwapAll(unsigned char* bytes, std::size_t count) noexcept {
  for (std::size_t i = 0; i < count; ++i) {
    T value;
    std::memcpy(&value, bytes + i * sizeof(T), sizeof(T));
    value = Swapped(value);
    std::memcpy(bytes + i * sizeof(T), &value, sizeof(T));
  }
}

}  // namespace

void ByteSwapArray(void* data, std::size_t count, int size) noexcept {
  if (data == nullptr) return;
  auto* bytes = static_cast<unsigned char*>(data);
  switch (size) {
    case 2:
      SwapAll<std::uint16_t>(bytes, count);
      break;
    case 4:
      SwapAll<std::uint32_t>(bytes, count);
      break;
    case 8:
      SwapAll<std::uint64_t>(bytes, count);
      break;
    default:
      break;
  }
}

}  // namespace hostaux
