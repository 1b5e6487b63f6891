// CPrimData: copying, conversion, exact comparison across types, limits and text.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>

#include "hostbase/PrimType.h"

namespace {

using hostbase::CPrimData;
using hostbase::CPrimType;

template <class T>
CPrimData Value(int type, T v) {
  return CPrimData(type, &v);
}

std::string Text(const CPrimData& value) {
  std::string text = "stale";
  value.GetDataAsString(text);
  return text;
}

int Compare(const CPrimData& a, const CPrimData& b) {
  return a.CompareData(b.GetType(), b.GetDataPtr());
}

TEST(PrimData, DefaultsAndNullCopiesAreZero) {
  CPrimData none;
  EXPECT_EQ(none.GetType(), CPrimType::Int32);
  EXPECT_EQ(Text(none), "0");
  CPrimData value = Value(CPrimType::Double, 2.5);
  value.CopyData(CPrimType::Int16, nullptr);
  EXPECT_EQ(value.GetType(), CPrimType::Int16);
  EXPECT_EQ(Text(value), "0");
  EXPECT_EQ(CPrimData::GetWideReal(CPrimType::Double, nullptr), 0.0);
}

TEST(PrimData, CopyTakesOnlyTheTypesBytes) {
  const std::int64_t wide = 0x0102030405060708;
  CPrimData value(CPrimType::Int16, &wide);  // reads two bytes only
  std::int16_t low;
  std::memcpy(&low, &wide, 2);
  EXPECT_EQ(CPrimData::GetWideReal(CPrimType::Int16, value.GetDataPtr()), low);
  EXPECT_EQ(CPrimData::GetWideReal(CPrimType::Int64, value.GetDataPtr()), low);
}

TEST(PrimData, ConvertFollowsTheArrayConversion) {
  CPrimData target(CPrimType::UInt8);
  target.ConvertData(Value(CPrimType::Double, 255.5));
  EXPECT_EQ(Text(target), "255");
  target.ConvertData(Value(CPrimType::Double, -0.5));
  EXPECT_EQ(Text(target), "0");
  CPrimData real(CPrimType::Double);
  real.ConvertData(Value(CPrimType::Int64, std::numeric_limits<std::int64_t>::min()));
  EXPECT_EQ(CPrimData::GetWideReal(CPrimType::Double, real.GetDataPtr()), -0x1p63);
  EXPECT_EQ(real.GetType(), CPrimType::Double);
}

TEST(PrimData, LimitsAreTheLowestAndHighestFiniteValues) {
  EXPECT_EQ(Text(CPrimData::PrimMin(CPrimType::Int8)), "-128");
  EXPECT_EQ(Text(CPrimData::PrimMax(CPrimType::UInt8)), "255");
  EXPECT_EQ(Text(CPrimData::PrimMin(CPrimType::UInt32)), "0");
  EXPECT_EQ(Text(CPrimData::PrimMax(CPrimType::UInt32)), "4294967295");
  EXPECT_EQ(Text(CPrimData::PrimMin(CPrimType::Int64)), "-9223372036854775808");
  EXPECT_EQ(Text(CPrimData::PrimMax(CPrimType::Int64)), "9223372036854775807");
  const CPrimData fmin = CPrimData::PrimMin(CPrimType::Float);
  EXPECT_EQ(fmin.GetType(), CPrimType::Float);
  EXPECT_EQ(CPrimData::GetWideReal(CPrimType::Float, fmin.GetDataPtr()), -FLT_MAX);
  const CPrimData dmax = CPrimData::PrimMax(CPrimType::Double);
  EXPECT_EQ(CPrimData::GetWideReal(CPrimType::Double, dmax.GetDataPtr()), DBL_MAX);
  EXPECT_EQ(CPrimData::widest_REAL_MIN, -DBL_MAX);
  EXPECT_EQ(CPrimData::widest_REAL_MAX, DBL_MAX);
}

TEST(PrimData, ComparesExactlyAcrossTypes) {
  const auto i64 = [](std::int64_t v) { return Value(CPrimType::Int64, v); };
  const auto f64 = [](double v) { return Value(CPrimType::Double, v); };
  // 2^53 + 1 is no double: the double 2^53 lies below it.
  EXPECT_GT(Compare(i64(9007199254740993), f64(9007199254740992.0)), 0);
  EXPECT_LT(Compare(f64(9007199254740992.0), i64(9007199254740993)), 0);
  EXPECT_EQ(Compare(i64(9007199254740992), f64(9007199254740992.0)), 0);
  EXPECT_LT(Compare(i64(std::numeric_limits<std::int64_t>::max()), f64(0x1p63)), 0);
  EXPECT_EQ(Compare(i64(std::numeric_limits<std::int64_t>::min()), f64(-0x1p63)), 0);
  EXPECT_GT(Compare(i64(std::numeric_limits<std::int64_t>::min()), f64(-0x1p64)), 0);
  EXPECT_LT(Compare(i64(2), f64(2.5)), 0);
  EXPECT_GT(Compare(i64(-2), f64(-2.5)), 0);
  EXPECT_EQ(Compare(i64(0), f64(-0.0)), 0);
  EXPECT_LT(Compare(i64(5), f64(INFINITY)), 0);
  EXPECT_GT(Compare(i64(5), f64(-INFINITY)), 0);
  // Unsigned against signed: no wrap-around.
  EXPECT_GT(Compare(Value(CPrimType::UInt32, 4294967295u), Value(CPrimType::Int32, -1)), 0);
  EXPECT_LT(
      Compare(Value(CPrimType::Int8, std::int8_t{-1}), Value(CPrimType::UInt8, std::uint8_t{255})),
      0);
  EXPECT_EQ(Compare(Value(CPrimType::Float, 0.1f), f64(static_cast<double>(0.1f))), 0);
  EXPECT_GT(Compare(Value(CPrimType::Float, 0.1f), f64(0.1)), 0);
}

TEST(PrimData, NotANumberSortsAboveEveryNumberAndEqualsItself) {
  const CPrimData nan = Value(CPrimType::Double, std::nan(""));
  EXPECT_GT(Compare(nan, Value(CPrimType::Double, std::numeric_limits<double>::infinity())), 0);
  EXPECT_GT(Compare(nan, Value(CPrimType::Int64, std::int64_t{1} << 62)), 0);
  EXPECT_LT(Compare(Value(CPrimType::Int8, std::int8_t{1}), nan), 0);
  EXPECT_EQ(Compare(nan, Value(CPrimType::Float, std::nanf(""))), 0);
}

TEST(PrimData, TextIsDecimalForIntegersAndShortestForReals) {
  EXPECT_EQ(Text(Value(CPrimType::Int8, std::int8_t{-128})), "-128");
  EXPECT_EQ(Text(Value(CPrimType::UInt16, std::uint16_t{65535})), "65535");
  EXPECT_EQ(Text(Value(CPrimType::Float, 0.1f)), "0.1");
  EXPECT_EQ(Text(Value(CPrimType::Double, 0.1)), "0.1");
  EXPECT_EQ(Text(Value(CPrimType::Double, static_cast<double>(0.1f))), "0.10000000149011612");
  EXPECT_EQ(Text(Value(CPrimType::Double, 1e300)), "1e+300");
  EXPECT_EQ(Text(Value(CPrimType::Double, -2.5)), "-2.5");
  EXPECT_EQ(Text(Value(CPrimType::Float, 3.4028235e38f)), "3.4028235e+38");
}

TEST(PrimData, InvalidTypeReadsAsZero) {
  CPrimData odd(12);
  EXPECT_EQ(Text(odd), "0");
  EXPECT_EQ(Compare(odd, Value(CPrimType::Int32, 0)), 0);
  EXPECT_EQ(CPrimData::GetWideReal(-3, odd.GetDataPtr()), 0.0);
}

}  // namespace
