// The text form loop: draw, read a line, act, until the dialog ends.
#include "TerminalDialogUser.h"

#include <cerrno>
#include <cstdlib>
#include <optional>

#include "Commands.h"
#include "InterruptGuard.h"
#include "resources/LatResource.h"

namespace lattool {

namespace {

// The whole of `text` as a number, or nothing.
std::optional<double> NumberIn(const std::string& text) {
  if (text.empty()) return std::nullopt;
  char* end = nullptr;
  errno = 0;
  const double value = std::strtod(text.c_str(), &end);
  while (*end == ' ' || *end == '\t') ++end;
  if (end == text.c_str() || *end != '\0' || errno == ERANGE) return std::nullopt;
  return value;
}

// The text of a control, without the brackets a range display puts around its number.
std::string ItemText(HWND dialog, int id) {
  char text[256] = {};
  GetDlgItemTextA(dialog, id, text, static_cast<int>(sizeof text));
  std::string shown = text;
  if (shown.size() >= 2 && shown.front() == '[' && shown.back() == ']') {
    shown = shown.substr(1, shown.size() - 2);
  }
  return shown;
}

}  // namespace

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
      SetText(dialog, action.controlId, action.text);
      return true;
    case Kind::AskText: {
      terminal_.Write("Value: ");
      std::string text;
      if (!ReadLine(text)) {
        Close(dialog, kind);
        return false;
      }
      SetText(dialog, action.controlId, text);
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


// The exporter takes any number into the fixed value's field and fails only when it
// writes it; a value outside the type range the form shows is refused here, at once.
void TerminalDialogUser::SetText(HWND dialog, int id, const std::string& text) {
  if (id == IDC_FIXED_VALUE) {
    const std::optional<double> value = NumberIn(text);
    const std::string low = ItemText(dialog, IDC_SHOW_TYPE_MIN);
    const std::string high = ItemText(dialog, IDC_SHOW_TYPE_MAX);
    const std::optional<double> min = NumberIn(low);
    const std::optional<double> max = NumberIn(high);
    if (value && min && max && (*value < *min || *value > *max)) {
      terminal_.Write(text + " lies outside the range of the written type, " + low + " to " +
                      high + "; the value stays " + ItemText(dialog, id) + "\n");
      return;
    }
  }
  SetDlgItemTextA(dialog, id, text.c_str());
}

}  // namespace lattool
