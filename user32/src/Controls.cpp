// Controls of a dialog: finding them, their texts, button states, clicks and radio groups.
#include <algorithm>
#include <cstring>

#include "WindowSystem.h"

namespace user32::detail {
namespace {

// Copies `text` into a caller's buffer of `maxCount` bytes, cut to fit, ending with a zero;
// returns the characters copied.
int CopyOut(const std::string& text, LPSTR buffer, int maxCount) {
  if (buffer == nullptr || maxCount <= 0) return 0;
  const std::size_t count = std::min(text.size(), static_cast<std::size_t>(maxCount - 1));
  std::memcpy(buffer, text.data(), count);
  buffer[count] = '\0';
  return static_cast<int>(count);
}

struct ControlState {
  HWND handle;
  bool radio;
  bool groupStart;
};

// The radio group of control `index`: a group starts at a control with WS_GROUP or at the
// first radio button after another kind of control, and ends before the next such start.
std::pair<std::size_t, std::size_t> RadioGroup(const std::vector<ControlState>& controls,
                                               std::size_t index) {
  std::size_t first = index;
  while (first > 0 && !controls[first].groupStart && controls[first - 1].radio) --first;
  std::size_t end = index + 1;
  while (end < controls.size() && controls[end].radio && !controls[end].groupStart) ++end;
  return {first, end};
}

std::vector<ControlState> ControlStates(HWND dialog) {
  std::vector<HWND> children;
  WindowSystem::Get().Visit(dialog, [&children](Window& w) { children = w.children; });
  std::vector<ControlState> states;
  for (HWND child : children) {
    WindowSystem::Get().Visit(child, [&states, child](Window& w) {
      states.push_back({child, IsRadio(w), (w.style & WS_GROUP) != 0});
    });
  }
  return states;
}

void CheckInGroup(HWND dialog, HWND clicked) {
  const auto controls = ControlStates(dialog);
  const auto at = std::find_if(controls.begin(), controls.end(),
                               [clicked](const ControlState& c) { return c.handle == clicked; });
  if (at == controls.end()) return;
  const auto [first, end] = RadioGroup(controls, static_cast<std::size_t>(at - controls.begin()));
  for (std::size_t i = first; i < end; ++i) {
    WindowSystem::Get().Visit(controls[i].handle,
                              [&](Window& w) { w.checked = controls[i].handle == clicked; });
  }
}

}  // namespace

HWND FindControl(HWND dialog, int id) {
  std::vector<HWND> children;
  WindowSystem::Get().Visit(dialog, [&children](Window& w) {
    if (w.kind == WindowKind::Dialog || w.kind == WindowKind::Page) children = w.children;
  });
  for (HWND child : children) {
    bool match = false;
    WindowSystem::Get().Visit(child, [&match, id](Window& w) { match = w.id == id; });
    if (match) return child;
  }
  return nullptr;
}

void ClickControl(HWND dialog, int id) {
  const HWND control = FindControl(dialog, id);
  if (control == nullptr || HasEnded(dialog)) return;
  bool button = false, autoRadio = false;
  WindowSystem::Get().Visit(control, [&](Window& w) {
    button = w.className == "Button" && (w.style & BS_TYPEMASK) != BS_GROUPBOX &&
             (w.style & WS_DISABLED) == 0;
    autoRadio = IsAutoRadio(w);
  });
  if (!button) return;
  if (autoRadio) CheckInGroup(dialog, control);
  SendToDialog(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(control));
}

}  // namespace user32::detail

using user32::detail::FindControl;
using user32::detail::Window;
using user32::detail::WindowSystem;

HWND WINAPI GetDlgItem(HWND dialog, int id) {
  return FindControl(dialog, id);
}

int WINAPI GetDlgCtrlID(HWND control) {
  int id = 0;
  WindowSystem::Get().Visit(control, [&id](Window& w) {
    if (w.kind == user32::detail::WindowKind::Control) id = w.id;
  });
  return id;
}

HWND WINAPI GetParent(HWND window) {
  HWND parent = nullptr;
  WindowSystem::Get().Visit(window, [&parent](Window& w) { parent = w.parent; });
  return parent;
}

int WINAPI GetWindowTextA(HWND window, LPSTR text, int maxCount) {
  std::string current;
  if (!WindowSystem::Get().Visit(window, [&current](Window& w) { current = w.text; })) {
    if (text != nullptr && maxCount > 0) text[0] = '\0';
    return 0;
  }
  return user32::detail::CopyOut(current, text, maxCount);
}

int WINAPI GetWindowTextLengthA(HWND window) {
  int length = 0;
  WindowSystem::Get().Visit(window,
                            [&length](Window& w) { length = static_cast<int>(w.text.size()); });
  return length;
}

BOOL WINAPI SetWindowTextA(HWND window, LPCSTR text) {
  const bool found =
      WindowSystem::Get().Visit(window, [text](Window& w) { w.text = text ? text : ""; });
  return found ? TRUE : FALSE;
}

UINT WINAPI GetDlgItemTextA(HWND dialog, int id, LPSTR text, int maxCount) {
  const HWND control = FindControl(dialog, id);
  if (control == nullptr) {
    if (text != nullptr && maxCount > 0) text[0] = '\0';
    return 0;
  }
  return static_cast<UINT>(GetWindowTextA(control, text, maxCount));
}

BOOL WINAPI SetDlgItemTextA(HWND dialog, int id, LPCSTR text) {
  const HWND control = FindControl(dialog, id);
  return control != nullptr ? SetWindowTextA(control, text) : FALSE;
}

BOOL WINAPI CheckDlgButton(HWND dialog, int id, UINT check) {
  const HWND control = FindControl(dialog, id);
  const bool found = control != nullptr && WindowSystem::Get().Visit(control, [check](Window& w) {
    w.checked = check == BST_CHECKED;
  });
  return found ? TRUE : FALSE;
}

BOOL WINAPI CheckRadioButton(HWND dialog, int firstId, int lastId, int checkId) {
  bool isDialog = false;
  WindowSystem::Get().Visit(dialog, [&isDialog](Window& w) {
    isDialog =
        w.kind == user32::detail::WindowKind::Dialog || w.kind == user32::detail::WindowKind::Page;
  });
  if (!isDialog) return FALSE;
  for (int id = firstId; id <= lastId; ++id) {
    CheckDlgButton(dialog, id, id == checkId ? BST_CHECKED : BST_UNCHECKED);
  }
  return TRUE;
}

UINT WINAPI IsDlgButtonChecked(HWND dialog, int id) {
  const HWND control = FindControl(dialog, id);
  UINT state = BST_UNCHECKED;
  if (control != nullptr) {
    WindowSystem::Get().Visit(control, [&state](Window& w) {
      if (w.className == "Button" && w.checked) state = BST_CHECKED;
    });
  }
  return state;
}
