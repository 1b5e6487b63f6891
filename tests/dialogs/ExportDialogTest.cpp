// The export options dialog (modal form, resource 105) and page in the host's property
// sheet (106) on the stand-in user32: what they show, how the buttons change the choice,
// what reaches the filter.
#include <gtest/gtest.h>

#include <cfloat>
#include <functional>
#include <string>
#include <vector>

#include <prsht.h>
#include <windows.h>

#include "export/LatExportDlg.h"
#include "export/LatExportFilter.h"
#include "hostfw/IoManager.h"
#include "hostfw/IoPropertyPage.h"
#include "tests/support/RecordingHost.h"
#include "user32/DialogUser.h"

namespace {

using hostfw::IoPropertyPage;
using user32::ClickButton;
using user32::SheetButton;
using Script = std::function<void(HWND)>;

// What a dialog shows, as one text: its title, the checked methods as "(m)", the range
// displays and the fixed value.
std::string Shown(HWND dialog) {
  std::string shown = user32::GetDialogTitle(dialog);
  for (const user32::ControlView& c : user32::DescribeDialog(dialog)) {
    if (c.kind == "radio" && c.checked)
      shown += " (" + std::to_string(c.id - IDC_BLANK_DATA_MIN) + ")";
    if (c.kind == "edit" || (c.kind == "static" && c.id != -1)) shown += " " + c.text;
  }
  return shown;
}

// A script that picks the fixed method with `text` and then presses `button`.
Script TypeFixed(std::string text, int button) {
  return [text, button](HWND window) {
    ClickButton(window, IDC_BLANK_FIXED);
    SetDlgItemTextA(window, IDC_FIXED_VALUE, text.c_str());
    ClickButton(window, button);
  };
}

// The test plays the user: it runs its script on the dialog the stand-in opens.
class ExportDialogTest : public ::testing::Test, public user32::DialogUser {
 protected:
  ExportDialogTest() {
    dialog.filter = &filter;
    user32::SetDialogUser(this);
  }
  ~ExportDialogTest() override { user32::SetDialogUser(nullptr); }
  void Interact(HWND window, user32::DialogKind) override { script(window); }
  INT_PTR Run(Script s) {
    script = std::move(s);
    return dialog.RunModal(nullptr, nullptr);
  }
  // The filter's page, as the host asks for it before an export, in a property sheet.
  INT_PTR Show(Script s, UINT startPage = 0) {
    std::vector<IoPropertyPage*> pages;
    filter.GetPropertyPages(pages, "result.lat");
    EXPECT_EQ(pages.size(), 1u);
    page = pages.at(0);
    if (onPage) onPage(*page);
    script = std::move(s);
    PROPSHEETHEADERA header{};
    header.dwSize = sizeof header;
    header.dwFlags = PSH_PROPSHEETPAGE;
    header.nPages = 1;
    header.nStartPage = startPage;
    header.ppsp = &page->GetPropSheetPage();
    return PropertySheetA(&header);
  }
  std::string Saved() const { return manager.SavedOptionsText(); }

  hostfw::IoManager manager;
  lattest::RecordingHost host{manager};
  LatExportFilter filter{manager};
  LatExportDlg dialog;
  IoPropertyPage* page = nullptr;
  std::function<void(IoPropertyPage&)> onPage;
  Script script;
};

// Also the caption's help button (the low four bits of a system command are the system's).
TEST_F(ExportDialogTest, ShowsRangesWithSeventeenDigitsTheChoiceAndTheFileInTheTitle) {
  dialog.dataMin = 0.1;
  dialog.dataMax = 1e300;
  dialog.dataType = hostbase::CPrimType::Int16;
  dialog.fixedValue = 1e20;
  dialog.fileName = "result.lat";
  // Methods outside the five show Type max.
  for (const auto& [method, checked] : {std::pair{4, 4}, std::pair{5, 3}, std::pair{-1, 3}}) {
    dialog.blankMethod = static_cast<BlankMethod>(method);
    std::string shown;
    EXPECT_EQ(Run([&shown](HWND window) {
                shown = Shown(window);
                user32::RequestContextHelp(window);
                SendMessageA(window, WM_SYSCOMMAND, SC_CONTEXTHELP | 0x3, 0);
              }),
              0);
    EXPECT_EQ(shown,
              "LAT Export Options - result.lat (" + std::to_string(checked) +
                  ") [0.10000000000000001] [1.0000000000000001E+300] [-32768] [32767] 1E+20");
  }
  EXPECT_EQ(host.helpTopics, std::vector<std::string>(6, "Lat-Export.htm"));
  EXPECT_TRUE(host.warnings.empty());  // no host property: no promotion on the modal form
}

TEST_F(ExportDialogTest, OkReadsTheFixedValueAsANumberWithinTheDoubles) {
  // At most seventy-nine characters are read.
  const std::pair<std::string, double> cases[] = {{"  -12.75e1xyz", -127.5},
                                                  {"abc", 0.0},
                                                  {"-1e999", -DBL_MAX},
                                                  {"nan", DBL_MAX},
                                                  {std::string(78, ' ') + "7", 7.0},
                                                  {std::string(79, ' ') + "7", 0.0}};
  for (const auto& [text, value] : cases) {
    SCOPED_TRACE(text);
    EXPECT_EQ(Run(TypeFixed(text, IDOK)), 1);
    EXPECT_EQ(dialog.blankMethod, BlankMethod::Fixed);
    EXPECT_EQ(dialog.fixedValue, value);
  }
  EXPECT_EQ(Saved(), "BlankMethod=4\nFixedBlankValue=0\n");
  dialog.blankMethod = BlankMethod::TypeMin;
  Run([](HWND window) {  // OK with no method checked keeps the method
    CheckRadioButton(window, IDC_BLANK_DATA_MIN, IDC_BLANK_FIXED, 0);
    ClickButton(window, IDOK);
  });
  EXPECT_EQ(dialog.blankMethod, BlankMethod::TypeMin);
}

// A click checks its radio button and clears the others of its group only; a control with
// WS_GROUP starts a group (here Type min splits the five in two). Defaults resets the
// choice and the dialog's values; Cancel then reads nothing back.
TEST_F(ExportDialogTest, ClicksCheckWithinARadioGroupAndDefaultsAndCancelLeaveTheOptions) {
  manager.LoadSavedOptions("BlankMethod=1\nFixedBlankValue=3\n");
  dialog.blankMethod = BlankMethod::TypeMin;
  dialog.fixedValue = 12.0;
  dialog.dataType = hostbase::CPrimType::Int8;
  const std::pair<int, std::string> clicks[] = {
      {IDC_BLANK_DATA_MIN, "Options (0) (2) ["},
      {IDC_BLANK_FIXED, "Options (0) (4) ["},
      {IDC_BLANK_DATA_MAX, "Options (1) (4) ["},
      {IDC_DEFAULTS, "Options (0) [0] [0] [-128] [127] 0"}};
  EXPECT_EQ(Run([&clicks](HWND window) {
              const HWND split = GetDlgItem(window, IDC_BLANK_TYPE_MIN);
              SetWindowLongA(split, GWL_STYLE, GetWindowLongA(split, GWL_STYLE) | WS_GROUP);
              for (const auto& [id, shown] : clicks) {
                ClickButton(window, id);
                EXPECT_NE(Shown(window).find(shown), std::string::npos) << Shown(window);
              }
              TypeFixed("8", IDCANCEL)(window);
            }),
            0);
  EXPECT_EQ(dialog.blankMethod, BlankMethod::DataMin);
  EXPECT_EQ(dialog.fixedValue, 0.0);
  EXPECT_EQ(Saved(), "BlankMethod=1\nFixedBlankValue=3\n");
}

// The host's range and the type written (promoted, with its warning before the page shows);
// Cancel hands nothing to the filter, Apply hands it the choice, which it saves, and a
// Cancel after Apply keeps it. Also the sheet's help and a start page past the last.
TEST_F(ExportDialogTest, PageShowsTheHostsRangeAndApplyHandsTheChoiceToTheFilter) {
  manager.LoadSavedOptions("BlankMethod=2\nFixedBlankValue=6\n");
  onPage = [](IoPropertyPage& p) {
    p.SetProperty(IoPropertyPage::GetLatticeExportPropName_DataMin(), -3.0);
    p.SetProperty(IoPropertyPage::GetLatticeExportPropName_DataMax(), 250.0);
    p.SetProperty(IoPropertyPage::GetLatticeExportPropName_DataType(),
                  static_cast<int>(hostbase::CPrimType::UInt8));
  };
  std::string shown;
  EXPECT_EQ(Show(
                [&](HWND window) {
                  shown = Shown(window) + " " + std::to_string(host.warnings.size());
                  user32::PressSheetButton(window, SheetButton::Help);
                  user32::RequestContextHelp(window);
                  TypeFixed("2.5", IDC_BLANK_FIXED)(window);
                  user32::PressSheetButton(window, SheetButton::Cancel);
                },
                1),
            0);
  EXPECT_EQ(shown, "LAT Export Options - result.lat (2) [-3] [250] [-32768] [32767] 6 1");
  EXPECT_EQ(host.warnings, (std::vector<std::string>{
                               "This file format does not support 8-bit unsigned integer data.  "
                               "Export will proceed by converting to 16-bit signed data."}));
  EXPECT_EQ(host.helpTopics, std::vector<std::string>(2, "Lat-Export.htm"));
  EXPECT_EQ(static_cast<LatExportDlg*>(page)->dataType, hostbase::CPrimType::Int16);
  EXPECT_EQ(Saved(), "BlankMethod=2\nFixedBlankValue=6\n");
  EXPECT_EQ(Show([&](HWND window) {
              TypeFixed("2.5", IDC_BLANK_FIXED)(window);
              user32::PressSheetButton(window, SheetButton::Apply);
              shown = Saved() + (user32::IsDialogEnded(window) ? "ended" : "open");
              user32::PressSheetButton(window, SheetButton::Cancel);
            }),
            1);
  EXPECT_EQ(shown, "BlankMethod=4\nFixedBlankValue=2.5\nopen");
  EXPECT_EQ(Saved(), "BlankMethod=4\nFixedBlankValue=2.5\n");
}

// A sheet without pages, or a page whose template is not among the resources or is given in
// memory, is refused before the user sees anything; a property without a name is not read.
TEST_F(ExportDialogTest, SheetWithoutPagesOrWithAnUnknownOrInMemoryTemplateIsNotShown) {
  std::vector<IoPropertyPage*> pages;
  filter.GetPropertyPages(pages, "result.lat");
  int value = 0;
  EXPECT_FALSE(pages.at(0)->GetProperty(nullptr, value));
  PROPSHEETHEADERA none{};
  none.dwSize = sizeof none;
  none.dwFlags = PSH_PROPSHEETPAGE;
  none.ppsp = &pages.at(0)->GetPropSheetPage();
  script = [](HWND) { ADD_FAILURE() << "shown"; };
  EXPECT_EQ(PropertySheetA(&none), -1);
  onPage = [](IoPropertyPage& p) {
    const_cast<PROPSHEETPAGEA&>(p.GetPropSheetPage()).pszTemplate = MAKEINTRESOURCEA(9999);
  };
  EXPECT_EQ(Show([](HWND) { ADD_FAILURE() << "shown"; }), -1);
  onPage = [](IoPropertyPage& p) {
    const_cast<PROPSHEETPAGEA&>(p.GetPropSheetPage()).dwFlags |= PSP_DLGINDIRECT;
  };
  EXPECT_EQ(Show([](HWND) { ADD_FAILURE() << "shown"; }), -1);
}

}  // namespace
