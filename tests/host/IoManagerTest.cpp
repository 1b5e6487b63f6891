// The manager: session and saved options, options-string readings, and the sinks.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <string>

#include "hostfw/IoManager.h"

namespace {

using hostfw::IoManager;

TEST(IoManagerOptions, SessionValuesAndSavedValuesAreSeparate) {
  IoManager manager;
  manager.SetOption("BlankMethod", 2, false);
  manager.SetOption("FixedBlankValue", -1.5, true);
  int method = -1;
  double fixed = 0.0;
  EXPECT_TRUE(manager.GetOption("BlankMethod", method, false));
  EXPECT_EQ(method, 2);
  EXPECT_TRUE(manager.GetOption("FixedBlankValue", fixed, false));
  EXPECT_EQ(fixed, -1.5);
  EXPECT_EQ(manager.SavedOptionsText(), "FixedBlankValue=-1.5\n");

  IoManager next;
  next.LoadSavedOptions(manager.SavedOptionsText());
  fixed = 7.0;
  EXPECT_FALSE(next.GetOption("FixedBlankValue", fixed, false));  // not in this session
  EXPECT_EQ(fixed, 7.0);
  EXPECT_TRUE(next.GetOption("FixedBlankValue", fixed, true));
  EXPECT_EQ(fixed, -1.5);
  EXPECT_FALSE(next.GetOption("BlankMethod", method, true));
  EXPECT_EQ(method, 2);
  next.SetOption("FixedBlankValue", 3.0, false);  // the session's value comes first
  EXPECT_TRUE(next.GetOption("FixedBlankValue", fixed, true));
  EXPECT_EQ(fixed, 3.0);
}

TEST(IoManagerOptions, DoublesRoundTripExactly) {
  IoManager manager;
  for (double value : {0.1, -DBL_MAX, DBL_MAX, 5e-324, 1.0 / 3.0, -0.0, 123456789.0}) {
    manager.SetOption("V", value, true);
    double back = 1.0;
    ASSERT_TRUE(manager.GetOption("V", back, false)) << value;
    EXPECT_EQ(back, value);
    EXPECT_EQ(std::signbit(back), std::signbit(value));
  }
  manager.SetOption("I", -2147483647 - 1, false);
  EXPECT_EQ(manager.OptionsInStringForm(','), "I=-2147483648,V=123456789");
}

TEST(IoManagerOptions, WrongKindOfValueLeavesTheValueAlone) {
  IoManager manager;
  manager.SetOption("Real", 2.5, false);
  int asInt = 9;
  EXPECT_FALSE(manager.GetOption("Real", asInt, false));
  EXPECT_EQ(asInt, 9);
  manager.SetOption("Whole", 4, false);
  double asDouble = 0.0;
  EXPECT_TRUE(manager.GetOption("Whole", asDouble, false));
  EXPECT_EQ(asDouble, 4.0);
  EXPECT_FALSE(manager.GetOption(nullptr, asDouble, true));
}

TEST(IoManagerOptions, LoadingReplacesTheStoreAndSkipsBadLines) {
  IoManager manager;
  manager.SetOption("Old", 1, true);
  manager.LoadSavedOptions("A=1\r\nnot an option\n=5\nB=2.5\n\nC=x=y");
  EXPECT_EQ(manager.SavedOptionsText(), "A=1\nB=2.5\nC=x=y\n");
}

// Stray carriage returns at a line's end are line-end noise: the value reads the same
// before and after the store is saved and loaded again.
TEST(IoManagerOptions, TrailingCarriageReturnsAreNotPartOfTheValue) {
  IoManager manager;
  manager.LoadSavedOptions("BlankMethod=3\r\r\r\nFixedBlankValue=2.5\r\r");
  int method = 0;
  double fixed = 0.0;
  EXPECT_TRUE(manager.GetOption("BlankMethod", method, true));
  EXPECT_EQ(method, 3);
  EXPECT_TRUE(manager.GetOption("FixedBlankValue", fixed, true));
  EXPECT_EQ(fixed, 2.5);
  const std::string saved = manager.SavedOptionsText();
  EXPECT_EQ(saved, "BlankMethod=3\nFixedBlankValue=2.5\n");
  manager.LoadSavedOptions(saved);
  EXPECT_EQ(manager.SavedOptionsText(), saved);
}

TEST(IoManagerOptions, OptionsStringReadings) {
  IoManager manager;
  const char* options = "Defaults, BlankMethod=2 ,FixedBlankValue=1e3,Flag=off,Bad=x";
  bool flag = false;
  int method = 0;
  double fixed = 0.0;
  EXPECT_TRUE(manager.GetStringOption(options, "defaults", flag));
  EXPECT_TRUE(flag);
  EXPECT_TRUE(manager.GetStringOption(options, "Flag", flag));
  EXPECT_FALSE(flag);
  EXPECT_TRUE(manager.GetStringOption(options, "BlankMethod", method));
  EXPECT_EQ(method, 2);
  EXPECT_TRUE(manager.GetStringOption(options, "FixedBlankValue", fixed));
  EXPECT_EQ(fixed, 1000.0);
  EXPECT_FALSE(manager.GetStringOption(options, "Bad", method));
  EXPECT_FALSE(manager.GetStringOption(options, "Missing", fixed));
  EXPECT_EQ(method, 2);
  EXPECT_EQ(fixed, 1000.0);
}

}  // namespace
