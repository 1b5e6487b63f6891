// Decimal number words (ParseNumber against atof) and FormatString.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

#include "hostbase/Text.h"

namespace {

using hostbase::FormatString;
using hostbase::ParseNumber;

bool Parse(const std::string& word, double& value) {
  return ParseNumber(word.data(), word.size(), value);
}

// ParseNumber must give bit for bit what atof gives (signed zeros and infinities too).
void ExpectSameAsAtof(const std::string& word) {
  double value = 12345.0;
  ASSERT_TRUE(Parse(word, value)) << word;
  const double expected = std::atof(word.c_str());
  EXPECT_EQ(std::memcmp(&value, &expected, sizeof value), 0)
      << word << ": " << value << " against atof " << expected;
}

// Every word in decimal notation is a number, parsed bit for bit as atof parses it: at the
// limits of the doubles, the subnormals, signed zeros, exponents far out of range, and
// words of up to 19 digits with a small exponent (one power of ten, and just beyond).
TEST(NumberText, AcceptsDecimalNotationAndMatchesAtofAtTheBoundaries) {
  // clang-format off
  const char* const words[] = {
      "0", "5", "+5", "-5", "5.", ".5", "-.5", "+.5e-3", "1e5", "1E+05", "-.5e-3", "007",
      "1.25e-0", "123456789012345678901234567890", "0.000000000000000000000000000001",
      "1e999999999999999999", "1.7976931348623157e308", "1.7976931348623158e308",
      "1.7976931348623159e308", "2e308", "-2e308", "1e309", "4.9e-324", "2.4703282292062328e-324",
      "2.4703282292062327e-324", "-2.4e-324", "1e-400", "-1e-400", "0.0000001e-317",
      "2.2250738585072011e-308", "2.2250738585072014e-308", "0.1", "9007199254740993",
      "9007199254740993.0000000001", "-0", "-0.0e5", "0e-99999", "1e-99999999999999999999",
      "-1e99999999999999999999", "1000e-326", "0.001e311", "9007199254740992e22",
      "9007199254740993e-22", "1e22", "1e23", "1e-22", "1e-23", "1234567890123456789",
      "12345678901234567890", "-0.000e-22", "4.35", "-61.700001"};
  // clang-format on
  for (const char* word : words) {
    ExpectSameAsAtof(word);
  }
  ExpectSameAsAtof("1" + std::string(400, '7') + "e-100");  // digits beyond any double
}

TEST(NumberText, RejectsEverythingElse) {
  for (const char* word :
       {"",     "+",   "-",    ".",   "+.",    "e5",       ".e5",   "5e",  "5e+", "5e-",
        "0x10", "inf", "-inf", "nan", "NaN",   "infinity", "1.2.3", "5#x", "1,5", " 5",
        "5 ",   "5\n", "--5",  "+-5", "5e5.5", "5ee5",     "1e5e5", "abc", "5d"}) {
    double value = 7.0;
    EXPECT_FALSE(Parse(word, value)) << '"' << word << '"';
    EXPECT_EQ(value, 7.0) << "value changed for \"" << word << '"';
  }
  double value = 7.0;
  EXPECT_FALSE(ParseNumber(nullptr, 0, value));
  // Exactly the given length is read.
  ASSERT_TRUE(ParseNumber("12.5abc", 4, value));
  EXPECT_EQ(value, 12.5);
  EXPECT_FALSE(ParseNumber("12.5abc", 5, value));
}

TEST(NumberText, RandomShortWordsMatchAtof) {
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

TEST(FormatString, FormatsShortAndLongTexts) {
  std::string out = "old";
  ASSERT_TRUE(FormatString(out, "%s has %d rows", "grid", 42));
  EXPECT_EQ(out, "grid has 42 rows");
  const std::string longText(5000, 'x');
  ASSERT_TRUE(FormatString(out, "[%s|%.3f]", longText.c_str(), 1.5));
  EXPECT_EQ(out, "[" + longText + "|1.500]");
  ASSERT_TRUE(FormatString(out, "%s", ""));
  EXPECT_EQ(out, "");
}

}  // namespace
