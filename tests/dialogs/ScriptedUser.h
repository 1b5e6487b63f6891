// A programmable dialog user for tests: installed for its lifetime, it runs a script
// against each dialog the stand-in opens and remembers what the dialogs showed.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include <windows.h>

#include "user32/DialogUser.h"

namespace dialogtest {

class ScriptedUser final : public user32::DialogUser {
 public:
  using Script = std::function<void(HWND, user32::DialogKind)>;

  explicit ScriptedUser(Script script = {});
  ~ScriptedUser() override;  // uninstalls itself
  ScriptedUser(const ScriptedUser&) = delete;
  ScriptedUser& operator=(const ScriptedUser&) = delete;

  void Interact(HWND dialog, user32::DialogKind kind) override;

  Script script;
  // One entry per dialog shown, as it looked when the user first saw it.
  std::vector<user32::DialogKind> kinds;
  std::vector<std::string> titles;
  std::vector<std::vector<user32::ControlView>> controls;
};

// The control with `id` (must exist).
const user32::ControlView& Control(const std::vector<user32::ControlView>& controls, int id);
// The current text of control `id` of an open dialog.
std::string TextOf(HWND dialog, int id);
// The ids of the checked radio buttons of an open dialog.
std::vector<int> CheckedRadios(HWND dialog);

}  // namespace dialogtest
