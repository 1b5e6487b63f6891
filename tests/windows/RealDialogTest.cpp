// The export options dialog (105) and page (106) on the system's user32 and comctl32: a
// second thread reads the range displays, picks a method, types a value and presses OK,
// Cancel or Apply; the test then checks what reached the filter.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>
#include <prsht.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "DialogRobot.h"
#include "export/LatExportDlg.h"
#include "export/LatExportFilter.h"
#include "hostfw/IoManager.h"
#include "tests/support/RecordingHost.h"

namespace {

using wintest::Click;
using wintest::DialogRobot;
using wintest::TextOf;

// Where pictures of the dialogs go for review (set by the CI stage), or null.
const char* PictureDir() {
  const char* dir = std::getenv("LAT_DIALOG_PICTURES");
  return dir != nullptr && *dir != '\0' ? dir : nullptr;
}

// Takes the picture of `window`, which must show the dialog's face colour (frame and
// buttons) and, inside the place of `control`, that control's text on its background: a
// blank capture, or one taken before the controls painted, fails. Keeps the picture for
// review when a picture folder is set.
void CheckPicture(HWND window, HWND control, const char* name) {
  const wintest::WindowPicture picture = wintest::TakeWindowPicture(window);
  ASSERT_FALSE(picture.pixels.empty()) << name;
  EXPECT_GT(wintest::ColourCount(picture), 2u) << name;
  EXPECT_GT(wintest::PixelsOf(picture, GetSysColor(COLOR_BTNFACE)), picture.pixels.size() / 10)
      << name;
  const wintest::WindowPicture part = wintest::PartOf(picture, window, control);
  ASSERT_FALSE(part.pixels.empty()) << name;
  const std::size_t text = wintest::PixelsOf(part, GetSysColor(COLOR_BTNTEXT));
  EXPECT_GT(text, part.pixels.size() / 50) << name;
  EXPECT_LT(text, part.pixels.size() / 2) << name;
  if (const char* dir = PictureDir()) {
    EXPECT_TRUE(wintest::SavePicture(picture, std::string(dir) + "\\" + name)) << name;
  }
}

class RealDialogTest : public ::testing::Test {
 protected:
  RealDialogTest() {
    // The test program carries the module's dialog templates.
    manager.resourceInstance = GetModuleHandleA(nullptr);
    dialog.filter = &filter;
  }
  bool Saved(int& method, double& value) const {
    return manager.GetOption("BlankMethod", method, true) &&
           manager.GetOption("FixedBlankValue", value, true);
  }

  hostfw::IoManager manager;
  lattest::RecordingHost host{manager};
  LatExportFilter filter{manager};
  LatExportDlg dialog;
};

struct Shown {
  std::string title, dataMin, dataMax, typeMin, typeMax, fixed;
  bool minChecked = false;
};

Shown Read(HWND window) {
  Shown shown;
  char title[128] = {};
  GetWindowTextA(window, title, sizeof title);
  shown.title = title;
  shown.dataMin = TextOf(window, IDC_SHOW_DATA_MIN);
  shown.dataMax = TextOf(window, IDC_SHOW_DATA_MAX);
  shown.typeMin = TextOf(window, IDC_SHOW_TYPE_MIN);
  shown.typeMax = TextOf(window, IDC_SHOW_TYPE_MAX);
  shown.fixed = TextOf(window, IDC_FIXED_VALUE);
  shown.minChecked = IsDlgButtonChecked(window, IDC_BLANK_DATA_MIN) == BST_CHECKED;
  return shown;
}

TEST_F(RealDialogTest, ModalDialogShowsTheRangesAndOkHandsTheChoiceToTheFilter) {
  dialog.dataMin = 0.1;
  dialog.dataMax = 1e300;
  dialog.dataType = hostbase::CPrimType::Int16;
  dialog.fileName = "result.lat";
  Shown shown;
  bool fixedChecked = false;
  DialogRobot robot([&](HWND window) {
    shown = Read(window);
    CheckPicture(window, GetDlgItem(window, IDC_SHOW_DATA_MAX), "dialog-105.bmp");
    Click(window, IDC_BLANK_FIXED);
    fixedChecked = IsDlgButtonChecked(window, IDC_BLANK_FIXED) == BST_CHECKED;
    SetDlgItemTextA(window, IDC_FIXED_VALUE, "-12.5");
    Click(window, IDOK);
  });
  const INT_PTR result = dialog.RunModal(GetModuleHandleA(nullptr), nullptr);
  ASSERT_TRUE(robot.FoundDialog());
  EXPECT_EQ(result, 1);
  EXPECT_EQ(shown.title, "LAT Export Options - result.lat");
  EXPECT_EQ(shown.dataMin, "[0.10000000000000001]");
  EXPECT_EQ(shown.dataMax, "[1.0000000000000001E+300]");
  EXPECT_EQ(shown.typeMin, "[-32768]");
  EXPECT_EQ(shown.typeMax, "[32767]");
  EXPECT_EQ(shown.fixed, "0");
  EXPECT_TRUE(shown.minChecked);
  EXPECT_TRUE(fixedChecked);  // an auto radio button checks itself when clicked
  int method = -1;
  double value = 0.0;
  ASSERT_TRUE(Saved(method, value));
  EXPECT_EQ(method, 4);
  EXPECT_EQ(value, -12.5);
  EXPECT_EQ(dialog.blankMethod, 4);
}

TEST_F(RealDialogTest, CancelLeavesTheFilterAlone) {
  DialogRobot robot([](HWND window) {
    Click(window, IDC_BLANK_TYPE_MAX);
    SetDlgItemTextA(window, IDC_FIXED_VALUE, "7");
    Click(window, IDCANCEL);
  });
  const INT_PTR result = dialog.RunModal(GetModuleHandleA(nullptr), nullptr);
  ASSERT_TRUE(robot.FoundDialog());
  EXPECT_EQ(result, 0);
  int method = -1;
  double value = 0.0;
  EXPECT_FALSE(Saved(method, value));
}

TEST_F(RealDialogTest, DefaultsResetTheChoiceAndUnreadableTextBecomesZero) {
  dialog.blankMethod = 3;
  dialog.fixedValue = 5.0;
  dialog.dataMin = 1.0;
  Shown before, after;
  DialogRobot robot([&](HWND window) {
    before = Read(window);
    Click(window, IDC_DEFAULTS);
    after = Read(window);
    Click(window, IDC_BLANK_DATA_MAX);
    SetDlgItemTextA(window, IDC_FIXED_VALUE, "abc");
    Click(window, IDOK);
  });
  EXPECT_EQ(dialog.RunModal(GetModuleHandleA(nullptr), nullptr), 1);
  ASSERT_TRUE(robot.FoundDialog());
  EXPECT_FALSE(before.minChecked);
  EXPECT_EQ(before.fixed, "5");
  EXPECT_TRUE(after.minChecked);
  EXPECT_EQ(after.fixed, "0");
  EXPECT_EQ(after.dataMin, before.dataMin);  // the range displays stay
  EXPECT_EQ(after.typeMax, before.typeMax);
  int method = -1;
  double value = 1.0;
  ASSERT_TRUE(Saved(method, value));
  EXPECT_EQ(method, 1);
  EXPECT_EQ(value, 0.0);
}

// The page made by GetPropertyPages, inside a property sheet.
class RealPageTest : public RealDialogTest {
 protected:
  INT_PTR RunSheet() {
    std::vector<hostfw::IoPropertyPage*> pages;
    filter.GetPropertyPages(pages, "sheet.lat");
    EXPECT_EQ(pages.size(), 1u);
    if (pages.empty()) return -1;
    pages[0]->SetProperty(hostfw::IoPropertyPage::GetLatticeExportPropName_DataMin(), -2.5);
    pages[0]->SetProperty(hostfw::IoPropertyPage::GetLatticeExportPropName_DataMax(), 3.0);
    pages[0]->SetProperty(hostfw::IoPropertyPage::GetLatticeExportPropName_DataType(),
                          static_cast<int>(hostbase::CPrimType::Int16));
    PROPSHEETPAGEA record = pages[0]->GetPropSheetPage();
    PROPSHEETHEADERA header{};
    header.dwSize = sizeof header;
    header.dwFlags = PSH_PROPSHEETPAGE | PSH_HASHELP;
    header.hInstance = GetModuleHandleA(nullptr);
    header.pszCaption = "Export";
    header.nPages = 1;
    header.ppsp = &record;
    return PropertySheetA(&header);
  }
};

TEST_F(RealPageTest, ApplyHandsTheChoiceToTheFilterAndCancelKeepsIt) {
  Shown shown;
  DialogRobot robot([&](HWND sheet) {
    const HWND page = PropSheet_GetCurrentPageHwnd(sheet);
    shown = Read(page);
    CheckPicture(sheet, GetDlgItem(page, IDC_SHOW_DATA_MIN), "page-106.bmp");
    Click(page, IDC_BLANK_TYPE_MIN);
    SetDlgItemTextA(page, IDC_FIXED_VALUE, "99");
    PropSheet_Apply(sheet);
    Click(sheet, IDCANCEL);
  });
  RunSheet();
  ASSERT_TRUE(robot.FoundDialog());
  EXPECT_EQ(shown.dataMin, "[-2.5]");
  EXPECT_EQ(shown.dataMax, "[3]");
  EXPECT_EQ(shown.typeMin, "[-32768]");
  EXPECT_EQ(shown.typeMax, "[32767]");
  int method = -1;
  double value = 0.0;
  ASSERT_TRUE(Saved(method, value));
  EXPECT_EQ(method, 2);
  EXPECT_EQ(value, 99.0);
}

TEST_F(RealPageTest, CancelWithoutApplyLeavesTheFilterAlone) {
  DialogRobot robot([](HWND sheet) {
    const HWND page = PropSheet_GetCurrentPageHwnd(sheet);
    Click(page, IDC_BLANK_FIXED);
    SetDlgItemTextA(page, IDC_FIXED_VALUE, "3");
    Click(sheet, IDCANCEL);
  });
  RunSheet();
  ASSERT_TRUE(robot.FoundDialog());
  int method = -1;
  double value = 0.0;
  EXPECT_FALSE(Saved(method, value));
}

}  // namespace
