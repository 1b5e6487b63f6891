// Window long slots: the style words, id and user data of every window, and the extra
// bytes of dialogs and pages (DWLP_MSGRESULT, DWLP_DLGPROC, DWLP_USER).
#include <cstring>

#include "WindowSystem.h"

namespace user32::detail {
namespace {

template <class Field, class T>
bool Swap(Field& field, const T* store, T& old) {
  old = static_cast<T>(field);
  if (store != nullptr) field = static_cast<Field>(*store);
  return true;
}

// Reads (and with `store`, replaces) slot `index` of `w`; false for a slot it lacks.
template <class T>
bool AccessLocked(Window& w, int index, const T* store, T& old) {
  switch (index) {
    case GWL_STYLE:
      return Swap(w.style, store, old);
    case GWL_EXSTYLE:
      return Swap(w.exStyle, store, old);
    case GWLP_ID:
      return Swap(w.id, store, old);
    case GWLP_USERDATA:
      return Swap(w.userData, store, old);
    default:
      break;
  }
  const bool dialog = w.kind == WindowKind::Dialog || w.kind == WindowKind::Page;
  if (!dialog || index < 0 || static_cast<std::size_t>(index) + sizeof(T) > w.extra.size()) {
    return false;
  }
  std::memcpy(&old, w.extra.data() + index, sizeof(T));
  if (store != nullptr) std::memcpy(w.extra.data() + index, store, sizeof(T));
  return true;
}

// The slot's old value, 0 for a window or slot that does not exist.
template <class T>
T AccessSlot(HWND window, int index, const T* store) {
  T old = 0;
  bool known = false;
  WindowSystem::Get().Visit(window, [&](Window& w) { known = AccessLocked(w, index, store, old); });
  return known ? old : 0;
}

}  // namespace
}  // namespace user32::detail

LONG WINAPI GetWindowLongA(HWND window, int index) {
  return user32::detail::AccessSlot<LONG>(window, index, nullptr);
}

LONG WINAPI SetWindowLongA(HWND window, int index, LONG value) {
  return user32::detail::AccessSlot<LONG>(window, index, &value);
}

LONG_PTR WINAPI GetWindowLongPtrA(HWND window, int index) {
  return user32::detail::AccessSlot<LONG_PTR>(window, index, nullptr);
}

LONG_PTR WINAPI SetWindowLongPtrA(HWND window, int index, LONG_PTR value) {
  return user32::detail::AccessSlot<LONG_PTR>(window, index, &value);
}
