// Byte reversal of whole arrays of 2-, 4- or 8-byte elements, in place or while copying.
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

// On x86-64 Linux each loop is also compiled for AVX2, whose byte shuffles reverse 32
// bytes at a time; the loader picks the version the processor runs.
#if defined(__x86_64__) && defined(__linux__) && defined(__GNUC__)
#define LAT_SWAP_VERSIONS __attribute__((target_clones("avx2", "default")))
#else
#define LAT_SWAP_VERSIONS
#endif

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

// The copying loop: source and destination do not overlap, so nothing is checked at run time.
template <class T>
void CopyAll(unsigned char* __restrict to, const unsigned char* __restrict from,
             std::size_t count) noexcept {
  for (std::size_t i = 0; i < count; ++i) {
    T value;
    std::memcpy(&value, from + i * sizeof(T), sizeof(T));
    value = Swapped(value);
    std::memcpy(to + i * sizeof(T), &value, sizeof(T));
  }
}

LAT_SWAP_VERSIONS void Copy2(unsigned char* to, const unsigned char* from,
                             std::size_t count) noexcept {
  CopyAll<std::uint16_t>(to, from, count);
}
LAT_SWAP_VERSIONS void Copy4(unsigned char* to, const unsigned char* from,
                             std::size_t count) noexcept {
  CopyAll<std::uint32_t>(to, from, count);
}
LAT_SWAP_VERSIONS void Copy8(unsigned char* to, const unsigned char* from,
                             std::size_t count) noexcept {
  CopyAll<std::uint64_t>(to, from, count);
}

LAT_SWAP_VERSIONS void Swap2(unsigned char* bytes, std::size_t count) noexcept {
  SwapAll<std::uint16_t>(bytes, count);
}
LAT_SWAP_VERSIONS void Swap4(unsigned char* bytes, std::size_t count) noexcept {
  SwapAll<std::uint32_t>(bytes, count);
}
LAT_SWAP_VERSIONS void Swap8(unsigned char* bytes, std::size_t count) noexcept {
  SwapAll<std::uint64_t>(bytes, count);
}

}  // namespace

void ByteSwapArray(void* data, std::size_t count, int size) noexcept {
  if (data == nullptr) return;
  auto* bytes = static_cast<unsigned char*>(data);
  switch (size) {
    case 2:
      Swap2(bytes, count);
      break;
    case 4:
      Swap4(bytes, count);
      break;
    case 8:
      Swap8(bytes, count);
      break;
    default:
      break;
  }
}

void ByteSwapCopy(void* destination, const void* source, std::size_t count, int size) noexcept {
  if (destination == nullptr || source == nullptr || count == 0) return;
  auto* to = static_cast<unsigned char*>(destination);
  const auto* from = static_cast<const unsigned char*>(source);
  switch (size) {
    case 2:
      Copy2(to, from, count);
      break;
    case 4:
      Copy4(to, from, count);
      break;
    case 8:
      Copy8(to, from, count);
      break;
    default:
      if (size > 0) std::memcpy(to, from, count * static_cast<std::size_t>(size));
      break;
  }
}

}  // namespace hostaux
