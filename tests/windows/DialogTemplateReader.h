// Reads an extended dialog template (the binary form of a DIALOGEX resource) into plain
// values for tests: the frame, its font, and every control.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>
#include <vector>

namespace wintest {

struct ItemTemplateData {
  int id = 0;
  std::string className;  // "Button", "Edit", "Static"... for the predefined classes
  std::string text;
  DWORD style = 0;
  int x = 0, y = 0, width = 0, height = 0;
};

struct DialogTemplateData {
  DWORD style = 0;
  DWORD exStyle = 0;
  int x = 0, y = 0, width = 0, height = 0;
  std::string title;
  int fontSize = 0;
  std::string fontName;
  std::vector<ItemTemplateData> items;
};

// Throws std::runtime_error when the bytes are not a whole extended template.
DialogTemplateData ReadDialogTemplate(const unsigned char* bytes, std::size_t size);

}  // namespace wintest
