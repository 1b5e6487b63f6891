// Runs a clean-up action when a scope is left, also by an exception.
#pragma once

#include <utility>

template <class Action>
class LatScopeExit {
 public:
  explicit LatScopeExit(Action action) noexcept : action_(std::move(action)) {}
  ~LatScopeExit() { action_(); }
  LatScopeExit(const LatScopeExit&) = delete;
  LatScopeExit& operator=(const LatScopeExit&) = delete;

 private:
  Action action_;
};
