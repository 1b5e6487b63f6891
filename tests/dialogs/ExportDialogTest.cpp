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
using user32::DialogKind;
using user32::SheetButton;
using Script = std::function<void(HWND, DialogKind)>;
using Ids = std::vector<int>;

// Plays the user for its lifetime: runs the script against each dialog the stand-in opens
// and notes the title each showed.
class ScriptedUser final : public user32::DialogUser {
 public:
  explicit ScriptedUser(Script s) : script_(std::move(s)) { user32::SetDialogUser(this); }
  ~ScriptedUser() override { user32::SetDialogUser(nullptr); }
  ScriptedUser(const ScriptedUser&) = delete;
  ScriptedUser& operator=(const ScriptedUser&) = delete;
  void Interact(HWND dialog, DialogKind kind) override {
    titles.push_back(user32::GetDialogTitle(dialog));
    script_(dialog, kind);
  }
  std::vector<std::string> titles;

 private:
  Script script_;
};

std::string TextOf(HWND dialog, int id) {
  char text[256] = {};
  GetDlgItemTextA(dialog, id, text, sizeof text);
  return text;
}

Ids CheckedRadios(HWND dialog) {
  Ids ids;
  for (int id : {IDC_BLANK_DATA_MIN, IDC_BLANK_DATA_MAX, IDC_BLANK_TYPE_MIN, IDC_BLANK_TYPE_MAX,
                 IDC_BLANK_FIXED}) {
    if (IsDlgButtonChecked(dialog, id) == BST_CHECKED) ids.push_back(id);
  }
  return ids;
}

// The four range texts: data min and max, type min and max.
std::string Ranges(HWND dialog) {
  return TextOf(dialog, IDC_SHOW_DATA_MIN) + TextOf(dialog, IDC_SHOW_DATA_MAX) +
         TextOf(dialog, IDC_SHOW_TYPE_MIN) + TextOf(dialog, IDC_SHOW_TYPE_MAX);
}

// A script that picks the fixed method with `text` and then presses `button`.
Script TypeFixed(std::string text, int button) {
  return [text, button](HWND window, DialogKind) {
    ClickButton(window, IDC_BLANK_FIXED);
    SetDlgItemTextA(window, IDC_FIXED_VALUE, text.c_str());
    ClickButton(window, button);
  };
}

class ExportDialogTest : public ::testing::Test {
 protected:
  ExportDialogTest() { dialog.filter = &filter; }
  INT_PTR Run(Script script) {
    ScriptedUser user(std::move(script));
    const INT_PTR result = dialog.RunModal(nullptr, nullptr);
    title = user.titles.empty() ? "" : user.titles[0];
    return result;
  }
  // The filter's page, as the host asks for it before an export, in a property sheet.
  INT_PTR Show(Script script) {
    std::vector<IoPropertyPage*> pages;
    filter.GetPropertyPages(pages, "result.lat");
    EXPECT_EQ(pages.size(), 1u);
    page = pages.empty() ? nullptr : pages.front();
    if (page == nullptr) return -1;
    if (onPage) onPage(*page);
    ScriptedUser user(std::move(script));
    PROPSHEETHEADERA header{};
    header.dwSize = sizeof header;
    header.dwFlags = PSH_PROPSHEETPAGE;
    header.nPages = 1;
    header.ppsp = &page->GetPropSheetPage();
    const INT_PTR result = PropertySheetA(&header);
    title = user.titles.empty() ? "" : user.titles[0];
    return result;
  }
  std::string Saved() const { return manager.SavedOptionsText(); }

  hostfw::IoManager manager;
  lattest::RecordingHost host{manager};
  LatExportFilter filter{manager};
  LatExportDlg dialog;
  IoPropertyPage* page = nullptr;
  std::function<void(IoPropertyPage&)> onPage;
  std::string title;
};

TEST_F(ExportDialogTest, ShowsRangesWithSeventeenDigitsTheChoiceAndTheFileInTheTitle) {
  dialog.dataMin = 0.1;
  dialog.dataMax = 1e300;
  dialog.dataType = hostbase::CPrimType::Int16;
  dialog.fixedValue = 1e20;
  dialog.fileName = "result.lat";
  // Methods outside the five show Type max.
  for (const auto& [method, radio] :
       {std::pair{4, IDC_BLANK_FIXED}, std::pair{5, IDC_BLANK_TYPE_MAX},
        std::pair{-1, IDC_BLANK_TYPE_MAX}}) {
    dialog.blankMethod = static_cast<BlankMethod>(method);
    Run([radio = radio](HWND window, DialogKind) {
      EXPECT_EQ(Ranges(window), "[0.10000000000000001][1.0000000000000001E+300][-32768][32767]");
      EXPECT_EQ(TextOf(window, IDC_FIXED_VALUE), "1E+20");
      EXPECT_EQ(CheckedRadios(window), Ids{radio});
    });
    EXPECT_EQ(title, "LAT Export Options - result.lat");
  }
  EXPECT_TRUE(host.warnings.empty());  // no host property: no promotion on the modal form
}

TEST_F(ExportDialogTest, OkReadsTheFixedValueAsANumberWithinTheDoubles) {
  // At most seventy-nine characters are read.
  const std::pair<std::string, double> cases[] = {{"  -12.75e1xyz", -127.5},
                                                  {"abc", 0.0},
                                                  {"-1e999", -DBL_MAX},
                                                  {"nan", DBL_MAX},
                                                  {"1" + std::string(100, '0'), 1e78},
                                                  {std::string(78, ' ') + "7", 7.0},
                                                  {std::string(79, ' ') + "7", 0.0}};
  for (const auto& [text, value] : cases) {
    SCOPED_TRACE(text);
    EXPECT_EQ(Run(TypeFixed(text, IDOK)), 1);
    EXPECT_EQ(dialog.blankMethod, BlankMethod::Fixed);
    EXPECT_EQ(dialog.fixedValue, value);
  }
  EXPECT_EQ(Saved(), "BlankMethod=4\nFixedBlankValue=0\n");
}

TEST_F(ExportDialogTest, DefaultsAndCancelLeaveTheFiltersOptionsAndTheDialogsValues) {
  manager.LoadSavedOptions("BlankMethod=1\nFixedBlankValue=3\n");
  dialog.dataType = hostbase::CPrimType::Int8;
  EXPECT_EQ(Run([](HWND window, DialogKind) {
              TypeFixed("99", IDC_DEFAULTS)(window, DialogKind::Modal);
              EXPECT_EQ(CheckedRadios(window), Ids{IDC_BLANK_DATA_MIN});
              EXPECT_EQ(TextOf(window, IDC_FIXED_VALUE), "0");
              EXPECT_EQ(TextOf(window, IDC_SHOW_TYPE_MIN), "[-128]");
              ClickButton(window, IDCANCEL);
            }),
            0);
  dialog.blankMethod = BlankMethod::TypeMin;
  dialog.fixedValue = 12.0;
  EXPECT_EQ(Run(TypeFixed("8", IDCANCEL)), 0);
  EXPECT_EQ(dialog.blankMethod, BlankMethod::TypeMin);
  EXPECT_EQ(dialog.fixedValue, 12.0);
  EXPECT_EQ(Saved(), "BlankMethod=1\nFixedBlankValue=3\n");
  Run([](HWND window, DialogKind) {  // OK with no method checked keeps the method
    CheckRadioButton(window, IDC_BLANK_DATA_MIN, IDC_BLANK_FIXED, 0);
    ClickButton(window, IDOK);
  });
  EXPECT_EQ(dialog.blankMethod, BlankMethod::TypeMin);
}

// The caption's help button of the modal form (the low four bits of a system command are
// the system's own), and the sheet's help button and context help of the page.
TEST_F(ExportDialogTest, HelpButtonsOpenTheHelpTopic) {
  Run([](HWND window, DialogKind) {
    EXPECT_NE(GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_CONTEXTHELP, 0);
    user32::RequestContextHelp(window);
    SendMessageA(window, WM_SYSCOMMAND, SC_CONTEXTHELP | 0x3, 0);
  });
  Show([](HWND window, DialogKind) {
    user32::PressSheetButton(window, SheetButton::Help);
    user32::RequestContextHelp(window);
  });
  EXPECT_EQ(host.helpTopics, std::vector<std::string>(4, "Lat-Export.htm"));
}

TEST_F(ExportDialogTest, PageShowsTheHostsRangeAndThePromotedTypeWithItsWarning) {
  onPage = [](IoPropertyPage& p) {
    p.SetProperty(IoPropertyPage::GetLatticeExportPropName_DataMin(), -3.0);
    p.SetProperty(IoPropertyPage::GetLatticeExportPropName_DataMax(), 250.0);
    p.SetProperty(IoPropertyPage::GetLatticeExportPropName_DataType(),
                  static_cast<int>(hostbase::CPrimType::UInt8));
  };
  Show([this](HWND window, DialogKind kind) {
    EXPECT_EQ(kind, DialogKind::PropertySheet);
    // The warning is shown while the page opens, before the user sees it.
    EXPECT_EQ(host.warnings, (std::vector<std::string>{
                                 "This file format does not support 8-bit unsigned integer data.  "
                                 "Export will proceed by converting to 16-bit signed data."}));
    EXPECT_EQ(Ranges(window), "[-3][250][-32768][32767]");
  });
  EXPECT_EQ(title, "LAT Export Options - result.lat");
  EXPECT_EQ(host.warnings.size(), 1u);
  EXPECT_EQ(static_cast<LatExportDlg*>(page)->dataType, hostbase::CPrimType::Int16);
}

// Apply hands the choice to the filter, which saves it; Cancel after Apply keeps it.
TEST_F(ExportDialogTest, PageApplyHandsTheChoiceToTheFilterWhichSavesIt) {
  manager.LoadSavedOptions("BlankMethod=2\nFixedBlankValue=6\n");
  EXPECT_EQ(Show([&](HWND window, DialogKind kind) {
              EXPECT_EQ(CheckedRadios(window), Ids{IDC_BLANK_TYPE_MIN});
              TypeFixed("2.5", IDC_BLANK_FIXED)(window, kind);
              user32::PressSheetButton(window, SheetButton::Cancel);
            }),
            0);
  EXPECT_EQ(Saved(), "BlankMethod=2\nFixedBlankValue=6\n");
  EXPECT_EQ(Show([&](HWND window, DialogKind kind) {
              TypeFixed("2.5", IDC_BLANK_FIXED)(window, kind);
              user32::PressSheetButton(window, SheetButton::Apply);
              EXPECT_EQ(Saved(), "BlankMethod=4\nFixedBlankValue=2.5\n");
              EXPECT_FALSE(user32::IsDialogEnded(window));
              user32::PressSheetButton(window, SheetButton::Cancel);
            }),
            1);
  EXPECT_EQ(Saved(), "BlankMethod=4\nFixedBlankValue=2.5\n");
}

// A page whose template is not among the resources, or is given in memory, is refused
// before the user sees anything.
TEST_F(ExportDialogTest, SheetWithAnUnknownOrInMemoryTemplateIsNotShown) {
  bool shown = false;
  onPage = [](IoPropertyPage& p) {
    PROPSHEETPAGEA& record = const_cast<PROPSHEETPAGEA&>(p.GetPropSheetPage());
    record.pszTemplate = MAKEINTRESOURCEA(9999);
  };
  EXPECT_EQ(Show([&](HWND, DialogKind) { shown = true; }), -1);
  onPage = [](IoPropertyPage& p) {
    const_cast<PROPSHEETPAGEA&>(p.GetPropSheetPage()).dwFlags |= PSP_DLGINDIRECT;
  };
  EXPECT_EQ(Show([&](HWND, DialogKind) { shown = true; }), -1);
  EXPECT_FALSE(shown);
}

}  // namespace
