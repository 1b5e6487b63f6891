// The queries of open dialogs the dialog tests make.
#include "ScriptedUser.h"

#include <stdexcept>

namespace dialogtest {

std::string TextOf(HWND dialog, int id) {
  for (const auto& control : user32::DescribeDialog(dialog))
    if (control.id == id) return control.text;
  throw std::out_of_range("no control " + std::to_string(id));
}

std::vector<int> CheckedRadios(HWND dialog) {
  std::vector<int> ids;
  for (const auto& control : user32::DescribeDialog(dialog))
    if (control.kind == "radio" && control.checked) ids.push_back(control.id);
  return ids;
}

}  // namespace dialogtest
