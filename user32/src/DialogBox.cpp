// Modal dialogs: creating a dialog's window from its template, delivering messages to its
// procedure, DialogBoxParamA's modal run (the installed user acts) and EndDialog.
#include <cstring>

#include "WindowSystem.h"
#include "user32/DialogUser.h"

namespace user32::detail {
namespace {

DLGPROC ProcedureOf(HWND dialog) {
  DLGPROC procedure = nullptr;
  WindowSystem::Get().Visit(dialog, [&procedure](Window& w) {
    std::memcpy(&procedure, w.extra.data() + DWLP_DLGPROC, sizeof procedure);
  });
  return procedure;
}

// The DWLP_MSGRESULT slot; `reset` clears it before a message is delivered.
LRESULT MessageResult(HWND dialog, bool reset) {
  LRESULT result = 0;
  WindowSystem::Get().Visit(dialog, [&result, reset](Window& w) {
    std::memcpy(&result, w.extra.data() + DWLP_MSGRESULT, sizeof result);
    if (reset) std::memset(w.extra.data() + DWLP_MSGRESULT, 0, sizeof result);
  });
  return result;
}

HWND FirstTabStop(HWND dialog) {
  std::vector<HWND> controls;
  WindowSystem::Get().Visit(dialog, [&controls](Window& w) { controls = w.children; });
  for (HWND control : controls) {
    bool tabStop = false;
    WindowSystem::Get().Visit(control,
                              [&tabStop](Window& w) { tabStop = (w.style & WS_TABSTOP) != 0; });
    if (tabStop) return control;
  }
  return nullptr;
}

}  // namespace

HWND CreateDialogWindow(const DialogTemplate& dialogTemplate, WindowKind kind, HWND parent,
                        DLGPROC procedure) {
  Window dialog;
  dialog.kind = kind;
  dialog.parent = parent;
  dialog.id = dialogTemplate.id;
  dialog.text = dialogTemplate.caption;
  dialog.style = dialogTemplate.style;
  dialog.exStyle = dialogTemplate.exStyle;
  dialog.x = dialogTemplate.x;
  dialog.y = dialogTemplate.y;
  dialog.width = dialogTemplate.width;
  dialog.height = dialogTemplate.height;
  std::memcpy(dialog.extra.data() + DWLP_DLGPROC, &procedure, sizeof procedure);
  auto& system = WindowSystem::Get();
  const HWND handle = system.Add(std::move(dialog));
  for (std::size_t i = 0; i < dialogTemplate.controlCount; ++i) {
    const ControlTemplate& t = dialogTemplate.controls[i];
    Window control;
    control.parent = handle;
    control.id = t.id;
    control.className = t.className;
    control.text = t.text;
    control.style = t.style;
    control.exStyle = t.exStyle;
    control.x = t.x;
    control.y = t.y;
    control.width = t.width;
    control.height = t.height;
    const HWND child = system.Add(std::move(control));
    system.Visit(handle, [child](Window& w) { w.children.push_back(child); });
  }
  return handle;
}

LRESULT SendToDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  const DLGPROC procedure = ProcedureOf(dialog);
  MessageResult(dialog, true);
  const INT_PTR handled = procedure ? procedure(dialog, message, wParam, lParam) : 0;
  if (message == WM_INITDIALOG) return handled;
  if (handled != 0) return MessageResult(dialog, false);
  if (message == WM_SYSCOMMAND && (wParam & 0xFFF0) == SC_CLOSE) {
    return SendToDialog(dialog, WM_CLOSE, 0, 0);
  }
  if (message == WM_CLOSE) {
    SendToDialog(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                 reinterpret_cast<LPARAM>(FindControl(dialog, IDCANCEL)));
  }
  return 0;
}

bool HasEnded(HWND window) {
  bool ended = true;
  HWND sheet = nullptr;
  WindowSystem::Get().Visit(window, [&](Window& w) {
    ended = w.ended;
    if (w.kind == WindowKind::Page) sheet = w.parent;
  });
  if (sheet != nullptr) WindowSystem::Get().Visit(sheet, [&ended](Window& w) { ended = w.ended; });
  return ended;
}

}  // namespace user32::detail

using user32::detail::WindowGuard;
using user32::detail::WindowKind;
using user32::detail::WindowSystem;

INT_PTR WINAPI DialogBoxParamA(HINSTANCE /*instance*/, LPCSTR templateName, HWND owner,
                               DLGPROC dialogProc, LPARAM initParam) {
  user32::DialogUser* const user = WindowSystem::Get().GetUser();
  if (user == nullptr || !IS_INTRESOURCE(templateName)) return -1;
  const auto* dialogTemplate = user32::FindDialogTemplate(LOWORD(templateName));
  if (dialogTemplate == nullptr) return -1;
  const WindowGuard dialog(
      user32::detail::CreateDialogWindow(*dialogTemplate, WindowKind::Dialog, owner, dialogProc));
  const HWND handle = dialog.Handle();
  user32::detail::SendToDialog(handle, WM_INITDIALOG,
                               reinterpret_cast<WPARAM>(user32::detail::FirstTabStop(handle)),
                               initParam);
  if (!user32::detail::HasEnded(handle)) user->Interact(handle, user32::DialogKind::Modal);
  // Closing the window the user left open cancels it; a procedure that does not end the
  // dialog on Cancel still gets it closed, with IDCANCEL.
  if (!user32::detail::HasEnded(handle)) user32::detail::SendToDialog(handle, WM_CLOSE, 0, 0);
  INT_PTR result = IDCANCEL;
  WindowSystem::Get().Visit(handle, [&result](user32::detail::Window& w) {
    if (w.ended) result = w.result;
  });
  return result;
}

BOOL WINAPI EndDialog(HWND dialog, INT_PTR result) {
  bool done = false;
  WindowSystem::Get().Visit(dialog, [&](user32::detail::Window& w) {
    if (w.kind != WindowKind::Dialog) return;
    w.ended = true;
    w.result = result;
    done = true;
  });
  return done ? TRUE : FALSE;
}
