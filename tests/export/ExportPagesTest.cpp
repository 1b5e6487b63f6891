// The export filter's side of the options page: the page's values taken at the first
// header, and the fixed value checked whenever a page was made.
#include "export/LatExportDlg.h"
#include "tests/export/ExportHarness.h"

namespace lattest {
namespace {

using hostbase::CPrimType;

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

}  // namespace
}  // namespace lattest
