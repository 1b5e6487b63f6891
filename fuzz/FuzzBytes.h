// Takes typed values from the front of a fuzz input; an exhausted input gives zeros.
#pragma once

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace latfuzz {

class FuzzBytes {
 public:
  FuzzBytes(const std::uint8_t* data, std::size_t size) noexcept : rest_(data, size) {}

  bool Empty() const noexcept { return rest_.empty(); }
  std::size_t Left() const noexcept { return rest_.size(); }

  std::uint8_t Byte() noexcept {
    if (rest_.empty()) return 0;
    const std::uint8_t b = rest_.front();
    rest_ = rest_.subspan(1);
    return b;
  }
  bool Bool() noexcept { return (Byte() & 1) != 0; }
  // Four bytes, most significant first.
  std::uint32_t Word() noexcept {
    std::uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v = (v << 8) | Byte();
    return v;
  }
  std::int32_t Int() noexcept { return static_cast<std::int32_t>(Word()); }
  std::uint64_t Word64() noexcept { return (std::uint64_t{Word()} << 32) | Word(); }
  double Double() noexcept { return std::bit_cast<double>(Word64()); }
  // A value in lo..hi taken from one byte (hi - lo below 256).
  int Small(int lo, int hi) noexcept { return lo + Byte() % (hi - lo + 1); }
  // A length byte, then up to that many bytes (fewer when the input ends).
  std::string_view Text() noexcept { return Take(Byte()); }
  std::string_view Take(std::size_t count) noexcept {
    count = std::min(count, rest_.size());
    const std::string_view text(reinterpret_cast<const char*>(rest_.data()), count);
    rest_ = rest_.subspan(count);
    return text;
  }
  // Everything not taken yet.
  std::span<const std::uint8_t> Rest() noexcept {
    const std::span<const std::uint8_t> rest = rest_;
    rest_ = {};
    return rest;
  }

 private:
  std::span<const std::uint8_t> rest_;
};

}  // namespace latfuzz
