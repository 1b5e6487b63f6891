// The resource script reader behind the dialog table: the resource compiler's default
// styles, the faults that must stop the build, and the plug-in's own script (its headers
// and defines).
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include <windows.h>

#include "ResourceScript.h"
#include "user32/DialogTemplates.h"

namespace {

using user32::rc::ParseResourceScriptText;
using user32::rc::ScriptError;

// A dialog with `body` as its controls.
std::string Dialog(const std::string& body) {
  return "7 DIALOGEX 1, 2, 30, 40\nBEGIN\n" + body + "END\n";
}

// Each statement gets the resource compiler's default styles; a CONTROL statement has only
// what it says.
TEST(ResourceScriptStyles, StatementsGetTheCompilersDefaults) {
  constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
  const std::pair<const char*, DWORD> cases[] = {
      {"LTEXT \"a\", 3,", kChild | SS_LEFT | WS_GROUP},
      {"RTEXT \"a\", 3,", kChild | SS_RIGHT | WS_GROUP},
      {"GROUPBOX \"a\", 3,", kChild | BS_GROUPBOX},
      {"PUSHBUTTON \"a\", 3,", kChild | WS_TABSTOP},
      {"DEFPUSHBUTTON \"a\", 3,", kChild | BS_DEFPUSHBUTTON | WS_TABSTOP},
      {"EDITTEXT 3,", kChild | WS_BORDER | WS_TABSTOP},
      {"CONTROL \"a\", 3, \"button\", BS_AUTORADIOBUTTON,", kChild | BS_AUTORADIOBUTTON}};
  for (const auto& [statement, style] : cases) {
    const auto script =
        ParseResourceScriptText(Dialog(std::string(statement) + " 1, 2, 3, 4\n"), "t.rc", {});
    EXPECT_EQ(script.dialogs.at(0).controls.at(0).style, style) << statement;
  }
}

TEST(ResourceScriptFaults, NameTheFileLineAndWhatIsWrong) {
  const std::pair<std::string, std::string> cases[] = {
      {Dialog("  SCROLLBAR 3, 1, 2, 3, 4\n"), "3: unknown control statement SCROLLBAR"},
      {Dialog("  CONTROL \"a\", 3, \"msctls_trackbar32\", 0, 1, 2, 3, 4\n"),
       "3: control class msctls_trackbar32 is not supported"},
      {Dialog("  CONTROL \"a\", 3, \"Button\", BS_AUTOCHECKBOX, 1, 2, 3, 4\n"),
       "3: button type 3 is not supported"},
      {"7 DIALOGEX 0, 0, 1, 1\nBEGIN\n  LTEXT \"a\", 3, 1, 2, 3, 4\n", "3: dialog without END"},
      {"7 MENU\nBEGIN\nEND\n", "1: resource type MENU is not supported"},
      {"#if 1\n#endif\n", "1: directive #if is not supported"},
      {"#include \"nowhere.h\"\n", "1: include file \"nowhere.h\" not found"},
  };
  for (const auto& [text, fault] : cases) {
    std::string message = "no fault";
    try {
      ParseResourceScriptText(text, "t.rc", {});
    } catch (const ScriptError& error) {
      message = error.what();
    }
    EXPECT_EQ(message, "t.rc:" + fault) << text;
  }
}

// The stand-in's table is the script the plug-in is built with, and so is its version.
TEST(ResourceScriptOfThePlugin, MatchesTheDialogTableAndCarriesTheProjectVersion) {
  const auto script = user32::rc::ParseResourceScript(LAT_RESOURCE_SCRIPT_PATH,
                                                      {LAT_SOURCE_DIR, LAT_VERSION_HEADER_DIR});
  ASSERT_EQ(script.dialogs.size(), 2u);
  for (const auto& dialog : script.dialogs) {
    const user32::DialogTemplate* table = user32::FindDialogTemplate(dialog.id);
    ASSERT_NE(table, nullptr) << dialog.id;
    EXPECT_EQ(std::string(table->caption), "LAT Export Options");
    EXPECT_EQ(table->style, dialog.style);
    ASSERT_EQ(table->controlCount, dialog.controls.size());
    for (std::size_t i = 0; i < dialog.controls.size(); ++i) {
      const auto& [c, e] = std::tie(table->controls[i], dialog.controls[i]);
      EXPECT_EQ(
          std::tuple(c.id, std::string(c.className), std::string(c.text), c.style, c.exStyle, c.x,
                     c.y, c.width, c.height),
          std::tuple(e.id, e.className, e.text, e.style, e.exStyle, e.x, e.y, e.width, e.height))
          << dialog.id << " control " << i;
    }
  }
  EXPECT_EQ(user32::FindDialogTemplate(104), nullptr);
  const auto& v = script.version.fileVersion;
  EXPECT_EQ(std::to_string(v[0]) + "." + std::to_string(v[1]) + "." + std::to_string(v[2]) + "." +
                std::to_string(v[3]),
            LAT_VERSION_TEXT_VALUE ".0");
  EXPECT_EQ(script.version.productVersion, v);
  EXPECT_EQ(script.version.strings.at("FileVersion"), LAT_VERSION_TEXT_VALUE);
  EXPECT_EQ(script.version.strings.at("FileDescription"), LAT_DESCRIPTION_VALUE);
  EXPECT_EQ(script.version.strings.at("OriginalFilename"), "LAT.dll");
}

}  // namespace
