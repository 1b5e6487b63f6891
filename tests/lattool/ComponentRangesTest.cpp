// Running per-component extremes of typed scan values, as lattool info prints them.
#include "ComponentRanges.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <vector>

#include "hostbase/PrimType.h"

namespace lattool {
namespace {

using hostbase::CPrimType;

template <class T>
void Add(ComponentRanges& ranges, const std::vector<T>& values) {
  ranges.AddScan(values.data(), values.size() * sizeof(T));
}

TEST(ComponentRanges, InterleavedComponentsKeepTheirOwnExtremesAcrossScans) {
  ComponentRanges ranges(CPrimType::Int16, 2);
  Add<std::int16_t>(ranges, {5, -1, 7, -3});
  Add<std::int16_t>(ranges, {-2, 9, 6, 0});
  ASSERT_EQ(ranges.Count(), 2u);
  EXPECT_EQ(ranges.Describe(0), "min -2, max 7");
  EXPECT_EQ(ranges.Describe(1), "min -3, max 9");
}

TEST(ComponentRanges, ExtremesOfEachIntegerTypeSurviveUnchanged) {
  ComponentRanges i8(CPrimType::Int8, 1);
  Add<std::int8_t>(i8, {-128, 0, 127});
  EXPECT_EQ(i8.Describe(0), "min -128, max 127");
  ComponentRanges u8(CPrimType::UInt8, 1);
  Add<std::uint8_t>(u8, {255, 3});
  EXPECT_EQ(u8.Describe(0), "min 3, max 255");
  ComponentRanges u32(CPrimType::UInt32, 1);
  Add<std::uint32_t>(u32, {4294967295u, 1u});
  EXPECT_EQ(u32.Describe(0), "min 1, max 4294967295");
  ComponentRanges i64(CPrimType::Int64, 1);
  Add<std::int64_t>(
      i64, {std::numeric_limits<std::int64_t>::max(), std::numeric_limits<std::int64_t>::min()});
  EXPECT_EQ(i64.Describe(0), "min -9223372036854775808, max 9223372036854775807");
}

TEST(ComponentRanges, RealsPrintShortestForTheirOwnType) {
  ComponentRanges f(CPrimType::Float, 1);
  Add<float>(f, {0.1f, 2.5f, -0.3f});
  EXPECT_EQ(f.Describe(0), "min -0.3, max 2.5");
  ComponentRanges d(CPrimType::Double, 1);
  Add<double>(d, {0.1, 1.0 / 3.0});
  EXPECT_EQ(d.Describe(0), "min 0.1, max 0.3333333333333333");
}

TEST(ComponentRanges, NanIsSkippedAndAComponentOfOnlyNanHasNoValues) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  ComponentRanges ranges(CPrimType::Float, 2);
  Add<float>(ranges, {nan, nan, 3.0f, nan, -inf, nan});
  EXPECT_EQ(ranges.Describe(0), "min -inf, max 3");
  EXPECT_EQ(ranges.Describe(1), "no values");
}

TEST(ComponentRanges, AComponentThatNeverCameHasNoValues) {
  ComponentRanges ranges(CPrimType::Int32, 3);
  Add<std::int32_t>(ranges, {4});  // a scan cut after the first component
  EXPECT_EQ(ranges.Describe(0), "min 4, max 4");
  EXPECT_EQ(ranges.Describe(1), "no values");
  EXPECT_EQ(ranges.Describe(2), "no values");
}

TEST(ComponentRanges, UnknownTypesAndEmptyScansAddNothing) {
  ComponentRanges unknown(42, 1);
  Add<std::int32_t>(unknown, {1, 2});
  EXPECT_EQ(unknown.Describe(0), "no values");
  ComponentRanges none(CPrimType::Float, 1);
  none.AddScan(nullptr, 16);
  EXPECT_EQ(none.Describe(0), "no values");
  ComponentRanges negative(CPrimType::Float, -2);
  EXPECT_EQ(negative.Count(), 0u);
}

TEST(ComponentRanges, BlanksAreLeftOutOnceAMarkerIsSet) {
  ComponentRanges ranges(CPrimType::Int32, 2);
  ranges.SkipBlanks(-1.0);
  Add<std::int32_t>(ranges, {-1, 5, 3, -1, -2, 8});
  EXPECT_EQ(ranges.Min(0), -2.0);  // -1 is a blank, -2 is not
  EXPECT_EQ(ranges.Max(0), 3.0);
  EXPECT_EQ(ranges.Min(1), 5.0);
  EXPECT_EQ(ranges.Max(1), 8.0);
  // A component of blanks only has no range.
  ComponentRanges blanks(CPrimType::Float, 1);
  blanks.SkipBlanks(0.5);
  Add<float>(blanks, {0.5f, 0.5f});
  EXPECT_FALSE(blanks.Seen(0));
  EXPECT_EQ(blanks.Min(0), 0.0);
  EXPECT_EQ(blanks.Max(0), 0.0);
  EXPECT_EQ(blanks.Describe(0), "no values");
}

TEST(ComponentRanges, BoundsAsDoubles) {
  ComponentRanges reals(CPrimType::Double, 1);
  Add<double>(reals, {0.1, -1e300});
  EXPECT_TRUE(reals.Seen(0));
  EXPECT_EQ(reals.Min(0), -1e300);
  EXPECT_EQ(reals.Max(0), 0.1);
  ComponentRanges u16(CPrimType::UInt16, 1);
  Add<std::uint16_t>(u16, {65535, 7});
  EXPECT_EQ(u16.Min(0), 7.0);
  EXPECT_EQ(u16.Max(0), 65535.0);
  // Without a marker every value counts, the blank value too.
  ComponentRanges plain(CPrimType::Int8, 1);
  Add<std::int8_t>(plain, {-1, 4});
  EXPECT_EQ(plain.Min(0), -1.0);
}

// A zero extreme keeps the sign of the first zero of its component, wherever in a long
// scan the zeros stand.
TEST(ComponentRanges, AZeroExtremeKeepsTheSignOfTheFirstZero) {
  for (std::size_t first : {0u, 3u, 7u, 14u}) {
    for (std::size_t second : {1u, 8u, 9u, 16u, 21u}) {
      if (second <= first) continue;
      std::vector<float> values(24, 2.0f);
      values[first] = -0.0f;
      values[second] = 0.0f;
      values[23] = -1.0f;
      ComponentRanges ranges(CPrimType::Float, 1);
      Add<float>(ranges, values);
      EXPECT_EQ(ranges.Describe(0), "min -1, max 2");
      values[23] = 2.0f;
      ComponentRanges lower(CPrimType::Float, 1);
      Add<float>(lower, values);
      EXPECT_EQ(lower.Describe(0), "min -0, max 2") << first << " " << second;
      std::fill(values.begin(), values.end(), -2.0f);
      values[first] = -0.0f;
      values[second] = 0.0f;
      ComponentRanges upper(CPrimType::Float, 1);
      Add<float>(upper, values);
      EXPECT_EQ(upper.Describe(0), "min -2, max -0") << first << " " << second;
      values[first] = 0.0f;
      values[second] = -0.0f;
      ComponentRanges swapped(CPrimType::Float, 1);
      Add<float>(swapped, values);
      EXPECT_EQ(swapped.Describe(0), "min -2, max 0") << first << " " << second;
    }
  }
}

// Scans of every length up to 40 with one to five components, NaN sprinkled in, against
// the extremes found one value at a time.
template <class T>
void ExpectLongScansMatchAValueByValueSearch(int type) {
  std::mt19937 random(11);
  std::uniform_real_distribution<T> number(-1000, 1000);
  std::uniform_int_distribution<int> pick(0, 9);
  for (int components = 1; components <= 5; ++components) {
    const auto stride = static_cast<std::size_t>(components);
    for (std::size_t length = 0; length <= 40; ++length) {
      std::vector<T> values(length);
      for (T& v : values)
        v = pick(random) == 0 ? std::numeric_limits<T>::quiet_NaN() : number(random);
      ComponentRanges ranges(type, components);
      Add<T>(ranges, values);
      Add<T>(ranges, std::vector<T>(values.rbegin(), values.rend()));
      for (std::size_t c = 0; c < stride; ++c) {
        T lo = std::numeric_limits<T>::infinity(), hi = -lo;
        for (std::size_t i = 0; i < length; ++i) {
          // Component c gets value i in the first scan and value length-1-i in the second.
          if (std::isnan(values[i]) || (i % stride != c && (length - 1 - i) % stride != c))
            continue;
          lo = std::min(lo, values[i]);
          hi = std::max(hi, values[i]);
        }
        const bool seen = lo <= hi;
        ASSERT_EQ(ranges.Seen(c), seen) << components << " components, length " << length;
        if (!seen) continue;
        EXPECT_EQ(ranges.Min(c), static_cast<double>(lo)) << components << " x " << length;
        EXPECT_EQ(ranges.Max(c), static_cast<double>(hi)) << components << " x " << length;
      }
    }
  }
}

TEST(ComponentRanges, LongScansMatchAValueByValueSearch) {
  ExpectLongScansMatchAValueByValueSearch<double>(CPrimType::Double);
  ExpectLongScansMatchAValueByValueSearch<float>(CPrimType::Float);
}

TEST(ComponentRanges, LongIntegerScansFindExtremesInEveryPosition) {
  for (std::size_t at = 0; at < 19; ++at) {
    std::vector<std::int16_t> values(19, 100);
    values[at] = -32768;
    values[(at + 5) % 19] = 32767;
    ComponentRanges ranges(CPrimType::Int16, 1);
    Add<std::int16_t>(ranges, values);
    EXPECT_EQ(ranges.Describe(0), "min -32768, max 32767") << at;
  }
}

}  // namespace
}  // namespace lattool
