// The progress display: cancel answers after Ctrl-C, and what the bar shows and when.
#include "ProgressDisplay.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <string>

#include "InterruptGuard.h"

namespace lattool {
namespace {

using namespace std::chrono_literals;

// A clock the test moves by hand.
struct ManualClock {
  ProgressDisplay::Clock::time_point now{};
  ProgressDisplay::Now Function() {
    return [this] { return now; };
  }
};

// Everything written to a temporary file so far.
std::string Contents(std::FILE* file) {
  const long size = std::ftell(file);
  std::string text(static_cast<std::size_t>(size), '\0');
  std::rewind(file);
  text.resize(std::fread(text.data(), 1, text.size(), file));
  std::fseek(file, 0, SEEK_END);
  return text;
}

TEST(ProgressDisplayCancel, ReportsAnswerTrueUntilTheFlagIsRaisedThenFalse) {
  volatile std::sig_atomic_t cancel = 0;
  ProgressDisplay display("f.lat", 1000, nullptr, cancel);
  EXPECT_TRUE(display.Begin("Importing"));
  EXPECT_TRUE(display.Proportion(0.1));
  cancel = 1;
  EXPECT_FALSE(display.Proportion(0.2));
  EXPECT_FALSE(display.Proportion(0.3));
  EXPECT_FALSE(display.Begin("again"));
}

TEST(ProgressDisplayCancel, SigintDuringAGuardRaisesTheFlagAndTheNextReportCancels) {
  ProgressDisplay::Clock::time_point never{};
  {
    InterruptGuard guard;
    ProgressDisplay display("f.lat", 0, nullptr, InterruptGuard::Flag(), [&] { return never; });
    EXPECT_TRUE(display.Begin("Importing"));
    EXPECT_TRUE(display.Proportion(0.5));
    ASSERT_EQ(std::raise(SIGINT), 0);  // the guard's handler, not the default action
    EXPECT_NE(InterruptGuard::Flag(), 0);
    EXPECT_FALSE(display.Proportion(0.6));
  }
  InterruptGuard next;  // a new import starts uncancelled
  EXPECT_EQ(InterruptGuard::Flag(), 0);
}

TEST(ProgressDisplayDrawing, ShowsNamePercentageAndThroughputThenClears) {
  std::FILE* out = std::tmpfile();
  ASSERT_NE(out, nullptr);
  volatile std::sig_atomic_t cancel = 0;
  ManualClock clock;
  {
    ProgressDisplay display("big.lat", 200'000'000, out, cancel, clock.Function());
    display.Begin("Importing Iris Explorer LAT file big.lat");
    clock.now += 1s;
    display.Proportion(0.25);  // 50 MB in one second
    const std::string bar = Contents(out);
    EXPECT_NE(bar.find("big.lat"), std::string::npos) << bar;
    EXPECT_NE(bar.find(" 25%"), std::string::npos) << bar;
    EXPECT_NE(bar.find("50.0 MB/s"), std::string::npos) << bar;
    EXPECT_EQ(bar.front(), '\r');
    display.Stop();
    const std::string all = Contents(out);
    EXPECT_EQ(all.substr(bar.size()), "\r\x1b[K");
    display.Stop();  // a second end clears nothing more
    EXPECT_EQ(Contents(out), all);
  }
  std::fclose(out);
}

TEST(ProgressDisplayDrawing, RedrawsAtMostTenTimesASecond) {
  std::FILE* out = std::tmpfile();
  ASSERT_NE(out, nullptr);
  volatile std::sig_atomic_t cancel = 0;
  ManualClock clock;
  ProgressDisplay display("f.lat", 1000, out, cancel, clock.Function());
  display.Begin("Importing");
  display.Proportion(0.1);
  const std::size_t first = Contents(out).size();
  clock.now += 50ms;
  display.Proportion(0.2);
  EXPECT_EQ(Contents(out).size(), first);
  clock.now += 50ms;
  display.Proportion(0.3);
  const std::string text = Contents(out);
  EXPECT_GT(text.size(), first);
  EXPECT_NE(text.find(" 30%"), std::string::npos);
  EXPECT_EQ(text.find(" 20%"), std::string::npos);
  display.Stop();
  std::fclose(out);
}

}  // namespace
}  // namespace lattool
