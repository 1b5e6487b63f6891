// The manager: session and saved options, options-string readings, and the sinks.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <string>
#include <vector>

#include "FakeImportFilter.h"
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
}

TEST(IoManagerOptions, SessionValueComesBeforeTheSavedOne) {
  IoManager manager;
  manager.LoadSavedOptions("BlankMethod=1\n");
  manager.SetOption("BlankMethod", 3, false);
  int method = 0;
  EXPECT_TRUE(manager.GetOption("BlankMethod", method, true));
  EXPECT_EQ(method, 3);
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

TEST(IoManagerOptions, FormatNameDefaultsToTheLatFormat) {
  EXPECT_EQ(IoManager().formatName, "Iris Explorer LAT");
  EXPECT_EQ(IoManager("Other").formatName, "Other");
}

class Recorder : public hostfw::IoProgressSink, public hostfw::IoMessageSink {
 public:
  bool Begin(const std::string& message) override {
    events.push_back("begin " + message);
    return !cancel;
  }
  bool Proportion(double fraction) override {
    events.push_back("at " + std::to_string(fraction));
    return !cancel;
  }
  void Stop() override { events.emplace_back("stop"); }
  void Warning(const std::string& text) override { events.push_back("warning " + text); }
  void ShowHelp(const std::string& topic) override { events.push_back("help " + topic); }
  std::vector<std::string> events;
  bool cancel = false;
};

TEST(IoManagerSinks, WithoutSinksNothingIsCancelledAndNothingBreaks) {
  IoManager manager;
  EXPECT_TRUE(manager.ProgressBegin("x"));
  EXPECT_TRUE(manager.ProgressProportion(0.5));
  manager.ProgressStop();
  hostfw::TrLatticeEnd end;
  EXPECT_TRUE(manager.DeliverObject(end));
  manager.ReportWarning("dropped");
  manager.ShowHelp("dropped");
}

TEST(IoManagerSinks, FilterServicesReachTheSinks) {
  IoManager manager;
  Recorder recorder;
  manager.SetProgressSink(&recorder);
  manager.SetMessageSink(&recorder);
  hosttest::FakeImportFilter filter(manager);
  EXPECT_EQ(filter.Warning(hostbase::IError::WarnStyle_Warning, "Data type changed"), 0);
#if !defined(_WIN32)  // Windows opens the topic's file itself (tests/windows)
  filter.ShowHelp("Lat-Export.htm", nullptr);
  ASSERT_EQ(recorder.events.size(), 2u);
  EXPECT_EQ(recorder.events[1], "help Lat-Export.htm");
  recorder.events.pop_back();
#endif
  EXPECT_TRUE(manager.ProgressBegin("go"));
  recorder.cancel = true;
  EXPECT_FALSE(manager.ProgressProportion(0.25));
  manager.ProgressStop();
  EXPECT_EQ(recorder.events, (std::vector<std::string>{"warning Data type changed", "begin go",
                                                       "at 0.250000", "stop"}));
}

TEST(IoFilterBase, DefaultsOfTheBase) {
  IoManager manager;
  manager.SetOption("B", 2, false);
  manager.SetOption("A", 1.5, false);
  hosttest::FakeImportFilter filter(manager);
  EXPECT_EQ(filter.GetOptionStringDelimiter(), ',');
  EXPECT_EQ(filter.GetOptionsInStringFormWorker(","), "A=1.5,B=2");
  EXPECT_EQ(filter.GetOptionsInStringFormWorker(";"), "A=1.5;B=2");
  EXPECT_EQ(filter.GetOptionsInStringFormWorker(""), "A=1.5,B=2");
  EXPECT_EQ(filter.GetOptionsInStringForm(), "A=1.5,B=2");
  EXPECT_FALSE(filter.IsObjectTypeSupported(hostfw::TrLatticeEnd::GetClassTypeId()));
  std::string value;
  EXPECT_TRUE(filter.GetStringOption("x=1, Key = v ", "KEY", value));
  EXPECT_EQ(value, "v");
  std::vector<hostfw::IoPropertyPage*> pages;
  filter.GetPropertyPages(pages, "a.lat");
  EXPECT_TRUE(pages.empty());
  EXPECT_EQ(&filter.GetManager(), &manager);
}

}  // namespace
