// Exports to places that cannot take the file: a directory that does not exist, a path
// that is a directory, a full device, and a disk that fills up under a file that was
// there before. Each raises its error, leaves no partial file, and touches nothing else:
// not the file of an earlier export, not the user's own files beside it.
#include <sys/resource.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "tests/export/ExportHarness.h"
#include "tests/faults/FaultHarness.h"

namespace lattest {
namespace {

namespace bin = lat::binary;
namespace fs = std::filesystem;
using hostbase::CPrimType;

constexpr const char* kPrecious = "the user's own notes, not to be touched";

class ExportFaults : public ExportTest {
 protected:
  void SetUp() override {
    // A completed export and a file of the user's own, beside where the output goes.
    const std::string target = out;
    out = dir.File("earlier.lat");
    ASSERT_FALSE(ExportBytes(small).empty());
    out = target;
    dir.Write("notes.txt", kPrecious);
    host.Clear();
  }

  // The whole lattice; the error it raises on the way, if any.
  std::optional<hostbase::CError> ExportRaising(const ExportLattice& lattice) {
    return CaughtError([&] {
      ASSERT_EQ(Begin(), hostfw::ExportStatus_Accepted);
      SendLattice(lattice);
    });
  }

  // 300000 floats: more than the output's buffer, so the rows reach the file during the
  // export and not only when it ends.
  const ExportLattice large = MakeLattice(bin::kUniform, CPrimType::Float, 600, 500, 1);
  const ExportLattice small = MakeLattice(bin::kRectilinear, CPrimType::Int16, 3, 4, 2);
};

TEST_F(ExportFaults, DirectoryThatDoesNotExist) {
  const auto before = TreeSnapshot(dir.Path());
  out = dir.File("missing/out.lat");
  ExpectError(ExportRaising(small), "CBufferedFile", hostbase::kErrFileOpen,
              {out, SystemText(ENOENT)});
  EXPECT_EQ(filter.EndExportToFile(), hostfw::ExportStatus_Accepted);
  EXPECT_EQ(TreeSnapshot(dir.Path()), before);
  EXPECT_TRUE(host.beginMessages.empty());
}

TEST_F(ExportFaults, PathThatIsADirectory) {
  out = dir.File("folder");
  fs::create_directory(out);
  dir.Write("folder/inside.txt", kPrecious);
  const auto before = TreeSnapshot(dir.Path());
  ExpectError(ExportRaising(small), "CBufferedFile", hostbase::kErrFileOpen,
              {out, SystemText(EISDIR)});
  EXPECT_EQ(filter.EndExportToFile(), hostfw::ExportStatus_Accepted);
  EXPECT_EQ(TreeSnapshot(dir.Path()), before);
}

TEST_F(ExportFaults, FullDevice) {
  if (!fs::is_character_file("/dev/full")) GTEST_SKIP() << "no /dev/full";
  const auto before = TreeSnapshot(dir.Path());
  out = "/dev/full";
  // The first full buffer of rows meets the full device, at the last scan.
  ExpectError(ExportRaising(large), "CBufferedFile", hostbase::kErrFileWrite,
              {out, SystemText(ENOSPC)});
  EXPECT_EQ(filter.EndExportToFile(), hostfw::ExportStatus_NoLattice);
  EXPECT_EQ(host.stops, 1);
  EXPECT_TRUE(fs::is_character_file("/dev/full"));
  EXPECT_EQ(TreeSnapshot(dir.Path()), before);
}

// In a child process whose files may not grow beyond 64 KiB, the export over an existing
// file fails with the write error and ends with status 1; the parent then checks what is
// on disk.
TEST_F(ExportFaults, DiskThatFillsUpKeepsTheFileThatWasThere) {
  dir.Write("out.lat", kPrecious);
  const auto before = TreeSnapshot(dir.Path());
  const auto exportOntoAFullDisk = [&] {
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{64 << 10, 64 << 10};
    if (setrlimit(RLIMIT_FSIZE, &limit) != 0) std::_Exit(3);
    try {
      if (Begin() != hostfw::ExportStatus_Accepted) std::_Exit(4);
      SendLattice(large);
      std::fprintf(stderr, "the export went through\n");
      std::_Exit(7);
    } catch (const hostbase::CError& error) {
      const bool reason =
          error.Args().size() == 2 && error.Args()[1] == hostbase::CErrorArg(SystemText(EFBIG));
      if (error.Module() != "CBufferedFile" || error.Code() != hostbase::kErrFileWrite || !reason)
        std::_Exit(8);
    }
    std::_Exit(filter.EndExportToFile() == hostfw::ExportStatus_NoLattice ? 0 : 9);
  };
  EXPECT_EXIT(exportOntoAFullDisk(), ::testing::ExitedWithCode(0), "");
  EXPECT_EQ(TreeSnapshot(dir.Path()), before);
}

}  // namespace
}  // namespace lattest
