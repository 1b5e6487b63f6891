// The export filter's side of the options page and dialog: the page's values taken at the
// first header, the fixed value checked when a page was made, and the modal dialog's OK.
#include <windows.h>

#include "export/LatExportDlg.h"
#include "tests/export/ExportHarness.h"
#include "user32/DialogUser.h"

namespace lattest {
namespace {

using hostbase::CPrimType;

// Plays the user of the modal dialog: notes the type minimum it shows, then clicks.
class ClickingUser final : public user32::DialogUser {
 public:
  explicit ClickingUser(std::vector<int> buttons) : buttons_(std::move(buttons)) {
    user32::SetDialogUser(this);
  }
  ~ClickingUser() override { user32::SetDialogUser(nullptr); }
  void Interact(HWND dialog, user32::DialogKind) override {
    char text[64] = {};
    GetDlgItemTextA(dialog, IDC_SHOW_TYPE_MIN, text, sizeof text);
    typeMin = text;
    for (int id : buttons_) user32::ClickButton(dialog, id);
  }
  std::string typeMin;

 private:
  std::vector<int> buttons_;
};

class ExportPagesTest : public ExportTest {
 protected:
  ExportPagesTest() {
    lattice.values = {3, 255, 9};
    lattice.blanks = true;
    lattice.blankValue = 255;
    lattice.componentMin = {3};
    lattice.componentMax = {9};
  }
  LatExportDlg* MakePage() {
    std::vector<hostfw::IoPropertyPage*> pages;
    filter.GetPropertyPages(pages, out.c_str());
    EXPECT_EQ(pages.size(), 1u);
    return pages.empty() ? nullptr : static_cast<LatExportDlg*>(pages.back());
  }
  // 8-bit unsigned values (written as 16-bit signed), blanks marked 255, data range 3 .. 9.
  ExportLattice lattice = MakeLattice(lat::binary::kUniform, CPrimType::UInt8, 3, 1, 1);
};

TEST_F(ExportPagesTest, ThePagesValuesAreTakenAndSavedAtTheFirstHeaderOnly) {
  manager.LoadSavedOptions("BlankMethod=4\nFixedBlankValue=-6.5\n");
  LatExportDlg* page = MakePage();
  ASSERT_NE(page, nullptr);
  EXPECT_EQ(page->blankMethod, 4);
  EXPECT_EQ(page->fixedValue, -6.5);
  page->blankMethod = 3;
  page->fixedValue = 12.0;
  const std::vector<double> typeMax = {3, 32767, 9};
  EXPECT_TRUE(SameBytes(ExportBytes(lattice), ExpectedFile(lattice, &typeMax)));
  EXPECT_EQ(manager.SavedOptionsText(), "BlankMethod=3\nFixedBlankValue=12\n");
  filter.SetOptions("BlankMethod=2,ForgetOptions");  // the page went with that export
  const std::vector<double> typeMin = {3, -32768, 9};
  EXPECT_TRUE(SameBytes(ExportBytes(lattice), ExpectedFile(lattice, &typeMin)));
}

TEST_F(ExportPagesTest, WithAPageTheFixedValueIsCheckedEvenWithoutBlanks) {
  lattice.blanks = false;
  LatExportDlg* page = MakePage();
  ASSERT_NE(page, nullptr);
  page->blankMethod = 4;
  page->fixedValue = 40000;
  ASSERT_EQ(Begin(), hostfw::ExportStatus_Accepted);
  ExpectFilterError([&] { SendHeader(lattice); }, "", hostfw::ErrCode::DataTypeNotSupported,
                    {std::string("16-bit signed integer")});
  EXPECT_EQ(filter.EndExportToFile(), hostfw::ExportStatus_Accepted);
  EXPECT_TRUE(DirEntries().empty());
  EXPECT_EQ(manager.SavedOptionsText(), "BlankMethod=4\nFixedBlankValue=40000\n");
}

TEST_F(ExportPagesTest, DialogOkShowsTheWrittenTypesRangeAndTakesTheMethod) {
  const ClickingUser user({IDC_BLANK_TYPE_MAX, IDOK});
  ASSERT_EQ(Begin(true), hostfw::ExportStatus_Accepted);
  ASSERT_EQ(SendLattice(lattice), hostfw::ExportStatus_Accepted);
  ASSERT_EQ(filter.EndExportToFile(), hostfw::ExportStatus_Accepted);
  EXPECT_EQ(user.typeMin, "[-32768]");
  const std::vector<double> typeMax = {3, 32767, 9};
  EXPECT_TRUE(SameBytes(ReadFileBytes(out), ExpectedFile(lattice, &typeMax)));
  EXPECT_EQ(host.warnings.size(), 1u);  // the dialog does not warn again
}

}  // namespace
}  // namespace lattest
