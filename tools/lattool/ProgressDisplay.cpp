// Draws the import's progress line (name, bar, percentage, throughput) at most ten times
// a second and answers the plug-in's progress reports.
#include "ProgressDisplay.h"

#include <algorithm>
#include <array>
#include <utility>

#if defined(_WIN32)
#include <io.h>
#else
#include <unistd.h>
#endif

namespace lattool {

namespace {

constexpr int kBarWidth = 30;

}  // namespace

ProgressDisplay::ProgressDisplay(std::string fileName, std::uint64_t fileSize, std::FILE* out,
                                 const volatile std::sig_atomic_t& cancel, Now now)
    : fileName_(std::move(fileName)),
      fileSize_(fileSize),
      out_(out),
      cancel_(cancel),
      now_(std::move(now)) {}

ProgressDisplay::~ProgressDisplay() {
  Clear();
}

bool ProgressDisplay::Begin(const std::string& /*message*/) {
  start_ = now_();
  drawn_ = false;
  return cancel_ == 0;
}

bool ProgressDisplay::Proportion(double fraction) {
  if (cancel_ != 0) return false;
  if (out_ != nullptr) {
    const Clock::time_point now = now_();
    if (!drawn_ || now - lastDraw_ >= kRedrawInterval) Draw(fraction, now);
  }
  return true;
}

void ProgressDisplay::Stop() {
  Clear();
}

void ProgressDisplay::Draw(double fraction, Clock::time_point now) {
  fraction = std::clamp(fraction, 0.0, 1.0);
  const double seconds = std::chrono::duration<double>(now - start_).count();
  const double megabytes = static_cast<double>(fileSize_) * fraction / 1e6;
  const double rate = seconds > 0 ? megabytes / seconds : 0.0;
  std::array<char, kBarWidth + 1> bar{};
  const int filled = static_cast<int>(fraction * kBarWidth);
  for (int i = 0; i < kBarWidth; ++i) bar[static_cast<std::size_t>(i)] = i < filled ? '#' : '.';
  std::fprintf(out_, "\r%s [%s] %3d%% %8.1f MB/s\x1b[K", fileName_.c_str(), bar.data(),
               static_cast<int>(fraction * 100.0), rate);
  std::fflush(out_);
  lastDraw_ = now;
  drawn_ = true;
}

void ProgressDisplay::Clear() {
  if (!drawn_) return;
  std::fputs("\r\x1b[K", out_);
  std::fflush(out_);
  drawn_ = false;
}

bool ProgressDisplay::StderrIsTerminal() noexcept {
#if defined(_WIN32)
  return _isatty(_fileno(stderr)) != 0;
#else
  return isatty(STDERR_FILENO) != 0;
#endif
}

}  // namespace lattool
