// Byte reversal of single elements and arrays, aligned or not.
#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <cstring>
#include <vector>

#include "hostaux/ByteOrder.h"

namespace {

// `count` elements of `size` bytes, byte j of element i being i * 16 + j.
std::vector<std::uint8_t> Elements(std::size_t count, int size) {
  std::vector<std::uint8_t> bytes(count * static_cast<std::size_t>(size));
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    bytes[i] = static_cast<std::uint8_t>((i / static_cast<std::size_t>(size)) * 16 +
                                         i % static_cast<std::size_t>(size));
  }
  return bytes;
}

void ExpectReversed(const std::uint8_t* got, std::size_t count, int size) {
  const auto original = Elements(count, size);
  const auto n = static_cast<std::size_t>(size);
  for (std::size_t i = 0; i < count; ++i) {
    for (std::size_t j = 0; j < n; ++j) {
      ASSERT_EQ(got[i * n + j], original[i * n + (n - 1 - j)]) << "element " << i << " byte " << j;
    }
  }
}

// Counts from one element to several vector widths reach every loop and tail.
TEST(ByteOrder, ArraysOfEachSizeAtEveryAlignment) {
  for (int size : {2, 4, 8}) {
    for (std::size_t offset = 0; offset < 8; ++offset) {
      for (std::size_t count :
           {std::size_t{1}, std::size_t{15}, std::size_t{37}, std::size_t{133}}) {
        const auto elements = Elements(count, size);
        std::vector<std::uint8_t> buffer(offset + elements.size() + 1, 0xEE);
        std::memcpy(buffer.data() + offset, elements.data(), elements.size());
        hostaux::ByteSwapArray(buffer.data() + offset, count, size);
        ExpectReversed(buffer.data() + offset, count, size);
        EXPECT_EQ(buffer.back(), 0xEE) << "wrote past the array";
        if (offset > 0) {
          EXPECT_EQ(buffer[offset - 1], 0xEE);
        }
      }
    }
  }
}

TEST(ByteOrder, OtherSizesAndEmptyArraysAreLeftAlone) {
  auto bytes = Elements(4, 3);
  const auto original = bytes;
  hostaux::ByteSwapArray(bytes.data(), 4, 3);
  hostaux::ByteSwapArray(bytes.data(), 12, 1);
  hostaux::ByteSwapArray(bytes.data(), 0, 4);
  hostaux::ByteSwapArray(nullptr, 5, 4);
  EXPECT_EQ(bytes, original);
}

TEST(ByteOrder, SingleElementAndBigEndianConversion) {
  std::uint32_t value = 0x11223344;
  hostaux::ByteSwap(&value, 4);
  EXPECT_EQ(value, 0x44332211u);
  const std::uint8_t fileBytes[] = {0x3F, 0xF8, 0, 0, 0, 0, 0, 0};  // 1.5 as a big-endian double
  double d;
  std::memcpy(&d, fileBytes, 8);
  hostaux::BigEndianArray(&d, 1, 8);
  EXPECT_EQ(d, 1.5);
}

}  // namespace
