// The dialog templates the stand-in builds its dialogs from. They are generated at build
// time from the module's resource script, so they are the templates a Win32 build gets.
#pragma once

#include <cstddef>

#include <windows.h>

namespace user32 {

struct ControlTemplate {
  int id;                 // -1 for controls the code never addresses
  const char* className;  // "Button", "Edit" or "Static"
  const char* text;
  DWORD style;  // including WS_CHILD | WS_VISIBLE
  DWORD exStyle;
  int x, y, width, height;  // dialog units
};

struct DialogTemplate {
  int id;
  WORD language;
  DWORD style;
  DWORD exStyle;
  int x, y, width, height;  // dialog units
  const char* caption;
  const char* fontName;
  int fontSize;
  const ControlTemplate* controls;
  std::size_t controlCount;
};

// The template of dialog resource `id`, or null when the module has none.
USER32_API const DialogTemplate* FindDialogTemplate(int id) noexcept;

}  // namespace user32
