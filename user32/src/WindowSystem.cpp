// The registry of windows.
#include "WindowSystem.h"

#include <utility>

namespace user32::detail {

WindowSystem& WindowSystem::Get() noexcept {
  static WindowSystem system;
  return system;
}

HWND WindowSystem::Add(Window window) {
  std::lock_guard lock(mutex_);
  const std::uintptr_t key = nextHandle_;
  nextHandle_ += 4;
  windows_.emplace(key, std::move(window));
  return reinterpret_cast<HWND>(key);
}

void WindowSystem::Remove(HWND handle) {
  std::lock_guard lock(mutex_);
  RemoveLocked(reinterpret_cast<std::uintptr_t>(handle));
}

void WindowSystem::RemoveLocked(std::uintptr_t key) {
  const auto found = windows_.find(key);
  if (found == windows_.end()) return;
  const std::vector<HWND> children = std::move(found->second.children);
  windows_.erase(found);
  for (HWND child : children) RemoveLocked(reinterpret_cast<std::uintptr_t>(child));
}

DialogUser* WindowSystem::GetUser() const noexcept {
  std::lock_guard lock(mutex_);
  return user_;
}

void WindowSystem::SetUser(DialogUser* user) noexcept {
  std::lock_guard lock(mutex_);
  user_ = user;
}

bool IsRadio(const Window& control) noexcept {
  const DWORD type = control.style & BS_TYPEMASK;
  return control.className == "Button" && (type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON);
}

bool IsAutoRadio(const Window& control) noexcept {
  return control.className == "Button" && (control.style & BS_TYPEMASK) == BS_AUTORADIOBUTTON;
}

}  // namespace user32::detail
