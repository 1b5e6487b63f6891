// The stand-in's window state: every dialog, property sheet, page and control is a Window
// in one process-wide registry, found by its handle. The registry is guarded by a mutex
// that is held only while a Window is read or changed, never while a dialog procedure or
// the dialog user runs; so dialogs may be used from any thread, each dialog from the
// thread that opened it.
#pragma once

#include <array>
#include <cstdint>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include <windows.h>

#include "user32/DialogTemplates.h"

namespace user32 {

class DialogUser;

namespace detail {

enum class WindowKind { Dialog, Sheet, Page, Control };

// Room for the dialog slots DWLP_MSGRESULT, DWLP_DLGPROC and DWLP_USER.
constexpr std::size_t kDialogExtraBytes = DWLP_USER + sizeof(LONG_PTR);

struct Window {
  WindowKind kind = WindowKind::Control;
  HWND parent = nullptr;  // a control's dialog, a page's sheet, a dialog's owner
  int id = 0;
  std::string className;
  std::string text;
  DWORD style = 0;
  DWORD exStyle = 0;
  int x = 0, y = 0, width = 0, height = 0;
  LONG_PTR userData = 0;
  bool checked = false;                                  // buttons
  std::array<unsigned char, kDialogExtraBytes> extra{};  // dialogs and pages
  std::vector<HWND> children;  // a dialog's controls in template order; a sheet's pages
  // Dialogs and sheets.
  bool ended = false;
  INT_PTR result = 0;
  // Sheets.
  std::size_t activePage = 0;
  bool applied = false;
  bool hasApply = true;
  // Pages: the PROPSHEETPAGEA flags.
  DWORD pageFlags = 0;
};

class WindowSystem {
 public:
  static WindowSystem& Get() noexcept;

  // Registers `window` and returns its new handle.
  HWND Add(Window window);
  // Removes the window and its children.
  void Remove(HWND handle);
  // Calls `visit(Window&)` with the registry locked; false when there is no such window.
  // `visit` must not call back into the stand-in.
  template <class F>
  bool Visit(HWND handle, F&& visit) {
    std::lock_guard lock(mutex_);
    const auto found = windows_.find(reinterpret_cast<std::uintptr_t>(handle));
    if (found == windows_.end()) return false;
    visit(found->second);
    return true;
  }

  DialogUser* GetUser() const noexcept;
  void SetUser(DialogUser* user) noexcept;

 private:
  WindowSystem() = default;
  void RemoveLocked(std::uintptr_t key);

  mutable std::mutex mutex_;
  std::unordered_map<std::uintptr_t, Window> windows_;
  std::uintptr_t nextHandle_ = 0x10000;
  DialogUser* user_ = nullptr;
};

// Removes a window (with its children) when it leaves scope, also on an exception.
class WindowGuard {
 public:
  explicit WindowGuard(HWND handle) noexcept : handle_(handle) {}
  ~WindowGuard() { WindowSystem::Get().Remove(handle_); }
  WindowGuard(const WindowGuard&) = delete;
  WindowGuard& operator=(const WindowGuard&) = delete;
  HWND Handle() const noexcept { return handle_; }

 private:
  HWND handle_;
};

// Creates the window of a dialog or page with its controls from `dialogTemplate`.
HWND CreateDialogWindow(const DialogTemplate& dialogTemplate, WindowKind kind, HWND parent,
                        DLGPROC procedure);
// Delivers a message to a dialog's or page's procedure (WM_INITDIALOG returns the
// procedure's answer, other handled messages the DWLP_MSGRESULT slot) with the default
// handling of unhandled ones (WM_CLOSE cancels).
LRESULT SendToDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// A button click on control `id` of `dialog`: radio groups, then WM_COMMAND.
void ClickControl(HWND dialog, int id);
// The control with `id` among the dialog's controls, or null.
HWND FindControl(HWND dialog, int id);
// Whether a dialog, or the sheet a page belongs to, has ended.
bool HasEnded(HWND window);

// Button types.
bool IsRadio(const Window& control) noexcept;
bool IsAutoRadio(const Window& control) noexcept;

}  // namespace detail
}  // namespace user32
