// Numbers between the primitive types, byte orders, and in text (ParseNumber, FormatString).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "hostaux/ByteOrder.h"
#include "hostbase/PrimType.h"
#include "hostbase/Text.h"

namespace {

using hostbase::CPrimType;

template <class T, std::size_t Code = 0>
constexpr int CodeOf() {
  if constexpr (std::is_same_v<T, hostbase::PrimTypeOf<Code>>)
    return Code;
  else
    return CodeOf<T, Code + 1>();
}

template <class D, class S>
D Cast(S value) {
  D out{};
  CPrimType::CastArray(CodeOf<S>(), &value, CodeOf<D>(), &out, 1, 1);
  return out;
}

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

// Half away from zero, exactly: some runtimes' round is floor(x + 0.5), which turns
// 0.49999999999999994 into 1.
TEST(CastArray, RoundingIsExactNextToEveryHalfwayPoint) {
  for (const double half : {0.5, 1.5, 2.5, 1000.5, 2147483646.5, 0x1p51 + 0.5}) {
    const double below = std::nextafter(half, 0.0), above = std::nextafter(half, 1e300);
    const auto floor = static_cast<std::int64_t>(half - 0.5);
    for (const int sign : {1, -1}) {
      EXPECT_EQ(Cast<std::int64_t>(sign * below), sign * floor) << sign * below;
      EXPECT_EQ(Cast<std::int64_t>(sign * half), sign * (floor + 1)) << sign * half;
      EXPECT_EQ(Cast<std::int64_t>(sign * above), sign * (floor + 1)) << sign * above;
    }
  }
  EXPECT_EQ(Cast<std::int16_t>(-2.5f), -3);  // floats take the same way
}

template <class... T>
void ExpectSaturation() {
  const auto one = [&]<class I>(I) {
    SCOPED_TRACE(CodeOf<I>());
    constexpr I lo = std::numeric_limits<I>::lowest(), hi = std::numeric_limits<I>::max();
    const double dlo = static_cast<double>(lo), dhi = static_cast<double>(hi);
    for (const double above : {dhi, dhi + 0.49, dhi + 0.5, dhi + 1e6, kInf, 0x1p63,
                               double{std::numeric_limits<float>::max()}})
      EXPECT_EQ(Cast<I>(above), hi) << above;
    for (const double below :
         {dlo, dlo - 0.5, dlo - 1e6, -kInf, -0x1p64, -double{std::numeric_limits<float>::max()}})
      EXPECT_EQ(Cast<I>(below), lo) << below;
    EXPECT_EQ(Cast<I>(kNaN), I{0});
    EXPECT_EQ(Cast<I>(-kNaN), I{0});
    EXPECT_TRUE(sizeof(I) == 8 || Cast<I>(dhi - 1.0) == static_cast<I>(hi - 1));
    EXPECT_EQ(Cast<I>(std::numeric_limits<std::int64_t>::min()), lo);
    EXPECT_EQ(Cast<I>(std::numeric_limits<std::int64_t>::max()), hi);
  };
  (one(T{}), ...);
}

TEST(CastArray, RealsAndIntegersSaturateAtEveryIntegerTypesLimits) {
  ExpectSaturation<std::int8_t, std::uint8_t, std::int16_t, std::uint16_t, std::int32_t,
                   std::uint32_t, std::int64_t>();
  // 2^63 is one past the largest 64-bit integer; the double just below it fits.
  EXPECT_EQ(Cast<std::int64_t>(std::nextafter(0x1p63, 0.0)), std::int64_t{0x7FFFFFFFFFFFFC00});
}

// Every second element on both sides, in place; bad codes and steps do nothing.
TEST(CastArray, StridesInPlaceAndBadArguments) {
  const double in[] = {1.5};
  const std::int16_t src[] = {10, 99, -20, 99, 30, 99};
  std::int16_t dst[] = {7, 7, 7, 7, 7, 7};
  CPrimType::CastArray(CPrimType::Int16, src, CPrimType::Int16, dst, 3, 2);
  EXPECT_EQ(std::vector<int>(dst, dst + 6), (std::vector<int>{10, 7, -20, 7, 30, 7}));
  std::int32_t ints[] = {1, -2, 16777217, 0};
  CPrimType::CastArray(CPrimType::Int32, ints, CPrimType::Float, ints, 4, 1);
  float floats[4];
  std::memcpy(floats, ints, sizeof floats);
  EXPECT_EQ(std::vector<float>(floats, floats + 4), (std::vector<float>{1, -2, 16777216, 0}));
  std::int32_t untouched = 42;
  for (auto [s, d, step] : {std::tuple{-1, 4, 1}, {9, 4, 1}, {8, -1, 1}, {8, 9, 1}, {8, 4, 0}})
    CPrimType::CastArray(s, in, d, &untouched, 1, step);
  CPrimType::CastArray(CPrimType::Double, in, CPrimType::Int32, &untouched, 0, 1);
  EXPECT_EQ(untouched, 42);
}

// Exact across integers and reals: a 64-bit integer against the doubles beside it, at the
// edges of the type, and NaN above every number.
TEST(CompareData, IsExactBetweenIntegersAndReals) {
  const struct {
    std::int64_t integer;
    double real;
    int sign;
  } cases[] = {{3, 3.0, 0},
               {3, std::nextafter(3.0, 4.0), -1},
               {3, std::nextafter(3.0, 2.0), 1},
               {-3, std::nextafter(-3.0, -4.0), 1},
               {(std::int64_t{1} << 53) + 1, 0x1p53, 1},
               {std::numeric_limits<std::int64_t>::max(), 0x1p63, -1},
               {std::numeric_limits<std::int64_t>::min(), -0x1p63, 0},
               {0, kNaN, -1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.integer << " vs " << c.real);
    const hostbase::CPrimData integer(CPrimType::Int64, &c.integer),
        real(CPrimType::Double, &c.real);
    EXPECT_EQ(integer.CompareData(CPrimType::Double, &c.real), c.sign);
    EXPECT_EQ(real.CompareData(CPrimType::Int64, &c.integer), -c.sign);
  }
}

TEST(ByteSwapCopy, SwapsAndCopiesNothingFromOrToNull) {
  std::uint32_t to = 7, from = 0x01020304;
  hostaux::ByteSwapCopy(&to, nullptr, 1, 4);
  hostaux::ByteSwapCopy(nullptr, &from, 1, 4);
  EXPECT_EQ(to, 7u);
  hostaux::ByteSwapCopy(&to, &from, 1, 4);
  EXPECT_EQ(to, 0x04030201u);
}

// ParseNumber must give bit for bit what atof gives (signed zeros and infinities too).
void ExpectSameAsAtof(const std::string& word) {
  double value = 12345.0;
  ASSERT_TRUE(hostbase::ParseNumber(word.data(), word.size(), value)) << word;
  const double expected = std::atof(word.c_str());
  EXPECT_EQ(std::memcmp(&value, &expected, sizeof value), 0)
      << word << ": " << value << " against atof " << expected;
}

// Every decimal word, as atof reads it: limits, subnormals, signed zeros, huge exponents,
// up to 19 digits with a small exponent (the fast path) and just beyond; random words too.
TEST(NumberText, AcceptsDecimalNotationAndMatchesAtof) {
  // clang-format off
  const char* const words[] = {
      "0", "5", "+5", "-5", "5.", ".5", "+.5e-3", "1E+05", "-.5e-3", "007",
      "1.25e-0", "123456789012345678901234567890", "0.000000000000000000000000000001",
      "1e999999999999999999", "1.7976931348623157e308", "1.7976931348623158e308",
      "1.7976931348623159e308", "-2e308", "1e309", "4.9e-324", "2.4703282292062328e-324",
      "2.4703282292062327e-324", "-2.4e-324", "1e-400", "-1e-400", "0.0000001e-317",
      "2.2250738585072011e-308", "2.2250738585072014e-308", "0.1", "9007199254740993",
      "9007199254740993.0000000001", "-0", "-0.0e5", "0e-99999", "1e-99999999999999999999",
      "-1e99999999999999999999", "1000e-326", "0.001e311", "9007199254740992e22",
      "9007199254740993e-22", "1e22", "1e23", "1e-22", "1e-23", "1234567890123456789",
      "12345678901234567890", "-0.000e-22", "4.35", "-61.700001"};
  // clang-format on
  for (const char* word : words) ExpectSameAsAtof(word);
  ExpectSameAsAtof("1" + std::string(400, '7') + "e-100");  // digits beyond any double
  std::mt19937_64 random(7);
  std::uniform_int_distribution<int> length(1, 19), exponent(-25, 25), pick(0, 2);
  for (int i = 0; i < 200000 && !HasFailure(); ++i) {
    std::string digits = std::to_string(random());
    digits.resize(std::min<std::size_t>(digits.size(), static_cast<std::size_t>(length(random))));
    const auto point = std::uniform_int_distribution<std::size_t>(0, digits.size())(random);
    std::string word =
        (pick(random) == 0 ? "-" : "") + digits.substr(0, point) + "." + digits.substr(point);
    if (pick(random) != 0) word += "e" + std::to_string(exponent(random));
    ExpectSameAsAtof(word);
  }
}

TEST(NumberText, RejectsEverythingElseAndReadsOnlyTheGivenLength) {
  for (const char* word :
       {"",     "+",   "-",    ".",   "+.",    "e5",       ".e5",   "5e",  "5e+", "5e-",
        "0x10", "inf", "-inf", "nan", "NaN",   "infinity", "1.2.3", "5#x", "1,5", " 5",
        "5 ",   "5\n", "--5",  "+-5", "5e5.5", "5ee5",     "1e5e5", "abc", "5d"}) {
    double value = 7.0;
    EXPECT_FALSE(hostbase::ParseNumber(word, std::strlen(word), value)) << '"' << word << '"';
    EXPECT_EQ(value, 7.0) << "value changed for \"" << word << '"';
  }
  double value = 7.0;
  EXPECT_FALSE(hostbase::ParseNumber(nullptr, 0, value));
  ASSERT_TRUE(hostbase::ParseNumber("12.5abc", 4, value));
  EXPECT_EQ(value, 12.5);
  EXPECT_FALSE(hostbase::ParseNumber("12.5abc", 5, value));
}

TEST(FormatString, FormatsShortAndLongTexts) {
  std::string out = "old";
  const std::string longText(5000, 'x');
  ASSERT_TRUE(hostbase::FormatString(out, "[%s|%.3f]", longText.c_str(), 1.5));
  EXPECT_EQ(out, "[" + longText + "|1.500]");
  ASSERT_TRUE(hostbase::FormatString(out, "%s", ""));
  EXPECT_EQ(out, "");
#if !defined(_WIN32)
  EXPECT_FALSE(hostbase::FormatString(out, "%lc", wint_t{0xD800}));  // no multibyte form
#endif
}

}  // namespace
