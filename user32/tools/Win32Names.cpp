// The system header names a resource script may use, with their values taken from the
// same <windows.h> the dialog code compiles against.
#include "Win32Names.h"

#include <array>
#include <utility>

#include <windows.h>

namespace user32::rc {
namespace {

#define LAT_NAME(name) std::pair<std::string_view, std::int64_t>(#name, (std::int64_t)(name))

constexpr std::array kNames = {
    LAT_NAME(WS_POPUP),
    LAT_NAME(WS_CHILD),
    LAT_NAME(WS_VISIBLE),
    LAT_NAME(WS_DISABLED),
    LAT_NAME(WS_CAPTION),
    LAT_NAME(WS_BORDER),
    LAT_NAME(WS_VSCROLL),
    LAT_NAME(WS_HSCROLL),
    LAT_NAME(WS_SYSMENU),
    LAT_NAME(WS_GROUP),
    LAT_NAME(WS_TABSTOP),
    LAT_NAME(WS_EX_CONTEXTHELP),
    LAT_NAME(DS_SETFONT),
    LAT_NAME(DS_MODALFRAME),
    LAT_NAME(DS_FIXEDSYS),
    LAT_NAME(DS_3DLOOK),
    LAT_NAME(DS_CONTROL),
    LAT_NAME(DS_CENTER),
    LAT_NAME(DS_SHELLFONT),
    LAT_NAME(BS_PUSHBUTTON),
    LAT_NAME(BS_DEFPUSHBUTTON),
    LAT_NAME(BS_CHECKBOX),
    LAT_NAME(BS_AUTOCHECKBOX),
    LAT_NAME(BS_RADIOBUTTON),
    LAT_NAME(BS_GROUPBOX),
    LAT_NAME(BS_AUTORADIOBUTTON),
    LAT_NAME(ES_LEFT),
    LAT_NAME(ES_CENTER),
    LAT_NAME(ES_RIGHT),
    LAT_NAME(ES_AUTOHSCROLL),
    LAT_NAME(ES_READONLY),
    LAT_NAME(ES_NUMBER),
    LAT_NAME(SS_LEFT),
    LAT_NAME(SS_CENTER),
    LAT_NAME(SS_RIGHT),
    LAT_NAME(LANG_NEUTRAL),
    LAT_NAME(LANG_ENGLISH),
    LAT_NAME(SUBLANG_NEUTRAL),
    LAT_NAME(SUBLANG_DEFAULT),
    LAT_NAME(SUBLANG_ENGLISH_US),
    LAT_NAME(IDOK),
    LAT_NAME(IDCANCEL),
};

#undef LAT_NAME

}  // namespace

std::optional<std::int64_t> FindWin32Name(std::string_view name) noexcept {
  for (const auto& [known, value] : kNames) {
    if (known == name) return value;
  }
  return std::nullopt;
}

}  // namespace user32::rc
