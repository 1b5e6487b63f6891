// CPrimType::CastArray: rounding, saturation, NaN and infinities, exact edges of the
// 64-bit integer and the reals, strides, in-place conversion and bad arguments.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <vector>

#include "hostbase/PrimType.h"

namespace {

using hostbase::CPrimType;

template <class T>
constexpr int CodeOf() {
  if constexpr (std::is_same_v<T, std::int8_t>) return CPrimType::Int8;
  if constexpr (std::is_same_v<T, std::uint8_t>) return CPrimType::UInt8;
  if constexpr (std::is_same_v<T, std::int16_t>) return CPrimType::Int16;
  if constexpr (std::is_same_v<T, std::uint16_t>) return CPrimType::UInt16;
  if constexpr (std::is_same_v<T, std::int32_t>) return CPrimType::Int32;
  if constexpr (std::is_same_v<T, std::uint32_t>) return CPrimType::UInt32;
  if constexpr (std::is_same_v<T, std::int64_t>) return CPrimType::Int64;
  if constexpr (std::is_same_v<T, float>) return CPrimType::Float;
  if constexpr (std::is_same_v<T, double>) return CPrimType::Double;
}

template <class D, class S>
D Cast(S value) {
  D out{};
  CPrimType::CastArray(CodeOf<S>(), &value, CodeOf<D>(), &out, 1, 1);
  return out;
}

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

// The values right beside each halfway point round half away from zero: the C library's
// round is not used, as some runtimes compute it as floor(x + 0.5), which turns
// 0.49999999999999994 into 1.
TEST(CastArray, RoundingIsExactNextToEveryHalfwayPoint) {
  for (const double half : {0.5, 1.5, 2.5, 1000.5, 2147483646.5, 0x1p51 + 0.5}) {
    const double below = std::nextafter(half, 0.0), above = std::nextafter(half, 1e300);
    const auto floor = static_cast<std::int64_t>(half - 0.5);
    EXPECT_EQ(Cast<std::int64_t>(below), floor) << below;
    EXPECT_EQ(Cast<std::int64_t>(half), floor + 1) << half;
    EXPECT_EQ(Cast<std::int64_t>(above), floor + 1) << above;
    EXPECT_EQ(Cast<std::int64_t>(-below), -floor) << -below;
    EXPECT_EQ(Cast<std::int64_t>(-half), -floor - 1) << -half;
    EXPECT_EQ(Cast<std::int64_t>(-above), -floor - 1) << -above;
  }
  // Around 2^52 the doubles are half-integers, then integers, then even integers.
  EXPECT_EQ(Cast<std::int64_t>(0x1p52 - 0.5), std::int64_t{1} << 52);
  EXPECT_EQ(Cast<std::int64_t>(-(0x1p52 - 0.5)), -(std::int64_t{1} << 52));
  EXPECT_EQ(Cast<std::int64_t>(0x1p53 + 2.0), (std::int64_t{1} << 53) + 2);
  // Floats, and rounding that reaches a narrow type's limit stays inside it.
  EXPECT_EQ(Cast<std::int32_t>(std::nextafter(0.5f, 0.0f)), 0);
  EXPECT_EQ(Cast<std::int16_t>(std::nextafter(-2.5f, 0.0f)), -2);
  EXPECT_EQ(Cast<std::int16_t>(-2.5f), -3);
  EXPECT_EQ(Cast<std::uint16_t>(65534.5f), 65535);
  EXPECT_EQ(Cast<std::uint8_t>(254.49), 254);
  EXPECT_EQ(Cast<std::uint8_t>(-0.5), 0);
  EXPECT_EQ(Cast<std::int8_t>(-127.5), -128);
  EXPECT_EQ(Cast<std::int32_t>(-2147483647.5), -2147483647 - 1);
  EXPECT_EQ(Cast<std::uint32_t>(4294967294.49), 4294967294u);
}

template <class T>
void ExpectSaturation() {
  constexpr T lo = std::numeric_limits<T>::lowest(), hi = std::numeric_limits<T>::max();
  const double dlo = static_cast<double>(lo), dhi = static_cast<double>(hi);
  for (const double above : {dhi, dhi + 0.49, dhi + 0.5, dhi + 1e6, kInf, 0x1p63,
                             double{std::numeric_limits<float>::max()}})
    EXPECT_EQ(Cast<T>(above), hi) << above;
  for (const double below :
       {dlo, dlo - 0.5, dlo - 1e6, -kInf, -0x1p64, -double{std::numeric_limits<float>::max()}})
    EXPECT_EQ(Cast<T>(below), lo) << below;
  EXPECT_EQ(Cast<T>(kNaN), T{0});
  EXPECT_EQ(Cast<T>(-kNaN), T{0});
  if constexpr (sizeof(T) < 8) {
    EXPECT_EQ(Cast<T>(dhi - 1.0), static_cast<T>(hi - 1));
  }
  EXPECT_EQ(Cast<T>(std::numeric_limits<std::int64_t>::min()), lo);
  EXPECT_EQ(Cast<T>(std::numeric_limits<std::int64_t>::max()), hi);
}

TEST(CastArray, RealsAndIntegersSaturateAtEveryIntegerTypesLimits) {
  ExpectSaturation<std::int8_t>();
  ExpectSaturation<std::uint8_t>();
  ExpectSaturation<std::int16_t>();
  ExpectSaturation<std::uint16_t>();
  ExpectSaturation<std::int32_t>();
  ExpectSaturation<std::uint32_t>();
  ExpectSaturation<std::int64_t>();
  // 2^63 is one past the largest 64-bit integer; the double just below it fits.
  EXPECT_EQ(Cast<std::int64_t>(std::nextafter(0x1p63, 0.0)), std::int64_t{0x7FFFFFFFFFFFFC00});
  EXPECT_EQ(Cast<std::int64_t>(0x1p63f), std::numeric_limits<std::int64_t>::max());
  // To double: IEEE rounding to nearest even.
  EXPECT_EQ(Cast<double>(std::int64_t{9007199254740993}), 9007199254740992.0);
  EXPECT_EQ(Cast<double>(std::int64_t{9007199254740995}), 9007199254740996.0);
  EXPECT_EQ(Cast<double>(std::numeric_limits<std::int64_t>::min()), -0x1p63);
}

TEST(CastArray, WholeArraysWithAStrideAndInPlace) {
  const double in[] = {1.4, -1.6, 300.0, -300.0, kNaN, 2.5};
  std::int8_t out[6] = {};
  CPrimType::CastArray(CPrimType::Double, in, CPrimType::Int8, out, 6, 1);
  EXPECT_EQ(std::vector<int>(out, out + 6), (std::vector<int>{1, -2, 127, -128, 0, 3}));
  // Every second element on both sides; the ones between stay as they were.
  const std::int16_t src[] = {10, 99, -20, 99, 30, 99};
  std::int16_t dst[] = {7, 7, 7, 7, 7, 7};
  CPrimType::CastArray(CPrimType::Int16, src, CPrimType::Int16, dst, 3, 2);
  EXPECT_EQ(std::vector<int>(dst, dst + 6), (std::vector<int>{10, 7, -20, 7, 30, 7}));
  // Same size, same buffer: 32-bit ints become floats in place.
  std::int32_t ints[] = {1, -2, 16777217, 0};
  CPrimType::CastArray(CPrimType::Int32, ints, CPrimType::Float, ints, 4, 1);
  float floats[4];
  std::memcpy(floats, ints, sizeof floats);
  EXPECT_EQ(std::vector<float>(floats, floats + 4), (std::vector<float>{1, -2, 16777216, 0}));
}

TEST(CastArray, BadTypeCodesAndStepsConvertNothing) {
  const double in = 5.0;
  std::int32_t out = 42;
  for (auto [src, dst] : {std::pair{-1, 4}, std::pair{9, 4}, std::pair{8, -1}, std::pair{8, 9}})
    CPrimType::CastArray(src, &in, dst, &out, 1, 1);
  CPrimType::CastArray(CPrimType::Double, &in, CPrimType::Int32, &out, 1, 0);
  CPrimType::CastArray(CPrimType::Double, &in, CPrimType::Int32, &out, 0, 1);
  EXPECT_EQ(out, 42);
}

}  // namespace

namespace {

// CPrimData::CompareData compares exactly across integers and reals: a 64-bit integer
// against the doubles beside it, at the edges of the type, and NaN above every number.
TEST(CompareData, IsExactBetweenIntegersAndReals) {
  using hostbase::CPrimData;
  const struct {
    std::int64_t integer;
    double real;
    int sign;
  } cases[] = {{3, 3.0, 0},
               {3, std::nextafter(3.0, 4.0), -1},
               {3, std::nextafter(3.0, 2.0), 1},
               {-3, -3.0, 0},
               {-3, std::nextafter(-3.0, -4.0), 1},
               {(std::int64_t{1} << 53) + 1, 0x1p53, 1},
               {std::numeric_limits<std::int64_t>::max(), 0x1p63, -1},
               {std::numeric_limits<std::int64_t>::min(), -0x1p63, 0},
               {0, kNaN, -1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.integer << " vs " << c.real);
    const CPrimData integer(CPrimType::Int64, &c.integer);
    const CPrimData real(CPrimType::Double, &c.real);
    EXPECT_EQ(integer.CompareData(CPrimType::Double, &c.real), c.sign);
    EXPECT_EQ(real.CompareData(CPrimType::Int64, &c.integer), -c.sign);
  }
}

}  // namespace
