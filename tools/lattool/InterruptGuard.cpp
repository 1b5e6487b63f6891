// The SIGINT handler and the one flag it may touch.
#include "InterruptGuard.h"

namespace lattool {

namespace {

// Written only by the signal handler (and cleared before it is installed): a signal
// handler can reach nothing but an object of static storage.
volatile std::sig_atomic_t interrupted = 0;

void OnInterrupt(int) {
  interrupted = 1;
}

}  // namespace

InterruptGuard::InterruptGuard() {
  interrupted = 0;
  previous_ = std::signal(SIGINT, OnInterrupt);
}

InterruptGuard::~InterruptGuard() {
  if (previous_ != SIG_ERR) std::signal(SIGINT, previous_);
}

const volatile std::sig_atomic_t& InterruptGuard::Flag() noexcept {
  return interrupted;
}

}  // namespace lattool
