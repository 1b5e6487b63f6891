// Ctrl-C during an import: while a guard lives, SIGINT only raises a flag that the
// progress display turns into a "cancelled" answer to the plug-in.
#pragma once

#include <csignal>

namespace lattool {

class InterruptGuard {
 public:
  // Clears the flag and installs the handler; the destructor restores the previous one.
  InterruptGuard();
  ~InterruptGuard();
  InterruptGuard(const InterruptGuard&) = delete;
  InterruptGuard& operator=(const InterruptGuard&) = delete;

  // Set (non-zero) once SIGINT arrived while a guard was installed.
  static const volatile std::sig_atomic_t& Flag() noexcept;

 private:
  using Handler = void (*)(int);
  Handler previous_;
};

}  // namespace lattool
