// Without a window system, somebody has to play the user of a dialog: a DialogUser,
// installed by the host application (a text form on the terminal) or by a test (a
// programmable user). DialogBoxParamA and PropertySheetA create the dialog's window and
// controls from the module's dialog templates, deliver WM_INITDIALOG, and then hand the
// window to the installed user, who acts through the ordinary functions (SetDlgItemTextA,
// SendMessageA with BM_CLICK, ...) and the helpers below until the dialog ends.
// Templates are named by their integer resource id; the instance handle is not looked at,
// as the module's templates are compiled into the stand-in (user32/DialogTemplates.h).
// Window state is process-wide and guarded by a lock; each dialog belongs to the thread
// that opened it, and its procedure and its user run on that thread.
#pragma once

#include <string>
#include <vector>

#include <windows.h>

namespace user32 {

// One control of a dialog as the user sees it.
struct ControlView {
  int id;                   // -1 for controls without an id (static texts, group boxes)
  std::string kind;         // "static", "groupbox", "radio", "edit", "button", "defbutton"
  std::string text;         // current text
  bool checked;             // radio buttons
  int x, y, width, height;  // dialog units
};

// What kind of window the user is looking at.
enum class DialogKind { Modal, PropertySheet };

class DialogUser {
 public:
  virtual ~DialogUser() = default;
  // Acts on the open dialog. For a modal dialog, returning while the dialog is still open
  // closes it as Cancel (IDCANCEL). For a property sheet, the user ends it with the sheet
  // buttons below; returning while it is open closes it as Cancel.
  virtual void Interact(HWND dialog, DialogKind kind) = 0;
};

// Installs the process-wide user (as the window system is process-wide); null removes it.
// Without a user, DialogBoxParamA and PropertySheetA fail and return -1.
USER32_API void SetDialogUser(DialogUser* user) noexcept;
USER32_API DialogUser* GetDialogUser() noexcept;

// The dialog's caption and its controls, in template order.
USER32_API std::string GetDialogTitle(HWND dialog);
USER32_API std::vector<ControlView> DescribeDialog(HWND dialog);
// Presses a button (a click: radio buttons become checked within their group, and the
// dialog procedure receives WM_COMMAND with the id and BN_CLICKED).
USER32_API void ClickButton(HWND dialog, int id);
// Sends the caption's help request (WM_SYSCOMMAND with SC_CONTEXTHELP); only a window
// with WS_EX_CONTEXTHELP has that button.
USER32_API void RequestContextHelp(HWND dialog);
// Whether EndDialog was called for the modal dialog (for a page: whether its sheet has
// ended); true for a window that no longer exists.
USER32_API bool IsDialogEnded(HWND dialog);

// Property sheet buttons: each sends the pages the notifications a real sheet sends
// (OK: PSN_KILLACTIVE to the page shown, then PSN_APPLY to every page, and the sheet ends
// with 1; Apply: the same, and the sheet stays open; a page that answers KILLACTIVE with
// TRUE or APPLY with PSNRET_INVALID in DWLP_MSGRESULT keeps the sheet open; Cancel:
// PSN_RESET to every page and the sheet ends, with 1 when an Apply went through before,
// else 0; Help: PSN_HELP, only for a page with PSP_HASHELP). Apply does nothing on a
// sheet with PSH_NOAPPLYNOW. Buttons of a sheet that has ended do nothing.
enum class SheetButton { Ok, Apply, Cancel, Help };
USER32_API void PressSheetButton(HWND page, SheetButton button);

}  // namespace user32
