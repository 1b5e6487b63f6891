// The export filter's side of the options page and dialog: the page record it hands to the
// host, the page's values taken at the first lattice header, the fixed value checked when
// a page was made, and the modal dialog's Cancel and OK inside an export.
#include <windows.h>

#include "export/LatExportDlg.h"
#include "tests/export/ExportHarness.h"
#include "user32/DialogUser.h"

namespace lattest {
namespace {

namespace bin = lat::binary;
using hostbase::CPrimType;

// Plays the user of the modal dialog: notes the type range it shows, then clicks.
class ClickingUser final : public user32::DialogUser {
 public:
  explicit ClickingUser(std::vector<int> buttons) : buttons_(std::move(buttons)) {
    user32::SetDialogUser(this);
  }
  ~ClickingUser() override { user32::SetDialogUser(nullptr); }
  ClickingUser(const ClickingUser&) = delete;
  ClickingUser& operator=(const ClickingUser&) = delete;

  void Interact(HWND dialog, user32::DialogKind kind) override {
    ++shown;
    modal = kind == user32::DialogKind::Modal;
    char text[64] = {};
    GetDlgItemTextA(dialog, IDC_SHOW_TYPE_MIN, text, sizeof text);
    typeMin = text;
    GetDlgItemTextA(dialog, IDC_SHOW_DATA_MAX, text, sizeof text);
    dataMax = text;
    for (int id : buttons_) user32::ClickButton(dialog, id);
  }

  int shown = 0;
  bool modal = false;
  std::string typeMin, dataMax;

 private:
  std::vector<int> buttons_;
};

// A lattice of 8-bit unsigned values (written as 16-bit signed) with blanks marked 255, its
// data range 3 .. 9.
ExportLattice BlankedBytes() {
  ExportLattice lattice = MakeLattice(bin::kUniform, CPrimType::UInt8, 3, 1, 1);
  lattice.values = {3, 255, 9};
  lattice.blanks = true;
  lattice.blankValue = 255;
  lattice.componentMin = {3};
  lattice.componentMax = {9};
  return lattice;
}

class ExportPagesTest : public ExportTest {
 protected:
  LatExportDlg* MakePage() {
    std::vector<hostfw::IoPropertyPage*> pages;
    filter.GetPropertyPages(pages, out.c_str());
    EXPECT_EQ(pages.size(), 1u);
    return pages.empty() ? nullptr : static_cast<LatExportDlg*>(pages.back());
  }
};

TEST_F(ExportPagesTest, PageCarriesTheSavedChoiceAndTheSheetRecord) {
  int resources = 0;
  manager.resourceInstance = &resources;
  manager.LoadSavedOptions("BlankMethod=4\nFixedBlankValue=-6.5\n");
  LatExportDlg* page = MakePage();
  ASSERT_NE(page, nullptr);
  EXPECT_EQ(page->filter, &filter);
  EXPECT_EQ(page->fileName, out);
  EXPECT_EQ(page->blankMethod, 4);
  EXPECT_EQ(page->fixedValue, -6.5);
  const PROPSHEETPAGEA& record = page->GetPropSheetPage();
  EXPECT_EQ(record.dwSize, 104u);
  EXPECT_EQ(record.dwFlags, static_cast<DWORD>(PSP_HASHELP));
  EXPECT_EQ(static_cast<void*>(record.hInstance), static_cast<void*>(&resources));
  EXPECT_EQ(record.pszTemplate, MAKEINTRESOURCEA(106));
  EXPECT_EQ(record.pfnDlgProc, &hostfw::IoPropPageDlgProc);
  EXPECT_EQ(record.lParam, reinterpret_cast<LPARAM>(static_cast<hostfw::IoPropertyPage*>(page)));
  EXPECT_EQ(record.pszTitle, nullptr);
  EXPECT_EQ(record.pfnCallback, nullptr);
}

TEST_F(ExportPagesTest, NullFileNameGivesAnEmptyName) {
  std::vector<hostfw::IoPropertyPage*> pages;
  filter.GetPropertyPages(pages, nullptr);
  ASSERT_EQ(pages.size(), 1u);
  EXPECT_EQ(static_cast<LatExportDlg*>(pages[0])->fileName, "");
}

TEST_F(ExportPagesTest, PageValuesAreTakenAndSavedAtTheFirstHeader) {
  LatExportDlg* page = MakePage();
  ASSERT_NE(page, nullptr);
  page->blankMethod = 3;
  page->fixedValue = 12.0;
  const ExportLattice lattice = BlankedBytes();
  const std::vector<double> typeMax = {3, 32767, 9};
  EXPECT_TRUE(SameBytes(ExportBytes(lattice), ExpectedFile(lattice, &typeMax)));
  EXPECT_EQ(manager.SavedOptionsText(), "BlankMethod=3\nFixedBlankValue=12\n");
  // The page went with that export: the next one follows the options of the session.
  filter.SetOptions("BlankMethod=2,ForgetOptions");
  const std::vector<double> typeMin = {3, -32768, 9};
  EXPECT_TRUE(SameBytes(ExportBytes(lattice), ExpectedFile(lattice, &typeMin)));
}

TEST_F(ExportPagesTest, AnotherPageReplacesTheFirst) {
  LatExportDlg* first = MakePage();
  ASSERT_NE(first, nullptr);
  first->blankMethod = 3;
  LatExportDlg* second = MakePage();
  ASSERT_NE(second, nullptr);
  second->blankMethod = 1;
  const ExportLattice lattice = BlankedBytes();
  const std::vector<double> dataMax = {3, 9, 9};
  EXPECT_TRUE(SameBytes(ExportBytes(lattice), ExpectedFile(lattice, &dataMax)));
}

TEST_F(ExportPagesTest, WithAPageTheFixedValueIsCheckedEvenWithoutBlanks) {
  ExportLattice lattice = MakeLattice(bin::kUniform, CPrimType::Int16, 2, 1, 1);
  LatExportDlg* page = MakePage();
  ASSERT_NE(page, nullptr);
  page->blankMethod = 4;
  page->fixedValue = 40000;
  ASSERT_EQ(Begin(), hostfw::ExportStatus_Accepted);
  ExpectFilterCode([&] { SendHeader(lattice); }, hostfw::ErrCode::DataTypeNotSupported,
                   {std::string("16-bit signed integer")});
  EXPECT_EQ(filter.EndExportToFile(), hostfw::ExportStatus_Accepted);
  EXPECT_TRUE(DirEntries().empty());
  // The page's choice was saved before the check, and the page is used up.
  EXPECT_EQ(manager.SavedOptionsText(), "BlankMethod=4\nFixedBlankValue=40000\n");
  EXPECT_TRUE(SameBytes(ExportBytes(lattice), ExpectedFile(lattice)));
}

TEST_F(ExportPagesTest, CancelledDialogStopsTheExportBeforeTheFileAndKeepsTheOptions) {
  manager.LoadSavedOptions("BlankMethod=1\nFixedBlankValue=2\n");
  const ClickingUser user({IDC_BLANK_TYPE_MAX, IDCANCEL});
  ASSERT_EQ(Begin(true), hostfw::ExportStatus_Accepted);
  EXPECT_EQ(SendHeader(BlankedBytes()), hostfw::ExportStatus_Cancelled);
  EXPECT_EQ(user.shown, 1);
  EXPECT_TRUE(user.modal);
  EXPECT_EQ(filter.EndExportToFile(), hostfw::ExportStatus_Accepted);
  EXPECT_TRUE(DirEntries().empty());
  EXPECT_TRUE(host.beginMessages.empty());
  EXPECT_EQ(manager.SavedOptionsText(), "BlankMethod=1\nFixedBlankValue=2\n");
}

TEST_F(ExportPagesTest, DialogOkTakesTheMethodAndShowsTheWrittenTypesRange) {
  const ClickingUser user({IDC_BLANK_TYPE_MAX, IDOK});
  const ExportLattice lattice = BlankedBytes();
  ASSERT_EQ(Begin(true), hostfw::ExportStatus_Accepted);
  ASSERT_EQ(SendLattice(lattice), hostfw::ExportStatus_Accepted);
  ASSERT_EQ(filter.EndExportToFile(), hostfw::ExportStatus_Accepted);
  EXPECT_EQ(user.shown, 1);
  // 8-bit unsigned data is written as 16-bit signed: that range is shown.
  EXPECT_EQ(user.typeMin, "[-32768]");
  EXPECT_EQ(user.dataMax, "[9]");
  const std::vector<double> typeMax = {3, 32767, 9};
  EXPECT_TRUE(SameBytes(ReadFileBytes(out), ExpectedFile(lattice, &typeMax)));
  EXPECT_EQ(manager.SavedOptionsText(), "BlankMethod=3\nFixedBlankValue=0\n");
  // One promotion warning: the dialog shows the promoted range without warning again.
  EXPECT_EQ(host.warnings.size(), 1u);
}

TEST_F(ExportPagesTest, DialogOkWithAFixedValueOutsideTheTypeFailsWithCode27) {
  const ClickingUser user({IDC_BLANK_FIXED, IDOK});
  filter.SetOptions("FixedBlankValue=1e6");
  ASSERT_EQ(Begin(true), hostfw::ExportStatus_Accepted);
  ExpectFilterCode([&] { SendHeader(BlankedBytes()); }, hostfw::ErrCode::DataTypeNotSupported,
                   {std::string("16-bit signed integer")});
  EXPECT_EQ(filter.EndExportToFile(), hostfw::ExportStatus_Accepted);
  EXPECT_TRUE(DirEntries().empty());
}

TEST_F(ExportPagesTest, WithoutAnyoneToAnswerTheDialogTheExportIsCancelled) {
  ASSERT_EQ(user32::GetDialogUser(), nullptr);
  ASSERT_EQ(Begin(true), hostfw::ExportStatus_Accepted);
  EXPECT_EQ(SendHeader(BlankedBytes()), hostfw::ExportStatus_Cancelled);
  EXPECT_EQ(filter.EndExportToFile(), hostfw::ExportStatus_Accepted);
  EXPECT_TRUE(DirEntries().empty());
}

}  // namespace
}  // namespace lattest
