// SendMessageA: button messages to controls, everything else to a dialog's procedure.
#include "WindowSystem.h"

using user32::detail::Window;
using user32::detail::WindowKind;
using user32::detail::WindowSystem;

LRESULT WINAPI SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  WindowKind kind = WindowKind::Sheet;
  HWND parent = nullptr;
  int id = 0;
  if (!WindowSystem::Get().Visit(window, [&](Window& w) {
        kind = w.kind;
        parent = w.parent;
        id = w.id;
      })) {
    return 0;
  }
  if (kind == WindowKind::Dialog || kind == WindowKind::Page) {
    return user32::detail::SendToDialog(window, message, wParam, lParam);
  }
  if (kind != WindowKind::Control) return 0;
  switch (message) {
    case BM_CLICK:
      user32::detail::ClickControl(parent, id);
      return 0;
    case BM_GETCHECK: {
      LRESULT state = BST_UNCHECKED;
      WindowSystem::Get().Visit(window, [&state](Window& w) {
        if (w.className == "Button" && w.checked) state = BST_CHECKED;
      });
      return state;
    }
    case BM_SETCHECK:
      WindowSystem::Get().Visit(window, [wParam](Window& w) {
        if (w.className == "Button") w.checked = wParam == BST_CHECKED;
      });
      return 0;
    default:
      return 0;
  }
}
