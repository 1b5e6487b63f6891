// The export options page in the host's property sheet (resource 106): the host's
// properties, the promotion warning, Help, and Apply/OK/Cancel reaching the filter.
#include <gtest/gtest.h>

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

constexpr const char* k8BitWarning =
    "This file format does not support 8-bit unsigned integer data.  Export will proceed by "
    "converting to 16-bit signed data.";

class ExportPageTest : public ::testing::Test {
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

  hostfw::IoManager manager;
  lattest::RecordingHost host{manager};
  LatExportFilter filter{manager};
  std::string title;
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
    EXPECT_EQ(dialogtest::Control(user32::DescribeDialog(window), IDC_DEFAULTS).height, 16);
  });
  EXPECT_EQ(title, "LAT Export Options - result.lat");
  EXPECT_EQ(host.warnings.size(), 1u);
  EXPECT_EQ(static_cast<LatExportDlg*>(page)->dataType, hostbase::CPrimType::Int16);
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
