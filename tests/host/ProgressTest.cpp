// The progress reporter: the formatted message starts the report, fractions are
// forwarded, and the report is stopped whenever the reporter goes.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "hostfw/IoManager.h"
#include "hostfw/Progress.h"

namespace {

class ProgressLog : public hostfw::IoProgressSink {
 public:
  bool Begin(const std::string& message) override {
    events.push_back("begin " + message);
    return answer;
  }
  bool Proportion(double fraction) override {
    events.push_back("at " + std::to_string(fraction));
    return answer;
  }
  void Stop() override { events.emplace_back("stop"); }
  std::vector<std::string> events;
  bool answer = true;
};

class Progress : public ::testing::Test {
 protected:
  Progress() { manager_.SetProgressSink(&log_); }
  hostfw::IoManager manager_;
  ProgressLog log_;
};

TEST_F(Progress, MessageProportionAndStopReachTheSinkInOrder) {
  {
    hostfw::CProgress progress(manager_, nullptr, true, true);
    EXPECT_TRUE(log_.events.empty());  // nothing starts before the message
    EXPECT_TRUE(progress.MessageVA("Importing Iris Explorer LAT file %s", "a.lat"));
    EXPECT_TRUE(progress.Proportion(0.5));
    EXPECT_EQ(&progress.GetManager(), &manager_);
  }
  EXPECT_EQ(log_.events, (std::vector<std::string>{"begin Importing Iris Explorer LAT file a.lat",
                                                   "at 0.500000", "stop"}));
}

TEST_F(Progress, CancelIsReported) {
  log_.answer = false;
  hostfw::CProgress progress(manager_, nullptr, true, true);
  EXPECT_FALSE(progress.MessageVA("%d%%", 10));
  EXPECT_FALSE(progress.Proportion(0.1));
  EXPECT_EQ(log_.events.front(), "begin 10%");
}

TEST_F(Progress, LongMessagesAreFormattedWhole) {
  const std::string name(3000, 'n');
  {
    hostfw::CProgress progress(manager_, "title", false, false);
    progress.MessageVA("Exporting Iris Explorer LAT file %s", name.c_str());
  }
  ASSERT_EQ(log_.events.size(), 2u);
  EXPECT_EQ(log_.events[0], "begin Exporting Iris Explorer LAT file " + name);
}

TEST_F(Progress, StopIsCalledWhenAnErrorUnwindsTheReporter) {
  try {
    hostfw::CProgress progress(manager_, nullptr, true, true);
    progress.MessageVA("work");
    throw std::runtime_error("failed");
  } catch (const std::runtime_error&) {
  }
  EXPECT_EQ(log_.events, (std::vector<std::string>{"begin work", "stop"}));
}

}  // namespace
