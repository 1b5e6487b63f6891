// The text form loop: draw, read a line, act, until the dialog ends.
#include "TerminalDialogUser.h"

#include "Commands.h"
#include "InterruptGuard.h"

namespace lattool {

TerminalDialogs::TerminalDialogs(bool needed) {
  if (!needed) return;
  terminal_ = Terminal::Open();
  if (!terminal_) {
    throw UsageError(
        "--interactive and --page show their dialogs on a terminal, and there is none");
  }
  user_ = std::make_unique<TerminalDialogUser>(*terminal_, InterruptGuard::Flag());
  scope_.emplace(user_.get());
}

void TerminalDialogUser::Interact(HWND dialog, user32::DialogKind kind) {
  // A progress line may stand unfinished on the terminal.
  terminal_.Write("\r\x1b[K");
  if (kind == user32::DialogKind::PropertySheet) sheetCancelled_ = false;
  while (true) {
    const DialogForm form(user32::GetDialogTitle(dialog), user32::DescribeDialog(dialog), kind);
    terminal_.Write(form.Render());
    terminal_.Write(form.Prompt());
    std::string line;
    if (!ReadLine(line)) {
      terminal_.Write("\n");
      return Close(dialog, kind);
    }
    if (!Act(dialog, kind, form.Parse(line))) return;
  }
}

bool TerminalDialogUser::ReadLine(std::string& line) {
  return terminal_.ReadLine(line) && cancel_ == 0;
}

void TerminalDialogUser::Close(HWND dialog, user32::DialogKind kind) {
  if (kind == user32::DialogKind::PropertySheet) {
    sheetCancelled_ = true;
    user32::PressSheetButton(dialog, user32::SheetButton::Cancel);
  } else {
    user32::ClickButton(dialog, IDCANCEL);
  }
}

bool TerminalDialogUser::Act(HWND dialog, user32::DialogKind kind, const FormAction& action) {
  using Kind = FormAction::Kind;
  switch (action.kind) {
    case Kind::Click:
      user32::ClickButton(dialog, action.controlId);
      return !user32::IsDialogEnded(dialog);
    case Kind::SetText:
      SetDlgItemTextA(dialog, action.controlId, action.text.c_str());
      return true;
    case Kind::AskText: {
      terminal_.Write("Value: ");
      std::string text;
      if (!ReadLine(text)) {
        Close(dialog, kind);
        return false;
      }
      SetDlgItemTextA(dialog, action.controlId, text.c_str());
      return true;
    }
    case Kind::Help:
      if (kind == user32::DialogKind::PropertySheet) {
        user32::PressSheetButton(dialog, user32::SheetButton::Help);
      } else {
        user32::RequestContextHelp(dialog);
      }
      return true;
    case Kind::SheetOk:
      user32::PressSheetButton(dialog, user32::SheetButton::Ok);
      return false;
    case Kind::SheetApply:
      user32::PressSheetButton(dialog, user32::SheetButton::Apply);
      return true;
    case Kind::SheetCancel:
      Close(dialog, kind);
      return false;
    case Kind::Unknown:
      terminal_.Write("Not a choice: " + action.text + "\n");
      return true;
    case Kind::Redraw:
      return true;
  }
  return true;
}

}  // namespace lattool
