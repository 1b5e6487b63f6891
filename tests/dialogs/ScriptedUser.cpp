// The programmable dialog user of the dialog tests.
#include "ScriptedUser.h"

#include <stdexcept>

namespace dialogtest {

ScriptedUser::ScriptedUser(Script s) : script(std::move(s)) {
  user32::SetDialogUser(this);
}

ScriptedUser::~ScriptedUser() {
  if (user32::GetDialogUser() == this) user32::SetDialogUser(nullptr);
}

void ScriptedUser::Interact(HWND dialog, user32::DialogKind kind) {
  kinds.push_back(kind);
  titles.push_back(user32::GetDialogTitle(dialog));
  controls.push_back(user32::DescribeDialog(dialog));
  if (script) script(dialog, kind);
}

const user32::ControlView& Control(const std::vector<user32::ControlView>& controls, int id) {
  for (const auto& control : controls) {
    if (control.id == id) return control;
  }
  throw std::out_of_range("no control " + std::to_string(id));
}

std::string TextOf(HWND dialog, int id) {
  return Control(user32::DescribeDialog(dialog), id).text;
}

std::vector<int> CheckedRadios(HWND dialog) {
  std::vector<int> ids;
  for (const auto& control : user32::DescribeDialog(dialog)) {
    if (control.kind == "radio" && control.checked) ids.push_back(control.id);
  }
  return ids;
}

}  // namespace dialogtest
