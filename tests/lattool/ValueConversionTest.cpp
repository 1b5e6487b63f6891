// JSON numbers stored as each primitive type: exact values at both ends of every type's
// range are kept, anything a type cannot hold is refused with the member and index named.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

#include "LatticeJson.h"
#include "ValueConversion.h"

namespace lattest {
namespace {

using lattool::NumberList;
using lattool::StoreAs;

NumberList Integers(std::initializer_list<std::int64_t> values) {
  NumberList list;
  for (std::int64_t v : values) list.AddInteger(v);
  return list;
}

NumberList Reals(std::initializer_list<double> values) {
  NumberList list;
  for (double v : values) list.AddReal(v);
  return list;
}

// Element i stored as T, or nothing when refused.
template <class T>
std::optional<T> Stored(int type, const NumberList& list, std::size_t i) {
  unsigned char bytes[8];
  std::memset(bytes, 0xAB, sizeof bytes);
  if (!StoreAs(type, list, i, bytes)) {
    EXPECT_EQ(bytes[0], 0xAB) << "a refused value was written";
    return std::nullopt;
  }
  T value;
  std::memcpy(&value, bytes, sizeof value);
  return value;
}

template <class T>
void ExpectIntegerLimits(int type) {
  using L = std::numeric_limits<T>;
  const auto low = static_cast<std::int64_t>(L::lowest());
  const auto high = static_cast<std::int64_t>(L::max());
  const NumberList list = Integers({low, high, low - 1, high + 1});
  EXPECT_EQ(Stored<T>(type, list, 0), L::lowest()) << type;
  EXPECT_EQ(Stored<T>(type, list, 1), L::max()) << type;
  EXPECT_FALSE(Stored<T>(type, list, 2)) << type;
  EXPECT_FALSE(Stored<T>(type, list, 3)) << type;
}

TEST(ValueConversion, IntegerTypesKeepTheirWholeRangeAndRefuseBeyond) {
  ExpectIntegerLimits<std::int8_t>(0);
  ExpectIntegerLimits<std::uint8_t>(1);
  ExpectIntegerLimits<std::int16_t>(2);
  ExpectIntegerLimits<std::uint16_t>(3);
  ExpectIntegerLimits<std::int32_t>(4);
  ExpectIntegerLimits<std::uint32_t>(5);
  const NumberList extremes = Integers(
      {std::numeric_limits<std::int64_t>::min(), std::numeric_limits<std::int64_t>::max()});
  EXPECT_EQ(Stored<std::int64_t>(6, extremes, 0), std::numeric_limits<std::int64_t>::min());
  EXPECT_EQ(Stored<std::int64_t>(6, extremes, 1), std::numeric_limits<std::int64_t>::max());
}

TEST(ValueConversion, IntegerTypesTakeWholeRealsOnly) {
  const NumberList list =
      Reals({-128.0, 2.0, 1.5, -0.5, NAN, INFINITY, 9223372036854775808.0, -9223372036854775808.0});
  EXPECT_EQ(Stored<std::int8_t>(0, list, 0), -128);
  EXPECT_EQ(Stored<std::int16_t>(2, list, 1), 2);
  for (std::size_t i : {2u, 3u, 4u, 5u}) {
    EXPECT_FALSE(Stored<std::int32_t>(4, list, i)) << i;
    EXPECT_FALSE(Stored<std::int64_t>(6, list, i)) << i;
  }
  EXPECT_FALSE(Stored<std::int64_t>(6, list, 6));  // 2^63
  EXPECT_EQ(Stored<std::int64_t>(6, list, 7), std::numeric_limits<std::int64_t>::min());
}

TEST(ValueConversion, FloatsRoundAndRefuseOnlyWhatOverflows) {
  constexpr float kMax = std::numeric_limits<float>::max();
  // Halfway between the largest float and 2^128 lies 3.40282356779733661e38.
  const NumberList list = Reals({0.1, 3.4028235e38, -3.4028235e38, 3.40282356e38, 3.4028236e38,
                                 -1e300, 1e-50, NAN, -INFINITY});
  EXPECT_EQ(Stored<float>(7, list, 0), 0.1f);
  EXPECT_EQ(Stored<float>(7, list, 1), kMax);  // the largest float as dump prints it
  EXPECT_EQ(Stored<float>(7, list, 2), -kMax);
  EXPECT_EQ(Stored<float>(7, list, 3), kMax);  // still rounds down to it
  EXPECT_FALSE(Stored<float>(7, list, 4));     // would round up to infinity
  EXPECT_FALSE(Stored<float>(7, list, 5));
  EXPECT_EQ(Stored<float>(7, list, 6), 0.0f);  // underflow is rounding, not overflow
  EXPECT_TRUE(std::isnan(*Stored<float>(7, list, 7)));
  EXPECT_EQ(Stored<float>(7, list, 8), -INFINITY);
  const NumberList big = Integers({16777217});
  EXPECT_EQ(Stored<float>(7, big, 0), 16777216.0f);
}

TEST(ValueConversion, DoublesTakeEveryNumber) {
  const NumberList list = Integers({std::numeric_limits<std::int64_t>::max(), -7});
  EXPECT_EQ(Stored<double>(8, list, 0), 9223372036854775807.0);
  EXPECT_EQ(Stored<double>(8, list, 1), -7.0);
  const NumberList reals = Reals({1e300, -INFINITY});
  EXPECT_EQ(Stored<double>(8, reals, 0), 1e300);
  EXPECT_EQ(Stored<double>(8, reals, 1), -INFINITY);
}

TEST(ValueConversion, ARangeStopsAtTheFirstRefusedNumberAndNamesIt) {
  const NumberList list = Integers({1, 2, 300, 4});
  std::int16_t wide[4];
  lattool::StoreRange(2, list, 0, 4, wide, "values");
  EXPECT_EQ(wide[2], 300);
  std::int8_t narrow[4];
  try {
    lattool::StoreRange(0, list, 1, 3, narrow, "values");
    ADD_FAILURE() << "300 was stored as an 8-bit value";
  } catch (const lattool::InputError& e) {
    EXPECT_EQ(std::string(e.what()), "\"values\"[2]: 300 does not fit 8-bit signed integer");
  }
  const NumberList reals = Reals({0.5, 2.25});
  try {
    lattool::StoreRange(4, reals, 1, 1, narrow, "xCoords");
    ADD_FAILURE() << "2.25 was stored as an integer";
  } catch (const lattool::InputError& e) {
    EXPECT_EQ(std::string(e.what()), "\"xCoords\"[1]: 2.25 does not fit 32-bit signed integer");
  }
}

}  // namespace
}  // namespace lattest
