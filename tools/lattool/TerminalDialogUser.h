// The user of the plug-in's dialogs on a terminal: shows each dialog as a numbered text
// form, reads the user's choices and acts on the dialog as a click or a typed text would.
#pragma once

#include <csignal>
#include <memory>
#include <optional>
#include <string>

#if defined(_WIN32)
namespace lattool {

// On Windows the dialogs are the system's own windows and the user answers them there:
// nothing to install, and PropertySheetA's result tells a cancelled sheet. A sheet closed
// with Cancel after an Apply is reported as accepted there, so the export goes on with the
// applied choice.
class TerminalDialogUser {
 public:
  bool SheetCancelled() const noexcept { return false; }
};

class TerminalDialogs {
 public:
  explicit TerminalDialogs(bool /*needed*/) noexcept {}
  const TerminalDialogUser* User() const noexcept { return nullptr; }
};

}  // namespace lattool
#else
#include <user32/DialogUser.h>

#include "DialogForm.h"
#include "Terminal.h"

namespace lattool {

class TerminalDialogUser : public user32::DialogUser {
 public:
  // Once `cancel` is non-zero (Ctrl-C) the next line typed cancels the dialog.
  TerminalDialogUser(Terminal& terminal, const volatile std::sig_atomic_t& cancel) noexcept
      : terminal_(terminal), cancel_(cancel) {}

  void Interact(HWND dialog, user32::DialogKind kind) override;
  // Whether the last property sheet was closed with Cancel (also after an Apply).
  bool SheetCancelled() const noexcept { return sheetCancelled_; }

 private:
  // Carries out one action; false once the dialog has ended.
  bool Act(HWND dialog, user32::DialogKind kind, const FormAction& action);
  void Close(HWND dialog, user32::DialogKind kind);
  // Types `text` into edit control `id`, but not a fixed value outside the range shown.
  void SetText(HWND dialog, int id, const std::string& text);
  bool ReadLine(std::string& line);

  Terminal& terminal_;
  const volatile std::sig_atomic_t& cancel_;
  bool sheetCancelled_ = false;
};

// Installs a dialog user for the life of the scope.
class DialogUserScope {
 public:
  explicit DialogUserScope(user32::DialogUser* user) noexcept { user32::SetDialogUser(user); }
  ~DialogUserScope() { user32::SetDialogUser(nullptr); }
  DialogUserScope(const DialogUserScope&) = delete;
  DialogUserScope& operator=(const DialogUserScope&) = delete;
};

// The terminal and its dialog user, installed while the object lives, for an export that
// may show a dialog; nothing at all when no dialog can be shown.
class TerminalDialogs {
 public:
  // Opens the terminal when `needed`; raises UsageError when the process has none.
  explicit TerminalDialogs(bool needed);
  const TerminalDialogUser* User() const noexcept { return user_.get(); }

 private:
  std::unique_ptr<Terminal> terminal_;
  std::unique_ptr<TerminalDialogUser> user_;
  std::optional<DialogUserScope> scope_;
};

}  // namespace lattool
#endif
