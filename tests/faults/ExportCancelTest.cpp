// Exports cancelled by the user at every progress report of every lattice kind, over a
// file that was at the output path before: the cancelled call returns 2, the end returns
// 1 and the earlier file is kept as it was, unless the cancel came with the last report,
// when the lattice is complete and written.
#include <filesystem>
#include <string>

#include "tests/export/ExportHarness.h"
#include "tests/faults/FaultHarness.h"
#include "tests/support/TempDir.h"
#include "user32/DialogUser.h"

namespace lattest {
namespace {

namespace bin = lat::binary;
using hostfw::ExportStatus;

constexpr const char* kPrecious = "the file that was at the output path before";

struct CancelledExport {
  ExportStatus cancelledStatus = hostfw::ExportStatus_Accepted;  // the first non-zero status
  std::size_t objectsSent = 0;  // header and scans sent up to that status
  ExportStatus endStatus = hostfw::ExportStatus_Accepted;
  std::size_t reports = 0;
  int stops = 0;
};

// One export on a filter of its own, the host cancelling at report `cancelAt` or, with
// `atBegin`, when the progress report begins.
CancelledExport RunExport(const std::string& out, const ExportLattice& lattice, int cancelAt,
                          bool atBegin = false) {
  hostfw::IoManager manager;
  RecordingHost host(manager);
  host.cancelAtProportion = cancelAt;
  host.cancelAtBegin = atBegin;
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

class ExportCancel : public ::testing::TestWithParam<std::int32_t> {};

// Thirty rows: reports at rows 10, 20 and 30 (also at row 0, and twice per such row for a
// curvilinear lattice). The report at row 30 comes when the lattice is complete.
TEST_P(ExportCancel, AtEveryProgressReportOverAnExistingFile) {
  const ExportLattice lattice = MakeLattice(GetParam(), hostbase::CPrimType::Float, 3, 10, 3);
  TempDir dir;
  const std::string out = dir.File("out.lat");
  const CancelledExport whole = RunExport(out, lattice, RecordingHost::kNever);
  ASSERT_EQ(whole.endStatus, hostfw::ExportStatus_Accepted);
  const std::vector<std::uint8_t> complete = ReadFileBytes(out);
  ASSERT_TRUE(SameBytes(complete, ExpectedFile(lattice)));
  ASSERT_GE(whole.reports, 3u);
  for (std::size_t k = 0; k < whole.reports; ++k) {
    SCOPED_TRACE("cancel at report " + std::to_string(k));
    dir.Write("out.lat", kPrecious);
    const CancelledExport cancelled = RunExport(out, lattice, static_cast<int>(k));
    EXPECT_EQ(cancelled.cancelledStatus, hostfw::ExportStatus_Cancelled);
    EXPECT_EQ(cancelled.reports, k + 1);
    EXPECT_EQ(cancelled.stops, 1);
    if (k + 1 == whole.reports) {
      EXPECT_EQ(cancelled.objectsSent, 1 + lattice.ScanCount());
      EXPECT_EQ(cancelled.endStatus, hostfw::ExportStatus_Accepted);
      EXPECT_TRUE(SameBytes(ReadFileBytes(out), complete));
      EXPECT_EQ(TreeSnapshot(dir.Path()).size(), 1u);
      continue;
    }
    EXPECT_LT(cancelled.objectsSent, 1 + lattice.ScanCount());
    EXPECT_EQ(cancelled.endStatus, hostfw::ExportStatus_NoLattice);
    EXPECT_EQ(TreeSnapshot(dir.Path()),
              (std::map<std::string, std::string>{{"out.lat", kPrecious}}));
  }
}

// The header's progress report is refused as it begins: nothing more is written and the
// file that was there is kept.
TEST_P(ExportCancel, WhenTheProgressReportBegins) {
  const ExportLattice lattice = MakeLattice(GetParam(), hostbase::CPrimType::Float, 3, 10, 3);
  TempDir dir;
  const std::string out = dir.Write("out.lat", kPrecious);
  const CancelledExport cancelled = RunExport(out, lattice, RecordingHost::kNever, true);
  EXPECT_EQ(cancelled.cancelledStatus, hostfw::ExportStatus_Cancelled);
  EXPECT_EQ(cancelled.objectsSent, 1u);
  EXPECT_EQ(cancelled.endStatus, hostfw::ExportStatus_NoLattice);
  EXPECT_EQ(cancelled.stops, 1);
  EXPECT_EQ(TreeSnapshot(dir.Path()), (std::map<std::string, std::string>{{"out.lat", kPrecious}}));
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

// The dialog comes before the file is opened: the cancelled header returns 2, the end has
// no unfinished file to remove and returns 0, and the file that was there is kept.
TEST(ExportCancelDialog, LeavesTheFileThatWasThere) {
  ExportLattice lattice = MakeLattice(bin::kUniform, hostbase::CPrimType::Float, 3, 10, 3);
  lattice.blanks = true;
  lattice.blankValue = 5;
  lattice.componentMin = {1};
  lattice.componentMax = {90};
  TempDir dir;
  const std::string out = dir.Write("out.lat", kPrecious);
  const CancellingUser user;
  hostfw::IoManager manager;
  RecordingHost host(manager);
  LatExportFilter filter(manager);
  ASSERT_EQ(filter.BeginExportToFile(out.c_str(), true), hostfw::ExportStatus_Accepted);
  EXPECT_EQ(filter.ExportObject(*MakeHeader(lattice)), hostfw::ExportStatus_Cancelled);
  EXPECT_EQ(user.shown, 1);
  EXPECT_EQ(filter.EndExportToFile(), hostfw::ExportStatus_Accepted);
  EXPECT_TRUE(host.beginMessages.empty());
  EXPECT_EQ(TreeSnapshot(dir.Path()), (std::map<std::string, std::string>{{"out.lat", kPrecious}}));
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
