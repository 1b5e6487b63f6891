// What the dialog table generator reads from a resource script: its DIALOGEX templates
// and its version block, with every id, style and text resolved to values.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace user32::rc {

// A fault in the script, with "file:line: " in front of the message.
class ScriptError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct ScriptControl {
  std::string className;  // "Button", "Edit" or "Static"
  std::string text;
  int id = -1;
  std::uint32_t style = 0;  // including WS_CHILD | WS_VISIBLE
  std::uint32_t exStyle = 0;
  int x = 0, y = 0, width = 0, height = 0;
};

struct ScriptDialog {
  int id = 0;
  std::uint16_t language = 0;
  std::uint32_t style = 0;
  std::uint32_t exStyle = 0;
  int x = 0, y = 0, width = 0, height = 0;
  std::string caption;
  std::string fontName;
  int fontSize = 0;
  std::vector<ScriptControl> controls;
};

struct ScriptVersion {
  bool present = false;
  std::array<int, 4> fileVersion{};
  std::array<int, 4> productVersion{};
  std::map<std::string, std::string> strings;  // StringFileInfo values
};

struct ResourceScript {
  std::vector<ScriptDialog> dialogs;
  ScriptVersion version;
};

// Reads a resource script. Quoted includes are searched next to the including file, then
// in `includeDirs`; angle-bracket includes (the system's headers) are skipped, their
// names are known to the reader. Raises ScriptError.
ResourceScript ParseResourceScript(const std::string& path,
                                   const std::vector<std::string>& includeDirs);
// The same for a script held in memory; `name` stands for its file in messages.
ResourceScript ParseResourceScriptText(const std::string& text, const std::string& name,
                                       const std::vector<std::string>& includeDirs);

}  // namespace user32::rc
