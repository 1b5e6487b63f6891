// Runs a clean-up action when a scope is left, also by an exception.
#pragma once

#include <utility>

namespace hostbase {

template <class Action>
class ScopeExit {
 public:
  explicit ScopeExit(Action action) noexcept : action_(std::move(action)) {}
  ~ScopeExit() { action_(); }
  ScopeExit(const ScopeExit&) = delete;
  ScopeExit& operator=(const ScopeExit&) = delete;

 private:
  Action action_;
};

}  // namespace hostbase
