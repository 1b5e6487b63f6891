// Exports cancelled by the user at every progress report of every lattice kind, when the
// report begins, and in the options dialog: the cancelled call returns 2, the end of the
// export returns 1 when an unfinished file was begun, and nothing is left behind; a file
// that was at the output path before is kept as it was.
#include <filesystem>
#include <string>
#include <vector>

#include "export/LatExportDlg.h"
#include "tests/export/ExportHarness.h"
#include "tests/faults/FaultHarness.h"
#include "user32/DialogUser.h"

namespace lattest {
namespace {

namespace bin = lat::binary;
namespace fs = std::filesystem;
using hostbase::CPrimType;
using hostfw::ExportStatus;

constexpr const char* kPrecious = "the file that was at the output path before";

// One export on a filter of its own, with the host cancelling as told.
struct CancelledExport {
  ExportStatus cancelledStatus = hostfw::ExportStatus_Accepted;  // the first non-zero status
  std::size_t objectsSent = 0;  // header and scans sent up to that status
  ExportStatus endStatus = hostfw::ExportStatus_Accepted;
  std::size_t reports = 0;
  int stops = 0;
};

CancelledExport RunExport(const std::string& out, const ExportLattice& lattice,
                          int cancelAtProportion, bool cancelAtBegin) {
  hostfw::IoManager manager;
  RecordingHost host(manager);
  host.cancelAtProportion = cancelAtProportion;
  host.cancelAtBegin = cancelAtBegin;
  LatExportFilter filter(manager);
  CancelledExport result;
  EXPECT_EQ(filter.BeginExportToFile(out.c_str(), false), hostfw::ExportStatus_Accepted);
  const std::unique_ptr<hostfw::TrLattice> header = MakeHeader(lattice);
  result.cancelledStatus = filter.ExportObject(*header);
  result.objectsSent = 1;
  for (std::size_t s = 0;
       s < lattice.ScanCount() && result.cancelledStatus == hostfw::ExportStatus_Accepted; ++s) {
    result.cancelledStatus = filter.ExportObject(*MakeScan(lattice, *header, s));
    ++result.objectsSent;
  }
  result.endStatus = filter.EndExportToFile();
  result.reports = host.fractions.size();
  result.stops = host.stops;
  return result;
}

class ExportCancel : public ::testing::TestWithParam<std::int32_t> {
 protected:
  // Thirty rows: reports at rows 10, 20 and 30 (also at row 0, and twice per such row,
  // for a curvilinear lattice). The report at row 30 comes when the lattice is complete.
  ExportLattice lattice = MakeLattice(GetParam(), CPrimType::Float, 3, 10, 3);

  // Cancels at every report in turn, with and without a file at the output path before.
  void CancelAtEveryReport(bool fileBefore) {
    const std::string out = dir.File("out.lat");
    const CancelledExport whole = RunExport(out, lattice, RecordingHost::kNever, false);
    ASSERT_EQ(whole.endStatus, hostfw::ExportStatus_Accepted);
    const std::vector<std::uint8_t> complete = ReadFileBytes(out);
    ASSERT_TRUE(SameBytes(complete, ExpectedFile(lattice)));
    ASSERT_GE(whole.reports, 3u);
    for (std::size_t k = 0; k < whole.reports; ++k) {
      SCOPED_TRACE("cancel at report " + std::to_string(k));
      fs::remove(out);
      if (fileBefore) dir.Write("out.lat", kPrecious);
      const CancelledExport cancelled = RunExport(out, lattice, static_cast<int>(k), false);
      EXPECT_EQ(cancelled.cancelledStatus, hostfw::ExportStatus_Cancelled);
      EXPECT_EQ(cancelled.reports, k + 1);
      EXPECT_EQ(cancelled.stops, 1);
      const bool atTheEnd = k + 1 == whole.reports;
      if (atTheEnd) {
        // The last report follows the last scan: the lattice is complete and kept.
        EXPECT_EQ(cancelled.objectsSent, 1 + lattice.ScanCount());
        EXPECT_EQ(cancelled.endStatus, hostfw::ExportStatus_Accepted);
        EXPECT_TRUE(SameBytes(ReadFileBytes(out), complete));
        EXPECT_EQ(TreeNames(), std::vector<std::string>{"out.lat"});
        continue;
      }
      EXPECT_LT(cancelled.objectsSent, 1 + lattice.ScanCount());
      EXPECT_EQ(cancelled.endStatus, hostfw::ExportStatus_NoLattice);
      ExpectOutputAsBefore(fileBefore);
    }
  }

  void ExpectOutputAsBefore(bool fileBefore) {
    const auto tree = TreeSnapshot(dir.Path());
    if (fileBefore)
      EXPECT_EQ(tree, (std::map<std::string, std::string>{{"out.lat", kPrecious}}));
    else
      EXPECT_TRUE(tree.empty());
  }

  std::vector<std::string> TreeNames() const {
    std::vector<std::string> names;
    for (const auto& [name, bytes] : TreeSnapshot(dir.Path())) names.push_back(name);
    return names;
  }

  TempDir dir;
};

TEST_P(ExportCancel, AtEveryProgressReportWithNoFileBefore) {
  CancelAtEveryReport(false);
}

TEST_P(ExportCancel, AtEveryProgressReportOverAnExistingFile) {
  CancelAtEveryReport(true);
}

TEST_P(ExportCancel, WhenTheProgressReportBegins) {
  for (bool fileBefore : {false, true}) {
    const std::string out = dir.File("out.lat");
    fs::remove(out);
    if (fileBefore) dir.Write("out.lat", kPrecious);
    const CancelledExport cancelled = RunExport(out, lattice, RecordingHost::kNever, true);
    EXPECT_EQ(cancelled.cancelledStatus, hostfw::ExportStatus_Cancelled);
    EXPECT_EQ(cancelled.objectsSent, 1u);
    EXPECT_EQ(cancelled.endStatus, hostfw::ExportStatus_NoLattice);
    EXPECT_EQ(cancelled.stops, 1);
    ExpectOutputAsBefore(fileBefore);
  }
}

// Plays the user of the options dialog: presses Cancel.
class CancellingUser final : public user32::DialogUser {
 public:
  CancellingUser() { user32::SetDialogUser(this); }
  ~CancellingUser() override { user32::SetDialogUser(nullptr); }
  CancellingUser(const CancellingUser&) = delete;
  CancellingUser& operator=(const CancellingUser&) = delete;
  void Interact(HWND dialog, user32::DialogKind /*kind*/) override {
    ++shown;
    user32::ClickButton(dialog, IDCANCEL);
  }
  int shown = 0;
};

// The dialog comes before the file is opened: the end has no unfinished file to remove
// and returns 0.
TEST_P(ExportCancel, InTheOptionsDialog) {
  lattice.blanks = true;
  lattice.blankValue = 5;
  lattice.componentMin = {1};
  lattice.componentMax = {90};
  for (bool fileBefore : {false, true}) {
    const std::string out = dir.File("out.lat");
    fs::remove(out);
    if (fileBefore) dir.Write("out.lat", kPrecious);
    const CancellingUser user;
    hostfw::IoManager manager;
    RecordingHost host(manager);
    LatExportFilter filter(manager);
    ASSERT_EQ(filter.BeginExportToFile(out.c_str(), true), hostfw::ExportStatus_Accepted);
    const std::unique_ptr<hostfw::TrLattice> header = MakeHeader(lattice);
    EXPECT_EQ(filter.ExportObject(*header), hostfw::ExportStatus_Cancelled);
    EXPECT_EQ(user.shown, 1);
    EXPECT_EQ(filter.EndExportToFile(), hostfw::ExportStatus_Accepted);
    EXPECT_TRUE(host.beginMessages.empty());
    ExpectOutputAsBefore(fileBefore);
  }
}

std::string KindName(const ::testing::TestParamInfo<std::int32_t>& kind) {
  static const char* const kNames[] = {"Uniform", "Rectilinear", "Curvilinear"};
  return kNames[kind.param];
}

INSTANTIATE_TEST_SUITE_P(EveryKind, ExportCancel,
                         ::testing::Values(bin::kUniform, bin::kRectilinear, bin::kCurvilinear),
                         KindName);

}  // namespace
}  // namespace lattest
