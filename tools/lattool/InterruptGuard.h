// Ctrl-C, SIGTERM and SIGHUP during an import or export: while a guard lives, each only
// raises a flag that the progress display turns into a "cancelled" answer to the plug-in,
// so the export it feeds is abandoned and its temporary file removed. SIGTERM and SIGHUP
// are remembered: lattool drops even a completed output, and once everything is cleaned
// up ends by the same signal (exit status 128 + signal: 143 and 129 in a shell).
#pragma once

#include <csignal>

namespace lattool {

class InterruptGuard {
 public:
  // Installs the handlers and clears the flag (unless a SIGTERM or SIGHUP already came);
  // the destructor restores the previous handlers.
  InterruptGuard();
  ~InterruptGuard();
  InterruptGuard(const InterruptGuard&) = delete;
  InterruptGuard& operator=(const InterruptGuard&) = delete;

  // Set (non-zero) once a signal arrived while a guard was installed.
  static const volatile std::sig_atomic_t& Flag() noexcept;
  // Whether SIGTERM or SIGHUP arrived: lattool must stop, not only the current import.
  static bool Terminating() noexcept;
  // After lattool has cleaned up: ends the process by the SIGTERM or SIGHUP it received,
  // with the system's default action. Returns when none came.
  static void EndByTerminatingSignal() noexcept;

 private:
  using Handler = void (*)(int);
  Handler previous_[3];
};

}  // namespace lattool
