// The options dialog inside an export: a lattice with blanks exported interactively opens
// the modal dialog, whose Cancel stops the export and whose OK decides the blank value.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include <windows.h>

#include "ScriptedUser.h"
#include "export/LatExportDlg.h"
#include "export/LatExportFilter.h"
#include "hostfw/IoManager.h"
#include "hostfw/Transfer.h"
#include "import/LatImportFilter.h"
#include "resources/LatResource.h"
#include "tests/support/RecordingHost.h"
#include "tests/support/TempDir.h"

namespace {

using dialogtest::ScriptedUser;
using dialogtest::TextOf;
using user32::DialogKind;

constexpr float kBlank = -999.0f;
// A 3 x 2 lattice of floats, two rows, with two blanked nodes.
const std::vector<float> kValues = {1.0f, kBlank, 3.0f, 4.0f, 5.0f, kBlank};

class ExportFlowTest : public ::testing::Test {
 protected:
  ExportFlowTest() : path(dir.File("out.lat")) {}

  // Exports the lattice; returns the statuses of the header and of the end.
  std::pair<hostfw::ExportStatus, hostfw::ExportStatus> Export(bool interactive,
                                                               bool blanks = true) {
    hostfw::TrUniformLattice header(hostbase::CPrimType::Float, 3, 2, 1, 1);
    header.flags = blanks ? hostfw::TrLattice::kFlagMayHaveBlanks : 0;
    header.blankValue = kBlank;
    header.componentMin = {1.0};
    header.componentMax = {5.0};
    header.spacing[0] = header.spacing[1] = header.spacing[2] = 1.0;
    EXPECT_EQ(filter.BeginExportToFile(path.c_str(), interactive), 0);
    const hostfw::ExportStatus begun = filter.ExportObject(header);
    if (begun == 0) {
      hostfw::TrLatticeScan scan(header);
      for (std::size_t row = 0; row < 2; ++row) {
        std::memcpy(scan.data, kValues.data() + 3 * row, 3 * sizeof(float));
        EXPECT_EQ(filter.ExportObject(scan), 0);
      }
      hostfw::TrLatticeEnd end;
      EXPECT_EQ(filter.ExportObject(end), 0);
    }
    return {begun, filter.EndExportToFile()};
  }

  // The node values of the written file, read back by the import filter.
  std::vector<float> ReadBack() {
    hostfw::IoManager readManager;
    lattest::RecordingHost reader(readManager);
    LatImportFilter importer(readManager);
    EXPECT_EQ(importer.ImportFromFile(path.c_str()), 0);
    const auto bytes = reader.ScanBytes();
    std::vector<float> values(bytes.size() / sizeof(float));
    std::memcpy(values.data(), bytes.data(), values.size() * sizeof(float));
    return values;
  }

  lattest::TempDir dir;
  std::string path;
  hostfw::IoManager manager;
  lattest::RecordingHost host{manager};
  LatExportFilter filter{manager};
};

TEST_F(ExportFlowTest, BlanksOpenTheDialogWithTheLatticesRangeAndCancelStopsTheExport) {
  ScriptedUser user([](HWND window, DialogKind kind) {
    EXPECT_EQ(kind, DialogKind::Modal);
    EXPECT_EQ(TextOf(window, IDC_SHOW_DATA_MIN), "[1]");
    EXPECT_EQ(TextOf(window, IDC_SHOW_DATA_MAX), "[5]");
    EXPECT_EQ(TextOf(window, IDC_SHOW_TYPE_MAX), "[3.4028235e+38]");
    user32::ClickButton(window, IDCANCEL);
  });
  const auto [begun, ended] = Export(true);
  EXPECT_EQ(begun, 2);
  // The dialog comes before the file is opened: nothing was created, nothing to remove.
  EXPECT_EQ(ended, 0);
  EXPECT_EQ(user.kinds.size(), 1u);
  EXPECT_FALSE(std::filesystem::exists(path));
  int method = 0;
  EXPECT_FALSE(manager.GetOption("BlankMethod", method, true));
}

TEST_F(ExportFlowTest, OkWithAFixedValueWritesItForTheBlankedNodes) {
  ScriptedUser user([](HWND window, DialogKind) {
    user32::ClickButton(window, IDC_BLANK_FIXED);
    SetDlgItemTextA(window, IDC_FIXED_VALUE, "7.5");
    user32::ClickButton(window, IDOK);
  });
  const auto [begun, ended] = Export(true);
  EXPECT_EQ(begun, 0);
  EXPECT_EQ(ended, 0);
  EXPECT_EQ(ReadBack(), (std::vector<float>{1.0f, 7.5f, 3.0f, 4.0f, 5.0f, 7.5f}));
  int method = 0;
  double value = 0.0;
  ASSERT_TRUE(manager.GetOption("BlankMethod", method, true));
  ASSERT_TRUE(manager.GetOption("FixedBlankValue", value, true));
  EXPECT_EQ(method, 4);
  EXPECT_EQ(value, 7.5);
}

TEST_F(ExportFlowTest, TheDialogStartsFromTheSavedChoice) {
  manager.LoadSavedOptions("BlankMethod=1\nFixedBlankValue=2\n");
  ScriptedUser user([](HWND window, DialogKind) {
    EXPECT_EQ(dialogtest::CheckedRadios(window), (std::vector<int>{IDC_BLANK_DATA_MAX}));
    EXPECT_EQ(TextOf(window, IDC_FIXED_VALUE), "2");
    user32::ClickButton(window, IDOK);
  });
  Export(true);
  EXPECT_EQ(ReadBack(), (std::vector<float>{1.0f, 5.0f, 3.0f, 4.0f, 5.0f, 5.0f}));
}

TEST_F(ExportFlowTest, NoDialogWithoutBlanksOrWhenNotInteractive) {
  ScriptedUser user([](HWND window, DialogKind) { user32::ClickButton(window, IDCANCEL); });
  EXPECT_EQ(Export(true, false).second, 0);
  EXPECT_EQ(Export(false, true).second, 0);
  EXPECT_TRUE(user.kinds.empty());
  // Not interactive: the default choice, the data minimum.
  EXPECT_EQ(ReadBack(), (std::vector<float>{1.0f, 1.0f, 3.0f, 4.0f, 5.0f, 1.0f}));
}

TEST_F(ExportFlowTest, AFilterPageMadeBeforeTheExportReplacesTheDialog) {
  std::vector<hostfw::IoPropertyPage*> pages;
  filter.GetPropertyPages(pages, path.c_str());
  ASSERT_EQ(pages.size(), 1u);
  static_cast<LatExportDlg*>(pages[0])->blankMethod = 3;
  ScriptedUser user([](HWND window, DialogKind) { user32::ClickButton(window, IDCANCEL); });
  EXPECT_EQ(Export(true).first, 0);
  EXPECT_TRUE(user.kinds.empty());
  const float typeMax = 3.40282347e+38f;
  EXPECT_EQ(ReadBack(), (std::vector<float>{1.0f, typeMax, 3.0f, 4.0f, 5.0f, typeMax}));
}

}  // namespace
