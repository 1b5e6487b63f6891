// Options strings: finding keys, and the typed readings of their values.
#include <gtest/gtest.h>

#include <string>

#include "hostaux/Options.h"

namespace {

using hostaux::CommonGetStringOption;

// The value of `key` in `options`, or "<absent>".
std::string Get(const char* options, const char* key, char delimiter = ',') {
  std::string value = "<absent>";
  const bool found = CommonGetStringOption(options, key, delimiter, value);
  EXPECT_EQ(found, value != "<absent>") << key << " in " << (options ? options : "null");
  return value;
}

TEST(OptionString, FindsKeysWithoutRegardToCaseOrBlanks) {
  const char* options = " BlankMethod = 2 ,FixedBlankValue=-1.5e3,  Defaults ";
  EXPECT_EQ(Get(options, "BlankMethod"), "2");
  EXPECT_EQ(Get(options, "blankmethod"), "2");
  EXPECT_EQ(Get(options, "FIXEDBLANKVALUE"), "-1.5e3");
  EXPECT_EQ(Get(options, "Defaults"), "true");  // a bare key switches on
  EXPECT_EQ(Get(options, "ForgetOptions"), "<absent>");
  EXPECT_EQ(Get(options, "Blank"), "<absent>");  // no prefix matches
  EXPECT_EQ(Get(options, "Method"), "<absent>");
}

TEST(OptionString, LastOccurrenceWins) {
  EXPECT_EQ(Get("A=1,a=2,A = 3", "a"), "3");
  EXPECT_EQ(Get("A=1,B=2,A", "A"), "true");
  EXPECT_EQ(Get("A,B=2,A=0", "A"), "0");
}

TEST(OptionString, EmptyValuesItemsAndStrings) {
  EXPECT_EQ(Get("A=,B=2", "A"), "");
  EXPECT_EQ(Get(",,A=1,,", "A"), "1");
  EXPECT_EQ(Get("", "A"), "<absent>");
  EXPECT_EQ(Get(nullptr, "A"), "<absent>");
  EXPECT_EQ(Get("=5", ""), "<absent>");
  EXPECT_EQ(Get("A=1", nullptr), "<absent>");
  EXPECT_EQ(Get("A=x=y", "A"), "x=y");  // only the first '=' splits
}

TEST(OptionString, OtherDelimiters) {
  EXPECT_EQ(Get("A=1;B=2,3", "B", ';'), "2,3");
  EXPECT_EQ(Get("A=1;B=2,3", "B"), "<absent>");  // ',' splits "A=1;B=2" from "3"
  EXPECT_EQ(Get("A=1;B=2,3", "A"), "1;B=2");
  EXPECT_EQ(Get("A=1\nB=2", "B", '\n'), "2");
}

TEST(OptionValues, Bools) {
  for (const char* yes : {"1", "true", "TRUE", "Yes", "on", "ON"}) {
    bool value = false;
    EXPECT_TRUE(hostaux::ParseBoolOption(yes, value)) << yes;
    EXPECT_TRUE(value) << yes;
  }
  for (const char* no : {"0", "false", "No", "OFF"}) {
    bool value = true;
    EXPECT_TRUE(hostaux::ParseBoolOption(no, value)) << no;
    EXPECT_FALSE(value) << no;
  }
  for (const char* bad : {"", "2", "truth", "y", "tru", "onn", "01"}) {
    bool value = true;
    EXPECT_FALSE(hostaux::ParseBoolOption(bad, value)) << bad;
    EXPECT_TRUE(value) << bad;
  }
}

TEST(OptionValues, Ints) {
  const std::pair<const char*, int> good[] = {{"0", 0},
                                              {"+7", 7},
                                              {"-7", -7},
                                              {"2147483647", 2147483647},
                                              {"-2147483648", -2147483647 - 1},
                                              {"000012", 12}};
  for (auto [text, expected] : good) {
    int value = 99;
    EXPECT_TRUE(hostaux::ParseIntOption(text, value)) << text;
    EXPECT_EQ(value, expected) << text;
  }
  for (const char* bad : {"", "+", "-", "2147483648", "-2147483649", "1.0", "1e3", " 1", "1 ",
                          "+-1", "-+1", "0x10", "twelve", "99999999999999999999"}) {
    int value = 99;
    EXPECT_FALSE(hostaux::ParseIntOption(bad, value)) << bad;
    EXPECT_EQ(value, 99) << bad;
  }
}

TEST(OptionValues, Doubles) {
  double value = 0.0;
  EXPECT_TRUE(hostaux::ParseDoubleOption("-1.5e3", value));
  EXPECT_EQ(value, -1500.0);
  EXPECT_TRUE(hostaux::ParseDoubleOption("1.7976931348623157e308", value));
  EXPECT_EQ(value, 1.7976931348623157e308);
  EXPECT_TRUE(hostaux::ParseDoubleOption("1e-400", value));
  EXPECT_EQ(value, 0.0);
  for (const char* bad : {"", "2e308", "-1e999", "inf", "nan", "1,5", "x", " 1"}) {
    value = 4.0;
    EXPECT_FALSE(hostaux::ParseDoubleOption(bad, value)) << bad;
    EXPECT_EQ(value, 4.0) << bad;
  }
}

}  // namespace
