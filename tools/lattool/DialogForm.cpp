// Lays a dialog's controls out as text lines and maps typed keys to dialog actions.
#include "DialogForm.h"

#include <algorithm>
#include <cctype>
#include <map>

#include <windows.h>

namespace lattool {

namespace {

// Controls whose tops lie this close (dialog units) share a line of the form.
constexpr int kSameLine = 6;

std::string_view Trim(std::string_view text) {
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) {
    text.remove_prefix(1);
  }
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) {
    text.remove_suffix(1);
  }
  return text;
}

std::string Lower(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

bool AllDigits(std::string_view text) {
  return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) {
    return std::isdigit(static_cast<unsigned char>(c)) != 0;
  });
}

bool IsButton(const user32::ControlView& control) {
  return control.kind == "button" || control.kind == "defbutton";
}

}  // namespace

std::string ControlLabel(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '&' && i + 1 < text.size()) ++i;  // "&&" stands for one '&'
    out += text[i];
  }
  return std::string(Trim(out));
}

DialogForm::DialogForm(std::string title, const std::vector<user32::ControlView>& controls,
                       user32::DialogKind kind)
    : title_(std::move(title)), kind_(kind) {
  AddChoices(controls);
  std::vector<const user32::ControlView*> order;
  for (const auto& control : controls) order.push_back(&control);
  std::stable_sort(order.begin(), order.end(), [](auto* a, auto* b) { return a->y < b->y; });
  int lineTop = 0;
  for (const user32::ControlView* control : order) {
    if (lines_.empty() || control->y - lineTop >= kSameLine) {
      lines_.emplace_back();
      lineTop = control->y;
    }
    lines_.back().push_back(Cell{control->x, CellText(*control)});
  }
  for (auto& line : lines_) {
    std::stable_sort(line.begin(), line.end(), [](auto& a, auto& b) { return a.x < b.x; });
  }
}

void DialogForm::AddChoice(std::string key, std::string label, FormAction::Kind kind, int id,
                           bool edit) {
  choices_.push_back(Choice{std::move(key), std::move(label), kind, id, edit});
}

// Numbers for radio buttons and edit fields, letters for buttons, then the window's own
// buttons: Help, and OK, Cancel and Apply of a property sheet.
void DialogForm::AddChoices(const std::vector<user32::ControlView>& controls) {
  int number = 0;
  for (const auto& control : controls) {
    if (control.kind == "radio") {
      AddChoice(std::to_string(++number), ControlLabel(control.text), FormAction::Kind::Click,
                control.id, false);
    } else if (control.kind == "edit") {
      AddChoice(std::to_string(++number), "type a value", FormAction::Kind::AskText, control.id,
                true);
    } else if (IsButton(control)) {
      const std::string label = ControlLabel(control.text);
      AddChoice(LetterFor(control.text), label, FormAction::Kind::Click, control.id, false);
    }
  }
  if (kind_ == user32::DialogKind::PropertySheet) {
    AddChoice("o", "OK", FormAction::Kind::SheetOk, 0, false);
    AddChoice("c", "Cancel", FormAction::Kind::SheetCancel, 0, false);
    AddChoice("a", "Apply", FormAction::Kind::SheetApply, 0, false);
  }
  AddChoice("h", "Help", FormAction::Kind::Help, 0, false);
}

// The button's mnemonic letter, else the first free letter of its label; letters of the
// window's own buttons are kept free.
std::string DialogForm::LetterFor(std::string_view text) const {
  std::string reserved = "h";
  if (kind_ == user32::DialogKind::PropertySheet) reserved += "oca";
  auto isFree = [&](char c) {
    const std::string key(1, c);
    return std::isalpha(static_cast<unsigned char>(c)) && reserved.find(c) == std::string::npos &&
           FindChoice(key) == nullptr;
  };
  const std::size_t amp = text.find('&');
  if (amp != std::string_view::npos && amp + 1 < text.size()) {
    const char mnemonic = Lower(text.substr(amp + 1, 1))[0];
    if (isFree(mnemonic)) return std::string(1, mnemonic);
  }
  for (char c : Lower(ControlLabel(text))) {
    if (isFree(c)) return std::string(1, c);
  }
  return "?";
}

std::string DialogForm::CellText(const user32::ControlView& control) const {
  const Choice* choice = nullptr;
  for (const Choice& c : choices_) {
    if (c.controlId == control.id && control.id != -1) choice = &c;
  }
  const std::string key = choice ? "[" + choice->key + "] " : "";
  if (control.kind == "radio") {
    return key + (control.checked ? "(*) " : "( ) ") + ControlLabel(control.text);
  }
  if (control.kind == "edit") return key + "<" + control.text + ">";
  if (IsButton(control)) return key + ControlLabel(control.text);
  if (control.kind == "groupbox") return ControlLabel(control.text) + ":";
  return control.text;
}

std::string DialogForm::Render() const {
  // Cells that start at the same x line up: each is as wide as the widest of them.
  std::map<int, std::size_t> width;
  for (const auto& line : lines_) {
    for (std::size_t i = 0; i + 1 < line.size(); ++i) {
      width[line[i].x] = std::max(width[line[i].x], line[i].text.size());
    }
  }
  std::string out = title_ + "\n";
  for (const auto& line : lines_) {
    std::string text(static_cast<std::size_t>(std::max(line.front().x, 0) / 5), ' ');
    for (std::size_t i = 0; i < line.size(); ++i) {
      text += line[i].text;
      if (i + 1 < line.size()) text.append(width[line[i].x] + 2 - line[i].text.size(), ' ');
    }
    out += text + "\n";
  }
  // The window's own buttons, which are not among the dialog's controls.
  std::string own;
  for (const Choice& choice : choices_) {
    if (choice.controlId != 0) continue;
    own += "  [" + choice.key + "] " + choice.label;
  }
  return out + own + "\n";
}

// "Choose 1-5, 6 to type a value, d Defaults, o OK, c Cancel, h Help: "
std::string DialogForm::Prompt() const {
  std::vector<std::string> parts;
  std::string first;
  std::string last;
  for (const Choice& choice : choices_) {
    if (choice.kind != FormAction::Kind::Click || !AllDigits(choice.key)) continue;
    if (first.empty()) first = choice.key;
    last = choice.key;
  }
  if (!first.empty()) parts.push_back(first == last ? first : first + "-" + last);
  for (const Choice& choice : choices_) {
    if (choice.isEdit) parts.push_back(choice.key + " to " + choice.label);
  }
  for (const Choice& choice : choices_) {
    if (!AllDigits(choice.key)) parts.push_back(choice.key + " " + choice.label);
  }
  std::string prompt = "Choose";
  for (std::size_t i = 0; i < parts.size(); ++i) prompt += (i == 0 ? " " : ", ") + parts[i];
  return prompt + ": ";
}

// A key, or the whole label of a lettered choice ("ok", "defaults").
const DialogForm::Choice* DialogForm::FindChoice(std::string_view key) const {
  if (key.empty()) return nullptr;
  for (const Choice& choice : choices_) {
    if (choice.key == key) return &choice;
  }
  if (AllDigits(key)) return nullptr;
  for (const Choice& choice : choices_) {
    if (!AllDigits(choice.key) && Lower(choice.label) == key) return &choice;
  }
  return nullptr;
}

FormAction DialogForm::Parse(std::string_view line) const {
  const std::string_view text = Trim(line);
  if (text.empty()) return {};
  const std::size_t split = text.find_first_of(" \t");
  const std::string word = Lower(text.substr(0, split));
  const std::string_view rest =
      split == std::string_view::npos ? std::string_view() : Trim(text.substr(split));
  const Choice* choice = FindChoice(word);
  if (choice == nullptr) return FormAction{FormAction::Kind::Unknown, 0, std::string(text)};
  if (choice->isEdit && !rest.empty()) {
    return FormAction{FormAction::Kind::SetText, choice->controlId, std::string(rest)};
  }
  return FormAction{choice->kind, choice->controlId, {}};
}

}  // namespace lattool
