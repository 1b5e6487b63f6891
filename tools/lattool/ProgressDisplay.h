// The progress bar of an import on the terminal, and the cancel answer to the plug-in.
#pragma once

#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>

#include "hostfw/IoManager.h"

namespace lattool {

class ProgressDisplay : public hostfw::IoProgressSink {
 public:
  using Clock = std::chrono::steady_clock;
  using Now = std::function<Clock::time_point()>;

  // Draws on `out` (null: draws nothing) the bar of `fileName`, `fileSize` bytes long.
  // Once `cancel` is non-zero every report answers false.
  ProgressDisplay(std::string fileName, std::uint64_t fileSize, std::FILE* out,
                  const volatile std::sig_atomic_t& cancel, Now now = Clock::now);
  ~ProgressDisplay() override;
  ProgressDisplay(const ProgressDisplay&) = delete;
  ProgressDisplay& operator=(const ProgressDisplay&) = delete;

  bool Begin(const std::string& message) override;
  bool Proportion(double fraction) override;
  void Stop() override;

  // Whether stderr is a terminal, where the bar is worth drawing.
  static bool StderrIsTerminal() noexcept;

 private:
  static constexpr std::chrono::milliseconds kRedrawInterval{100};

  void Draw(double fraction, Clock::time_point now);
  void Clear();

  std::string fileName_;
  std::uint64_t fileSize_;
  std::FILE* out_;
  const volatile std::sig_atomic_t& cancel_;
  Now now_;
  Clock::time_point start_{};
  Clock::time_point lastDraw_{};
  bool drawn_ = false;
};

}  // namespace lattool
