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
  // A whole number reads as a double; a real does not read as an int.
  double asDouble = 0.0;
  EXPECT_TRUE(manager.GetOption("I", asDouble, false));
  EXPECT_EQ(asDouble, -2147483648.0);
  int asInt = 9;
  manager.SetOption("V", 2.5, false);
  EXPECT_FALSE(manager.GetOption("V", asInt, false));
  EXPECT_EQ(asInt, 9);
  EXPECT_FALSE(manager.GetOption(nullptr, asDouble, true));
}

// Loading replaces the store and skips bad lines; stray carriage returns at a line's end
// are line-end noise, so the value reads the same after the store is saved and loaded.
TEST(IoManagerOptions, LoadingReplacesTheStoreAndSkipsBadLines) {
  IoManager manager;
  manager.SetOption("Old", 1, true);
  manager.LoadSavedOptions("A=1\r\nnot an option\n=5\nB=2.5\r\r\r\n\nC=x=y\r\r");
  const std::string saved = manager.SavedOptionsText();
  EXPECT_EQ(saved, "A=1\nB=2.5\nC=x=y\n");
  manager.LoadSavedOptions(saved);
  EXPECT_EQ(manager.SavedOptionsText(), saved);
  double b = 0.0;
  EXPECT_TRUE(manager.GetOption("B", b, true));
  EXPECT_EQ(b, 2.5);
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
