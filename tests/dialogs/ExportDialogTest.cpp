// The export options dialog (modal form, resource 105) and page in the host's property
// sheet (106): what they show, how the buttons change the choice, what reaches the filter.
#include <gtest/gtest.h>

#include <cfloat>
#include <string>
#include <vector>

#include <prsht.h>
#include <windows.h>

#include "ScriptedUser.h"
#include "export/LatExportDlg.h"
#include "export/LatExportFilter.h"
#include "hostfw/IoManager.h"
#include "hostfw/IoPropertyPage.h"
#include "tests/support/RecordingHost.h"

namespace {

using dialogtest::CheckedRadios;
using dialogtest::ScriptedUser;
using dialogtest::TextOf;
using hostfw::IoPropertyPage;
using user32::DialogKind;
using user32::SheetButton;

class ExportDialogTest : public ::testing::Test {
 protected:
  ExportDialogTest() { dialog.filter = &filter; }
  INT_PTR Run(ScriptedUser::Script script) {
    ScriptedUser user(std::move(script));
    const INT_PTR result = dialog.RunModal(nullptr, nullptr);
    title = user.titles.empty() ? "" : user.titles[0];
    return result;
  }
  std::string Saved() const { return manager.SavedOptionsText(); }

  hostfw::IoManager manager;
  lattest::RecordingHost host{manager};
  LatExportFilter filter{manager};
  LatExportDlg dialog;
  std::string title;
};

TEST_F(ExportDialogTest, ShowsRangesWithSeventeenDigitsTheChoiceAndTheFileInTheTitle) {
  dialog.dataMin = 0.1;
  dialog.dataMax = 1e300;
  dialog.dataType = hostbase::CPrimType::Int16;
  dialog.blankMethod = 4;
  dialog.fixedValue = 1e20;
  dialog.fileName = "result.lat";
  Run([](HWND window, DialogKind) {
    EXPECT_EQ(TextOf(window, IDC_SHOW_DATA_MIN), "[0.10000000000000001]");
    EXPECT_EQ(TextOf(window, IDC_SHOW_DATA_MAX), "[1.0000000000000001E+300]");
    EXPECT_EQ(TextOf(window, IDC_SHOW_TYPE_MIN), "[-32768]");
    EXPECT_EQ(TextOf(window, IDC_SHOW_TYPE_MAX), "[32767]");
    EXPECT_EQ(TextOf(window, IDC_FIXED_VALUE), "1E+20");
    EXPECT_EQ(CheckedRadios(window), (std::vector<int>{IDC_BLANK_FIXED}));
  });
  EXPECT_EQ(title, "LAT Export Options - result.lat");
  EXPECT_TRUE(host.warnings.empty());  // no host property: no promotion on the modal form
  for (const std::int32_t method : {5, -1}) {
    dialog.blankMethod = method;  // outside the five: Type max
    Run([](HWND window, DialogKind) {
      EXPECT_EQ(CheckedRadios(window), (std::vector<int>{IDC_BLANK_TYPE_MAX}));
    });
  }
}

TEST_F(ExportDialogTest, OkReadsTheFixedValueAsANumberWithinTheDoubles) {
  const std::vector<std::pair<std::string, double>> cases = {
      {"  -12.75e1xyz", -127.5},         {"abc", 0.0},
      {"1e999", DBL_MAX},                {"-inf", -DBL_MAX},
      {"nan", DBL_MAX},                  {"-1.7976931348623157e308", -DBL_MAX},
      {"1" + std::string(100, '0'), 1e78},  // at most seventy-nine characters are read
      {std::string(78, ' ') + "7", 7.0}, {std::string(79, ' ') + "7", 0.0},
  };
  for (const auto& [text, value] : cases) {
    SCOPED_TRACE(text);
    EXPECT_EQ(Run([text = text](HWND window, DialogKind) {
                user32::ClickButton(window, IDC_BLANK_FIXED);
                SetDlgItemTextA(window, IDC_FIXED_VALUE, text.c_str());
                user32::ClickButton(window, IDOK);
              }),
              1);
    EXPECT_EQ(dialog.blankMethod, 4);
    EXPECT_EQ(dialog.fixedValue, value);
  }
  EXPECT_EQ(Saved(), "BlankMethod=4\nFixedBlankValue=0\n");
}

TEST_F(ExportDialogTest, DefaultsAndCancelLeaveTheFiltersOptionsAndTheDialogsValues) {
  manager.LoadSavedOptions("BlankMethod=1\nFixedBlankValue=3\n");
  dialog.dataType = hostbase::CPrimType::Int8;
  EXPECT_EQ(Run([](HWND window, DialogKind) {
              user32::ClickButton(window, IDC_BLANK_FIXED);
              SetDlgItemTextA(window, IDC_FIXED_VALUE, "99");
              user32::ClickButton(window, IDC_DEFAULTS);
              EXPECT_EQ(CheckedRadios(window), (std::vector<int>{IDC_BLANK_DATA_MIN}));
              EXPECT_EQ(TextOf(window, IDC_FIXED_VALUE), "0");
              EXPECT_EQ(TextOf(window, IDC_SHOW_TYPE_MIN), "[-128]");
              user32::ClickButton(window, IDCANCEL);
            }),
            0);
  EXPECT_EQ(Saved(), "BlankMethod=1\nFixedBlankValue=3\n");
  dialog.blankMethod = 2;
  dialog.fixedValue = 12.0;
  EXPECT_EQ(Run([](HWND window, DialogKind) {
              user32::ClickButton(window, IDC_BLANK_FIXED);
              SetDlgItemTextA(window, IDC_FIXED_VALUE, "8");
              user32::ClickButton(window, IDCANCEL);
            }),
            0);
  EXPECT_EQ(dialog.blankMethod, 2);
  EXPECT_EQ(dialog.fixedValue, 12.0);
  EXPECT_EQ(Saved(), "BlankMethod=1\nFixedBlankValue=3\n");
  Run([](HWND window, DialogKind) {  // OK with no method checked keeps the method
    CheckRadioButton(window, IDC_BLANK_DATA_MIN, IDC_BLANK_FIXED, 0);
    user32::ClickButton(window, IDOK);
  });
  EXPECT_EQ(dialog.blankMethod, 2);
}

TEST_F(ExportDialogTest, CaptionHelpButtonOpensTheHelpTopic) {
  Run([](HWND window, DialogKind) {
    EXPECT_NE(GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_CONTEXTHELP, 0);
    user32::RequestContextHelp(window);
    // The low four bits of a system command are the system's own.
    SendMessageA(window, WM_SYSCOMMAND, SC_CONTEXTHELP | 0x3, 0);
  });
  EXPECT_EQ(host.helpTopics, (std::vector<std::string>{"Lat-Export.htm", "Lat-Export.htm"}));
}

constexpr const char* k8BitWarning =
    "This file format does not support 8-bit unsigned integer data.  Export will proceed by "
    "converting to 16-bit signed data.";

class ExportPageTest : public ExportDialogTest {
 protected:
  // The filter's page, as the host asks for it before an export.
  IoPropertyPage* MakePage() {
    std::vector<IoPropertyPage*> pages;
    filter.GetPropertyPages(pages, "result.lat");
    EXPECT_EQ(pages.size(), 1u);
    return pages.empty() ? nullptr : pages.front();
  }
  // Shows `page` in a property sheet with `script` as the user; returns PropertySheetA's.
  INT_PTR Show(IoPropertyPage* page, ScriptedUser::Script script) {
    ScriptedUser user(std::move(script));
    PROPSHEETHEADERA header{};
    header.dwSize = sizeof header;
    header.dwFlags = PSH_PROPSHEETPAGE;
    header.pszCaption = "Export lattice";
    header.nPages = 1;
    header.ppsp = &page->GetPropSheetPage();
    const INT_PTR result = PropertySheetA(&header);
    title = user.titles.empty() ? "" : user.titles[0];
    return result;
  }
};

TEST_F(ExportPageTest, ShowsTheHostsRangeAndThePromotedTypeWithItsWarning) {
  IoPropertyPage* page = MakePage();
  ASSERT_NE(page, nullptr);
  page->SetProperty(IoPropertyPage::GetLatticeExportPropName_DataMin(), -3.0);
  page->SetProperty(IoPropertyPage::GetLatticeExportPropName_DataMax(), 250.0);
  page->SetProperty(IoPropertyPage::GetLatticeExportPropName_DataType(),
                    static_cast<int>(hostbase::CPrimType::UInt8));
  Show(page, [this](HWND window, DialogKind kind) {
    EXPECT_EQ(kind, DialogKind::PropertySheet);
    // The warning is shown while the page opens, before the user sees it.
    EXPECT_EQ(host.warnings, (std::vector<std::string>{k8BitWarning}));
    EXPECT_EQ(TextOf(window, IDC_SHOW_DATA_MIN), "[-3]");
    EXPECT_EQ(TextOf(window, IDC_SHOW_DATA_MAX), "[250]");
    EXPECT_EQ(TextOf(window, IDC_SHOW_TYPE_MIN), "[-32768]");
    EXPECT_EQ(TextOf(window, IDC_SHOW_TYPE_MAX), "[32767]");
  });
  EXPECT_EQ(title, "LAT Export Options - result.lat");
  EXPECT_EQ(host.warnings.size(), 1u);
  EXPECT_EQ(static_cast<LatExportDlg*>(page)->dataType, hostbase::CPrimType::Int16);
}

TEST_F(ExportPageTest, TheSheetsHelpButtonOpensTheHelpTopic) {
  IoPropertyPage* page = MakePage();
  ASSERT_NE(page, nullptr);
  Show(page, [](HWND window, DialogKind) {
    user32::PressSheetButton(window, SheetButton::Help);
    user32::RequestContextHelp(window);
  });
  EXPECT_EQ(host.helpTopics, (std::vector<std::string>{"Lat-Export.htm", "Lat-Export.htm"}));
}

TEST_F(ExportPageTest, ApplyHandsTheChoiceToTheFilterWhichSavesIt) {
  manager.LoadSavedOptions("BlankMethod=2\nFixedBlankValue=6\n");
  IoPropertyPage* page = MakePage();
  ASSERT_NE(page, nullptr);
  EXPECT_EQ(Show(page,
                 [&](HWND window, DialogKind) {
                   EXPECT_EQ(CheckedRadios(window), (std::vector<int>{IDC_BLANK_TYPE_MIN}));
                   user32::ClickButton(window, IDC_BLANK_FIXED);
                   SetDlgItemTextA(window, IDC_FIXED_VALUE, "2.5");
                   user32::PressSheetButton(window, SheetButton::Cancel);
                 }),
            0);
  EXPECT_EQ(manager.SavedOptionsText(), "BlankMethod=2\nFixedBlankValue=6\n");
  EXPECT_EQ(Show(page,
                 [&](HWND window, DialogKind) {
                   user32::ClickButton(window, IDC_BLANK_FIXED);
                   SetDlgItemTextA(window, IDC_FIXED_VALUE, "2.5");
                   user32::PressSheetButton(window, SheetButton::Apply);
                   EXPECT_EQ(manager.SavedOptionsText(), "BlankMethod=4\nFixedBlankValue=2.5\n");
                   EXPECT_FALSE(user32::IsDialogEnded(window));
                   user32::PressSheetButton(window, SheetButton::Cancel);
                 }),
            1);
  // Cancel after Apply keeps what Apply took.
  EXPECT_EQ(manager.SavedOptionsText(), "BlankMethod=4\nFixedBlankValue=2.5\n");
}

}  // namespace
