// Exports cancelled by the user, and exports to places that cannot take the file: each
// ends without a partial file and leaves what was at the output path, and beside it, as
// it was; only a lattice that is complete replaces the earlier file.
#include <sys/resource.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>

#include "export/LatExportFilter.h"
#include "hostbase/PrimType.h"
#include "tests/faults/FaultHarness.h"
#include "tests/support/RecordingHost.h"
#include "tests/support/TempDir.h"
#include "user32/DialogUser.h"

namespace lattest {
namespace {

namespace fs = std::filesystem;
using hostfw::ExportStatus;
using Tree = std::map<std::string, std::string>;

// Everything under `root`: each entry's relative path with a file's bytes or "<dir>".
Tree TreeSnapshot(const std::string& root) {
  Tree tree;
  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(root)) {
    std::ifstream in(entry.path(), std::ios::binary);
    tree[fs::relative(entry.path(), root).string()] =
        entry.is_directory() ? "<dir>" : std::string(std::istreambuf_iterator<char>(in), {});
  }
  return tree;
}

// A float lattice of `kind` (0 uniform, 1 rectilinear, 2 curvilinear) sent as its header,
// scans and end marker, up to the first status other than accepted.
struct Sent {
  ExportStatus status = hostfw::ExportStatus_Accepted;
  std::size_t objects = 0;  // sent, that one included
};
Sent SendLattice(hostfw::IoExportFilter& filter, int kind, int nx, int ny, int nz) {
  const int f = hostbase::CPrimType::Float;
  std::unique_ptr<hostfw::TrLattice> header;
  if (kind == 0) header = std::make_unique<hostfw::TrUniformLattice>(f, nx, ny, nz, 1);
  if (kind == 1) header = std::make_unique<hostfw::TrRectilinearLattice>(f, f, nx, ny, nz, 1);
  if (kind == 2) header = std::make_unique<hostfw::TrCurvilinearLattice>(f, f, nx, ny, nz, 1);
  Sent sent;
  const auto send = [&](hostfw::TrBase& object) {
    ++sent.objects;
    sent.status = filter.ExportObject(object);
    return sent.status == hostfw::ExportStatus_Accepted;
  };
  if (!send(*header)) return sent;
  for (int row = 0; row < ny * nz; ++row) {
    hostfw::TrLatticeScan coords(nx * 3 * 4), values(*header);
    for (int x = 0; x < nx; ++x) static_cast<float*>(values.data)[x] = static_cast<float>(row + x);
    if ((kind == 2 && !send(coords)) || !send(values)) return sent;
  }
  hostfw::TrLatticeEnd end;
  send(end);
  return sent;
}

constexpr const char* kPrecious = "the file that was at the output path before";

struct Outcome {
  Sent sent;
  ExportStatus end = hostfw::ExportStatus_Accepted;
  std::size_t reports = 0;
  int stops = 0;
};

// One export on a filter of its own, the host cancelling at progress report `cancelAt`
// (-1: as the report begins; a number beyond the reports: never).
Outcome RunExport(const std::string& out, int kind, int cancelAt) {
  hostfw::IoManager manager;
  RecordingHost host(manager);
  host.cancelAtProportion = cancelAt;
  host.cancelAtBegin = cancelAt == -1;
  LatExportFilter filter(manager);
  EXPECT_EQ(filter.BeginExportToFile(out.c_str(), false), hostfw::ExportStatus_Accepted);
  Outcome run{SendLattice(filter, kind, 3, 10, 3)};
  run.end = filter.EndExportToFile();
  run.reports = host.fractions.size();
  run.stops = host.stops;
  return run;
}

// Thirty rows: reports at rows 10, 20 and 30 (at row 0 too, and twice per such row, for a
// curvilinear lattice); the last comes when the lattice is complete, which is then written.
TEST(ExportCancel, AtEveryProgressReportOfEveryKindOverAnExistingFile) {
  for (int kind = 0; kind < 3; ++kind) {
    TempDir dir;
    const std::string out = dir.File("out.lat");
    const Outcome whole = RunExport(out, kind, 1 << 30);  // never
    ASSERT_EQ(whole.end, hostfw::ExportStatus_Accepted);
    ASSERT_GE(whole.reports, 3u);
    const Tree complete = TreeSnapshot(dir.Path());
    for (int k = -1; k < static_cast<int>(whole.reports); ++k) {
      SCOPED_TRACE("kind " + std::to_string(kind) + ", cancel at report " + std::to_string(k));
      dir.Write("out.lat", kPrecious);
      const Outcome cancelled = RunExport(out, kind, k);
      const bool last = k + 1 == static_cast<int>(whole.reports);
      EXPECT_EQ(cancelled.sent.status, hostfw::ExportStatus_Cancelled);
      EXPECT_EQ(cancelled.reports, static_cast<std::size_t>(k + 1));
      EXPECT_EQ(cancelled.stops, 1);
      // Everything but the end marker went out when the last report was cancelled.
      EXPECT_EQ(cancelled.sent.objects + 1 == whole.sent.objects, last);
      if (k == -1) {
        EXPECT_EQ(cancelled.sent.objects, 1u);
      }
      EXPECT_EQ(cancelled.end,
                last ? hostfw::ExportStatus_Accepted : hostfw::ExportStatus_NoLattice);
      EXPECT_EQ(TreeSnapshot(dir.Path()), (last ? complete : Tree{{"out.lat", kPrecious}}));
    }
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

// The dialog comes before the file is opened: the cancelled header returns 2, the end has
// no unfinished file to remove and returns 0.
TEST(ExportCancel, InTheDialogLeavesTheFileThatWasThere) {
  TempDir dir;
  const std::string out = dir.Write("out.lat", kPrecious);
  const CancellingUser user;
  hostfw::IoManager manager;
  RecordingHost host(manager);
  LatExportFilter filter(manager);
  hostfw::TrUniformLattice header(hostbase::CPrimType::Float, 3, 10, 3, 1);
  header.flags = hostfw::TrLattice::kFlagMayHaveBlanks;
  header.blankValue = 5;
  header.componentMin = {1};
  header.componentMax = {90};
  ASSERT_EQ(filter.BeginExportToFile(out.c_str(), true), hostfw::ExportStatus_Accepted);
  EXPECT_EQ(filter.ExportObject(header), hostfw::ExportStatus_Cancelled);
  EXPECT_EQ(user.shown, 1);
  EXPECT_EQ(filter.EndExportToFile(), hostfw::ExportStatus_Accepted);
  EXPECT_TRUE(host.beginMessages.empty());
  EXPECT_EQ(TreeSnapshot(dir.Path()), (Tree{{"out.lat", kPrecious}}));
}

// A directory that does not exist, a path that is a directory, a full device. 300000
// floats are more than the output's buffer, so rows reach the file during the export.
TEST(ExportFaults, PlacesThatCannotTakeTheFileTouchNothing) {
  TempDir dir;
  hostfw::IoManager manager;
  RecordingHost host(manager);
  LatExportFilter filter(manager);
  // An earlier export and the user's own files, beside where the output goes.
  ASSERT_EQ(filter.BeginExportToFile(dir.File("earlier.lat").c_str(), false),
            hostfw::ExportStatus_Accepted);
  ASSERT_EQ(SendLattice(filter, 1, 3, 4, 2).status, hostfw::ExportStatus_Accepted);
  ASSERT_EQ(filter.EndExportToFile(), hostfw::ExportStatus_Accepted);
  fs::create_directory(dir.File("folder"));
  dir.Write("folder/inside.txt", kPrecious);
  const struct {
    std::string out;
    int ny, code, error;
    ExportStatus end;
  } cases[] = {
      {dir.File("missing/out.lat"), 4, hostbase::kErrFileOpen, ENOENT,
       hostfw::ExportStatus_Accepted},
      {dir.File("folder"), 4, hostbase::kErrFileOpen, EISDIR, hostfw::ExportStatus_Accepted},
      {"/dev/full", 500, hostbase::kErrFileWrite, ENOSPC, hostfw::ExportStatus_NoLattice},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.out);
    if (c.code == hostbase::kErrFileWrite && !fs::is_character_file(c.out)) continue;
    const Tree before = TreeSnapshot(dir.Path());
    host.Clear();
    ASSERT_EQ(filter.BeginExportToFile(c.out.c_str(), false), hostfw::ExportStatus_Accepted);
    ExpectError(CaughtError([&] { SendLattice(filter, 0, 600, c.ny, 1); }), "CBufferedFile", c.code,
                {c.out, std::strerror(c.error)});
    EXPECT_EQ(filter.EndExportToFile(), c.end);
    EXPECT_EQ(host.beginMessages.size(), c.code == hostbase::kErrFileWrite ? 1u : 0u);
    EXPECT_EQ(host.stops, static_cast<int>(host.beginMessages.size()));
    EXPECT_EQ(TreeSnapshot(dir.Path()), before);
    if (c.code == hostbase::kErrFileWrite) {
      EXPECT_TRUE(fs::is_character_file(c.out));
    }
  }
}

// In a child process whose files may not grow beyond 64 KiB, the export over an existing
// file fails with the write error and ends with status 1; the parent checks the disk.
TEST(ExportFaults, DiskThatFillsUpKeepsTheFileThatWasThere) {
  TempDir dir;
  const std::string out = dir.Write("out.lat", kPrecious);
  const Tree before = TreeSnapshot(dir.Path());
  const auto exportOntoAFullDisk = [&] {
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{64 << 10, 64 << 10};
    if (setrlimit(RLIMIT_FSIZE, &limit) != 0) std::_Exit(3);
    hostfw::IoManager manager;
    LatExportFilter filter(manager);
    if (filter.BeginExportToFile(out.c_str(), false) != hostfw::ExportStatus_Accepted)
      std::_Exit(4);
    try {
      SendLattice(filter, 0, 600, 500, 1);
      std::_Exit(7);
    } catch (const hostbase::CError& error) {
      // The first argument names the temporary file the export writes.
      const auto& args = error.Args();
      if (error.Module() != "CBufferedFile" || error.Code() != hostbase::kErrFileWrite ||
          args.size() != 2 || args[1] != hostbase::CErrorArg(std::strerror(EFBIG)))
        std::_Exit(8);
    }
    std::_Exit(filter.EndExportToFile() == hostfw::ExportStatus_NoLattice ? 0 : 9);
  };
  EXPECT_EXIT(exportOntoAFullDisk(), ::testing::ExitedWithCode(0), "");
  EXPECT_EQ(TreeSnapshot(dir.Path()), before);
}

}  // namespace
}  // namespace lattest
