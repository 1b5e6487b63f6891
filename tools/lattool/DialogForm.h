// A dialog drawn as a numbered text form: the controls line up row by row as in the
// dialog, radio buttons and edit fields get numbers, buttons get letters. Also reads what
// the user typed at the form's prompt.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include <user32/DialogUser.h>

namespace lattool {

// What one line typed at the form asks for.
struct FormAction {
  enum class Kind {
    Redraw,   // an empty line: show the form again
    Click,    // press control `controlId` (a radio button or a push button)
    SetText,  // put `text` into edit control `controlId`
    AskText,  // ask for the text of edit control `controlId`
    Help,     // the dialog's help
    SheetOk,  // property sheet buttons
    SheetApply,
    SheetCancel,
    Unknown,  // nothing the form offers; `text` holds what was typed
  };
  Kind kind = Kind::Redraw;
  int controlId = 0;
  std::string text;
};

class DialogForm {
 public:
  DialogForm(std::string title, const std::vector<user32::ControlView>& controls,
             user32::DialogKind kind);

  // The form: its title line, then one line per row of controls.
  std::string Render() const;
  // The line that asks for a choice, naming every key.
  std::string Prompt() const;
  FormAction Parse(std::string_view line) const;

 private:
  // A key the user can type: a number or a letter, and what it stands for.
  struct Choice {
    std::string key;
    std::string label;
    FormAction::Kind kind;
    int controlId;
    bool isEdit;
  };
  struct Cell {
    int x;
    std::string text;
  };

  void AddChoices(const std::vector<user32::ControlView>& controls);
  void AddChoice(std::string key, std::string label, FormAction::Kind kind, int id, bool edit);
  std::string LetterFor(std::string_view text) const;
  std::string CellText(const user32::ControlView& control) const;
  const Choice* FindChoice(std::string_view key) const;

  std::string title_;
  user32::DialogKind kind_;
  std::vector<std::vector<Cell>> lines_;
  std::vector<Choice> choices_;
};

// The label of a control's text as shown: mnemonic marks ('&') removed, blanks trimmed.
std::string ControlLabel(std::string_view text);

}  // namespace lattool
