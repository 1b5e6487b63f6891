// The handler of SIGINT, SIGTERM and SIGHUP and the flags it may touch.
#include "InterruptGuard.h"

#include <cstddef>
#include <cstdio>
#include <iterator>

namespace lattool {

namespace {

// Written only by the signal handler (and by a guard before it installs the handler): a
// signal handler can reach nothing but objects of static storage.
volatile std::sig_atomic_t interrupted = 0;
volatile std::sig_atomic_t terminatingSignal = 0;  // SIGTERM or SIGHUP, once one came

#if defined(SIGHUP)
constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};
#else
constexpr int kSignals[] = {SIGINT, SIGTERM};
#endif

void OnSignal(int signal) {
  if (signal != SIGINT) terminatingSignal = signal;
  interrupted = 1;
}

}  // namespace

InterruptGuard::InterruptGuard() : previous_{SIG_ERR, SIG_ERR, SIG_ERR} {
  interrupted = terminatingSignal != 0 ? 1 : 0;
  for (std::size_t i = 0; i < std::size(kSignals); ++i) {
    previous_[i] = std::signal(kSignals[i], OnSignal);
#if defined(SIGHUP)
    // Under nohup a hangup stays ignored.
    if (kSignals[i] == SIGHUP && previous_[i] == SIG_IGN) std::signal(SIGHUP, SIG_IGN);
#endif
  }
}

InterruptGuard::~InterruptGuard() {
  for (std::size_t i = 0; i < std::size(kSignals); ++i) {
    if (previous_[i] != SIG_ERR) std::signal(kSignals[i], previous_[i]);
  }
}

const volatile std::sig_atomic_t& InterruptGuard::Flag() noexcept {
  return interrupted;
}

bool InterruptGuard::Terminating() noexcept {
  return terminatingSignal != 0;
}

void InterruptGuard::EndByTerminatingSignal() noexcept {
  const int signal = terminatingSignal;
  if (signal == 0) return;
  std::fflush(nullptr);
  std::signal(signal, SIG_DFL);
  std::raise(signal);
}

}  // namespace lattool
