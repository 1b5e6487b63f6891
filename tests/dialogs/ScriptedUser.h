// A programmable dialog user for tests: installed for its lifetime, it runs a script
// against each dialog the stand-in opens and notes the titles the dialogs showed.
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
  explicit ScriptedUser(Script s = {}) : script(std::move(s)) { user32::SetDialogUser(this); }
  ~ScriptedUser() override {
    if (user32::GetDialogUser() == this) user32::SetDialogUser(nullptr);
  }
  ScriptedUser(const ScriptedUser&) = delete;
  ScriptedUser& operator=(const ScriptedUser&) = delete;
  void Interact(HWND dialog, user32::DialogKind kind) override {
    titles.push_back(user32::GetDialogTitle(dialog));
    if (script) script(dialog, kind);
  }

  Script script;
  std::vector<std::string> titles;  // one per dialog shown
};

// The current text of control `id` of an open dialog (must exist).
std::string TextOf(HWND dialog, int id);
// The ids of the checked radio buttons of an open dialog.
std::vector<int> CheckedRadios(HWND dialog);

}  // namespace dialogtest
