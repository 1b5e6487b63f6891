// Byte reversal of single elements and arrays, in place or while copying, aligned or not.
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

// The copy reverses every element into the destination, writes nothing beyond it and
// leaves the source as it was, whatever the alignment of either.
TEST(ByteOrder, CopiesOfEachSizeAtEveryAlignment) {
  for (int size : {2, 4, 8}) {
    for (std::size_t offset = 0; offset < 8; ++offset) {
      for (std::size_t count :
           {std::size_t{1}, std::size_t{15}, std::size_t{37}, std::size_t{133}}) {
        const auto elements = Elements(count, size);
        std::vector<std::uint8_t> source(offset + elements.size());
        std::memcpy(source.data() + offset, elements.data(), elements.size());
        const std::size_t shift = (offset * 3) % 8;  // a different alignment for the copy
        std::vector<std::uint8_t> target(shift + elements.size() + 1, 0xEE);
        hostaux::ByteSwapCopy(target.data() + shift, source.data() + offset, count, size);
        ExpectReversed(target.data() + shift, count, size);
        EXPECT_EQ(target.back(), 0xEE) << "wrote past the copy";
        if (shift > 0) {
          EXPECT_EQ(target[shift - 1], 0xEE);
        }
        EXPECT_EQ(0, std::memcmp(source.data() + offset, elements.data(), elements.size()));
      }
    }
  }
}

TEST(ByteOrder, CopiesOfOtherSizesAreExactAndEmptyOnesWriteNothing) {
  const auto elements = Elements(5, 3);
  std::vector<std::uint8_t> target(elements.size(), 0xEE);
  hostaux::ByteSwapCopy(target.data(), elements.data(), 5, 3);
  EXPECT_EQ(target, elements);
  std::vector<std::uint8_t> untouched(8, 0xEE);
  hostaux::ByteSwapCopy(untouched.data(), elements.data(), 0, 4);
  hostaux::ByteSwapCopy(untouched.data(), nullptr, 2, 4);
  hostaux::ByteSwapCopy(nullptr, elements.data(), 2, 4);
  EXPECT_EQ(untouched, std::vector<std::uint8_t>(8, 0xEE));
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
  const std::uint8_t floatBytes[] = {0xC0, 0x20, 0, 0, 0x3E, 0x80, 0, 0};  // -2.5f, 0.25f
  float f[2] = {0, 0};
  hostaux::BigEndianCopy(f, floatBytes, 2, 4);
  EXPECT_EQ(f[0], -2.5f);
  EXPECT_EQ(f[1], 0.25f);
}

}  // namespace
