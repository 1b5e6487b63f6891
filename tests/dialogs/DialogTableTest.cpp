// The dialog templates the stand-in was built with: the options dialog (105) and page
// (106) with every control's id, class, text, rectangle and style, and the version block.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include <windows.h>

#include "ResourceScript.h"
#include "resources/LatResource.h"
#include "user32/DialogTemplates.h"

namespace {

using user32::ControlTemplate;
using user32::DialogTemplate;

constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
constexpr DWORD kText = kChild | SS_LEFT | WS_GROUP;
constexpr DWORD kRadio = kChild | BS_AUTORADIOBUTTON;
constexpr DWORD kButton = kChild | BS_PUSHBUTTON | WS_TABSTOP;

struct Expected {
  int id;
  std::string className;
  std::string text;
  DWORD style;
  int x, y, width, height;
};

// The controls both forms share, in tab order.
std::vector<Expected> SharedControls() {
  return {
      {IDC_STATIC, "Static",
       "Some exported nodes may contain missing (blanked) data, which this file format "
       "doesn't support.",
       kText, 5, 5, 188, 20},
      {IDC_STATIC, "Button", "Set any blanked nodes to", kChild | BS_GROUPBOX, 5, 25, 182, 77},
      {1200, "Button", "Data mi&n", kRadio | WS_GROUP | WS_TABSTOP, 10, 37, 45, 10},
      {1201, "Button", "Data ma&x", kRadio, 10, 49, 45, 10},
      {1202, "Button", "&Type min", kRadio, 10, 61, 45, 10},
      {1203, "Button", "Type &max", kRadio, 10, 73, 45, 10},
      {1204, "Button", "&Fixed   ", kRadio, 10, 85, 45, 10},
      {1250, "Static", "", kText, 60, 37, 100, 10},
      {1251, "Static", "", kText, 60, 49, 100, 10},
      {1252, "Static", "", kText, 60, 61, 100, 10},
      {1253, "Static", "", kText, 60, 73, 100, 10},
      {1205, "Edit", "", kChild | ES_LEFT | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 60, 85, 118,
       12},
  };
}

void ExpectControls(const DialogTemplate& dialog, const std::vector<Expected>& expected) {
  ASSERT_EQ(dialog.controlCount, expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    const ControlTemplate& c = dialog.controls[i];
    const Expected& e = expected[i];
    SCOPED_TRACE("dialog " + std::to_string(dialog.id) + ", control " + std::to_string(i) + " \"" +
                 e.text + "\"");
    EXPECT_EQ(c.id, e.id);
    EXPECT_EQ(std::string(c.className), e.className);
    EXPECT_EQ(std::string(c.text), e.text);
    EXPECT_EQ(c.style, e.style) << std::hex << c.style << " != " << e.style;
    EXPECT_EQ(c.exStyle, 0u);
    EXPECT_EQ((std::vector<int>{c.x, c.y, c.width, c.height}),
              (std::vector<int>{e.x, e.y, e.width, e.height}));
  }
}

void ExpectFrame(const DialogTemplate& dialog) {
  EXPECT_EQ(std::string(dialog.caption), "LAT Export Options");
  EXPECT_EQ(std::string(dialog.fontName), "MS Shell Dlg");
  EXPECT_EQ(dialog.fontSize, 8);
  EXPECT_EQ(dialog.language, MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
  EXPECT_EQ((std::vector<int>{dialog.x, dialog.y, dialog.width, dialog.height}),
            (std::vector<int>{0, 0, 198, 123}));
  EXPECT_EQ(dialog.style, static_cast<DWORD>(DS_SETFONT | DS_FIXEDSYS | DS_MODALFRAME | WS_POPUP |
                                             WS_CAPTION | WS_SYSMENU));
}

TEST(DialogTable, ModalDialogHasTheChoicesRangesAndItsThreeButtons) {
  const DialogTemplate* dialog = user32::FindDialogTemplate(IDD_LAT_EXPORT_MODAL);
  ASSERT_NE(dialog, nullptr);
  ExpectFrame(*dialog);
  auto expected = SharedControls();
  expected.push_back({1254, "Button", "&Defaults", kButton, 57, 105, 41, 14});
  expected.push_back(
      {IDOK, "Button", "OK", kChild | BS_DEFPUSHBUTTON | WS_TABSTOP, 102, 105, 41, 14});
  expected.push_back({IDCANCEL, "Button", "Cancel", kButton, 147, 105, 41, 14});
  ExpectControls(*dialog, expected);
}

TEST(DialogTable, PageHasNoOkOrCancelAndATallerDefaultsButton) {
  const DialogTemplate* page = user32::FindDialogTemplate(IDD_LAT_EXPORT_PAGE);
  ASSERT_NE(page, nullptr);
  ExpectFrame(*page);
  auto expected = SharedControls();
  expected.push_back({1254, "Button", "&Defaults", kButton, 147, 105, 41, 16});
  ExpectControls(*page, expected);
}

TEST(DialogTable, OnlyTheTwoOptionTemplatesExist) {
  EXPECT_EQ(user32::FindDialogTemplate(0), nullptr);
  EXPECT_EQ(user32::FindDialogTemplate(104), nullptr);
  EXPECT_EQ(user32::FindDialogTemplate(107), nullptr);
  EXPECT_EQ(user32::FindDialogTemplate(IDC_BLANK_DATA_MIN), nullptr);
}

TEST(ResourceVersion, CarriesTheProjectVersionAndNames) {
  const auto script = user32::rc::ParseResourceScript(LAT_RESOURCE_SCRIPT_PATH,
                                                      {LAT_SOURCE_DIR, LAT_VERSION_HEADER_DIR});
  ASSERT_TRUE(script.version.present);
  const std::array<int, 4> version{LAT_VERSION_MAJOR_VALUE, LAT_VERSION_MINOR_VALUE,
                                   LAT_VERSION_PATCH_VALUE, 0};
  EXPECT_EQ(script.version.fileVersion, version);
  EXPECT_EQ(script.version.productVersion, version);
  EXPECT_EQ(script.version.strings.at("FileVersion"), LAT_VERSION_TEXT_VALUE);
  EXPECT_EQ(script.version.strings.at("ProductVersion"), LAT_VERSION_TEXT_VALUE);
  EXPECT_EQ(script.version.strings.at("FileDescription"), LAT_DESCRIPTION_VALUE);
  EXPECT_FALSE(script.version.strings.at("ProductName").empty());
  EXPECT_EQ(script.version.strings.at("OriginalFilename"), "LAT.dll");
  // The script read now is the one the stand-in's table came from.
  ASSERT_EQ(script.dialogs.size(), 2u);
  EXPECT_EQ(script.dialogs[0].controls.size(),
            user32::FindDialogTemplate(script.dialogs[0].id)->controlCount);
}

}  // namespace
