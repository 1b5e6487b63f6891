// Where the bytes go: a temporary file next to the output that replaces it only when the
// lattice is complete, so nothing at the output path is lost; devices and FIFOs written
// directly and never removed; open errors for directories and missing directories.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#if !defined(_WIN32)
#include <unistd.h>
#else
#include <io.h>
#endif

#include "tests/export/ExportHarness.h"

namespace lattest {
namespace {

namespace bin = lat::binary;
namespace fs = std::filesystem;
using hostbase::CPrimType;

constexpr const char* kPrecious = "precious bytes that were here before";

std::string Text(const std::vector<std::uint8_t>& bytes) {
  return std::string(bytes.begin(), bytes.end());
}

#if !defined(_WIN32)  // POSIX modes and FIFOs
mode_t ModeOf(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return 0;
  return info.st_mode & 07777;
}

// Reads a FIFO to its end on a thread of its own. When the test ends before the filter
// opened the FIFO, the destructor opens it for writing once, so the reader never hangs.
class FifoReader {
 public:
  explicit FifoReader(std::string path)
      : path_(std::move(path)), thread_([this] { bytes_ = ReadFileBytes(path_); }) {}
  ~FifoReader() {
    if (!thread_.joinable()) return;
    const int fd = ::open(path_.c_str(), O_WRONLY | O_NONBLOCK);
    if (fd >= 0) ::close(fd);
    thread_.join();
  }
  FifoReader(const FifoReader&) = delete;
  FifoReader& operator=(const FifoReader&) = delete;

  // Waits for the end of the data and returns it.
  const std::vector<std::uint8_t>& Bytes() {
    thread_.join();
    return bytes_;
  }

 private:
  std::string path_;
  std::vector<std::uint8_t> bytes_;
  std::thread thread_;
};

#endif

class ExportOutputFileTest : public ExportTest {
 protected:
  ExportLattice lattice = MakeLattice(bin::kUniform, CPrimType::Float, 2, 3, 1);
};

TEST_F(ExportOutputFileTest, TheLatticeIsWrittenToAHiddenFileNextToTheOutput) {
  ASSERT_EQ(Begin(), hostfw::ExportStatus_Accepted);
  ASSERT_EQ(SendHeader(lattice), hostfw::ExportStatus_Accepted);
  const std::vector<std::string> during = DirEntries();
  ASSERT_EQ(during.size(), 1u);
  EXPECT_EQ(during[0].rfind(".out.lat.", 0), 0u) << during[0];
  EXPECT_EQ(during[0].size(), std::string(".out.lat.").size() + 6);
  ASSERT_EQ(SendScans(lattice, 0, lattice.ScanCount()), hostfw::ExportStatus_Accepted);
  EXPECT_EQ(filter.EndExportToFile(), hostfw::ExportStatus_Accepted);
  EXPECT_EQ(DirEntries(), std::vector<std::string>{"out.lat"});
  // The progress message names the output, not the temporary file.
  EXPECT_EQ(host.beginMessages,
            std::vector<std::string>{"Exporting Iris Explorer LAT file out.lat"});
}

TEST_F(ExportOutputFileTest, ExistingFileSurvivesAnUnfinishedExport) {
  dir.Write("out.lat", kPrecious);
  ASSERT_EQ(Begin(), hostfw::ExportStatus_Accepted);
  ASSERT_EQ(SendHeader(lattice), hostfw::ExportStatus_Accepted);
  ASSERT_EQ(SendScans(lattice, 0, 2), hostfw::ExportStatus_Accepted);
  EXPECT_EQ(filter.EndExportToFile(), hostfw::ExportStatus_NoLattice);
  EXPECT_EQ(Text(ReadFileBytes(out)), kPrecious);
  EXPECT_EQ(DirEntries(), std::vector<std::string>{"out.lat"});
}

TEST_F(ExportOutputFileTest, ExistingFileSurvivesACancelledExport) {
  dir.Write("out.lat", kPrecious);
  lattice = MakeLattice(bin::kUniform, CPrimType::Float, 1, 10, 2);
  host.cancelAtProportion = 0;
  ASSERT_EQ(Begin(), hostfw::ExportStatus_Accepted);
  ASSERT_EQ(SendHeader(lattice), hostfw::ExportStatus_Accepted);
  EXPECT_EQ(SendScans(lattice, 0, lattice.ScanCount()), hostfw::ExportStatus_Cancelled);
  EXPECT_EQ(filter.EndExportToFile(), hostfw::ExportStatus_NoLattice);
  EXPECT_EQ(Text(ReadFileBytes(out)), kPrecious);
  EXPECT_EQ(DirEntries(), std::vector<std::string>{"out.lat"});
}

TEST_F(ExportOutputFileTest, ExistingFileSurvivesAFailedExport) {
  dir.Write("out.lat", kPrecious);
  ASSERT_EQ(Begin(), hostfw::ExportStatus_Accepted);
  ASSERT_EQ(SendHeader(lattice), hostfw::ExportStatus_Accepted);
  // A scan too short for a row fails the export half-way.
  hostfw::TrLatticeScan shortScan(3);
  ASSERT_TRUE(ErrorOf([&] { filter.ExportObject(shortScan); }).has_value());
  EXPECT_EQ(filter.EndExportToFile(), hostfw::ExportStatus_NoLattice);
  EXPECT_EQ(Text(ReadFileBytes(out)), kPrecious);
  EXPECT_EQ(DirEntries(), std::vector<std::string>{"out.lat"});
}

#if !defined(_WIN32)  // Windows files have no mode bits
TEST_F(ExportOutputFileTest, CompletedExportReplacesTheFileAndKeepsItsMode) {
  // Mode bits that the usual file creation mask would take away must stay too.
  const mode_t mask = ::umask(022);
  dir.Write("out.lat", kPrecious);
  ASSERT_EQ(::chmod(out.c_str(), 0646), 0);
  EXPECT_TRUE(SameBytes(ExportBytes(lattice), ExpectedFile(lattice)));
  ::umask(mask);
  EXPECT_EQ(ModeOf(out), 0646u);
  EXPECT_EQ(DirEntries(), std::vector<std::string>{"out.lat"});
}

#endif

TEST_F(ExportOutputFileTest, ReadOnlyFileIsRefusedByTheOpenAndKept) {
#if !defined(_WIN32)
  if (::geteuid() == 0) GTEST_SKIP() << "the superuser may write any file";
#endif
  dir.Write("out.lat", kPrecious);
  ASSERT_EQ(::chmod(out.c_str(), 0444), 0);
#if defined(_WIN32)
  // Wine run by the superuser maps read-only files to modes the superuser may write.
  if (std::FILE* probe = std::fopen(out.c_str(), "r+b")) {
    std::fclose(probe);
    GTEST_SKIP() << "this user may write read-only files";
  }
#endif
  ASSERT_EQ(Begin(), hostfw::ExportStatus_Accepted);
  const std::optional<hostbase::CError> error = ErrorOf([&] { SendHeader(lattice); });
  ASSERT_TRUE(error.has_value());
  EXPECT_EQ(error->Code(), hostbase::kErrFileOpen);
  EXPECT_EQ(filter.EndExportToFile(), hostfw::ExportStatus_Accepted);
  EXPECT_EQ(Text(ReadFileBytes(out)), kPrecious);
  EXPECT_EQ(DirEntries(), std::vector<std::string>{"out.lat"});
}

#if !defined(_WIN32)  // no mode bits; symbolic links need a privilege
TEST_F(ExportOutputFileTest, NewFileGetsTheModeOfAnyNewFile) {
  const std::string reference = dir.Write("reference", "x");
  EXPECT_TRUE(SameBytes(ExportBytes(lattice), ExpectedFile(lattice)));
  EXPECT_EQ(ModeOf(out), ModeOf(reference));
}

TEST_F(ExportOutputFileTest, SymbolicLinkIsWrittenThrough) {
  const std::string target = dir.Write("target.lat", kPrecious);
  fs::create_symlink("target.lat", out);
  EXPECT_TRUE(SameBytes(ExportBytes(lattice), ExpectedFile(lattice)));
  EXPECT_TRUE(fs::is_symlink(out));
  EXPECT_TRUE(SameBytes(ReadFileBytes(target), ExpectedFile(lattice)));
  EXPECT_EQ(DirEntries(), (std::vector<std::string>{"out.lat", "target.lat"}));
}

#endif

TEST_F(ExportOutputFileTest, FileOfAnEarlierCompletedExportIsNeverRemoved) {
  EXPECT_TRUE(SameBytes(ExportBytes(lattice), ExpectedFile(lattice)));
  // The same path again, unfinished.
  ExportLattice other = MakeLattice(bin::kRectilinear, CPrimType::Int32, 3, 3, 1);
  ASSERT_EQ(Begin(), hostfw::ExportStatus_Accepted);
  ASSERT_EQ(SendHeader(other), hostfw::ExportStatus_Accepted);
  EXPECT_EQ(filter.EndExportToFile(), hostfw::ExportStatus_NoLattice);
  EXPECT_TRUE(SameBytes(ReadFileBytes(out), ExpectedFile(lattice)));
  // Another path with nothing exported.
  const std::string first = out;
  out = dir.File("other.lat");
  ASSERT_EQ(Begin(), hostfw::ExportStatus_Accepted);
  EXPECT_EQ(filter.EndExportToFile(), hostfw::ExportStatus_Accepted);
  EXPECT_TRUE(SameBytes(ReadFileBytes(first), ExpectedFile(lattice)));
  EXPECT_EQ(DirEntries(), std::vector<std::string>{"out.lat"});
}

TEST_F(ExportOutputFileTest, DestroyingTheFilterAbandonsTheExport) {
  dir.Write("out.lat", kPrecious);
  auto owned = std::make_unique<LatExportFilter>(manager);
  ASSERT_EQ(owned->BeginExportToFile(out.c_str(), false), hostfw::ExportStatus_Accepted);
  header = MakeHeader(lattice);
  ASSERT_EQ(owned->ExportObject(*header), hostfw::ExportStatus_Accepted);
  EXPECT_EQ(DirEntries().size(), 2u);
  owned.reset();
  EXPECT_EQ(DirEntries(), std::vector<std::string>{"out.lat"});
  EXPECT_EQ(Text(ReadFileBytes(out)), kPrecious);
  EXPECT_EQ(host.stops, 1);
}

TEST_F(ExportOutputFileTest, DirectoryFailsWithTheOpenErrorBeforeWriting) {
  out = dir.Path();
  ASSERT_EQ(Begin(), hostfw::ExportStatus_Accepted);
  const std::optional<hostbase::CError> error = ErrorOf([&] { SendHeader(lattice); });
  ASSERT_TRUE(error.has_value());
  EXPECT_EQ(error->Module(), "CBufferedFile");
  EXPECT_EQ(error->Code(), hostbase::kErrFileOpen);
  ASSERT_FALSE(error->Args().empty());
  EXPECT_EQ(error->Args()[0], hostbase::CErrorArg(dir.Path()));
  EXPECT_TRUE(DirEntries().empty());
  EXPECT_TRUE(host.beginMessages.empty());
  EXPECT_EQ(filter.EndExportToFile(), hostfw::ExportStatus_Accepted);
  EXPECT_TRUE(fs::is_directory(dir.Path()));
}

TEST_F(ExportOutputFileTest, MissingDirectoryFailsWithTheOpenError) {
  out = dir.File("missing/out.lat");
  ASSERT_EQ(Begin(), hostfw::ExportStatus_Accepted);
  const std::optional<hostbase::CError> error = ErrorOf([&] { SendHeader(lattice); });
  ASSERT_TRUE(error.has_value());
  EXPECT_EQ(error->Code(), hostbase::kErrFileOpen);
  ASSERT_FALSE(error->Args().empty());
  EXPECT_EQ(error->Args()[0], hostbase::CErrorArg(out));
  EXPECT_TRUE(DirEntries().empty());
  EXPECT_EQ(filter.EndExportToFile(), hostfw::ExportStatus_Accepted);
}

#if !defined(_WIN32)  // no /dev/full and no FIFOs on Windows
TEST_F(ExportOutputFileTest, FullDeviceRaisesTheWriteErrorAndStays) {
  if (!fs::is_character_file("/dev/full")) GTEST_SKIP() << "no /dev/full";
  out = "/dev/full";
  ASSERT_EQ(Begin(), hostfw::ExportStatus_Accepted);
  ASSERT_EQ(SendLattice(lattice), hostfw::ExportStatus_Accepted);
  const std::optional<hostbase::CError> error = ErrorOf([&] { filter.EndExportToFile(); });
  ASSERT_TRUE(error.has_value());
  EXPECT_EQ(error->Code(), hostbase::kErrFileWrite);
  ASSERT_FALSE(error->Args().empty());
  EXPECT_EQ(error->Args()[0], hostbase::CErrorArg(std::string("/dev/full")));
  EXPECT_TRUE(fs::is_character_file("/dev/full"));
  EXPECT_EQ(host.stops, 1);
  // An unfinished export to the device ends with 1 and leaves it alone too.
  ASSERT_EQ(Begin(), hostfw::ExportStatus_Accepted);
  ASSERT_EQ(SendHeader(lattice), hostfw::ExportStatus_Accepted);
  EXPECT_EQ(filter.EndExportToFile(), hostfw::ExportStatus_NoLattice);
  EXPECT_TRUE(fs::is_character_file("/dev/full"));
}

TEST_F(ExportOutputFileTest, FifoIsWrittenDirectlyAndKept) {
  out = dir.File("pipe");
  ASSERT_EQ(::mkfifo(out.c_str(), 0600), 0);
  {
    FifoReader reader(out);
    ASSERT_EQ(Begin(), hostfw::ExportStatus_Accepted);
    ASSERT_EQ(SendLattice(lattice), hostfw::ExportStatus_Accepted);
    EXPECT_EQ(filter.EndExportToFile(), hostfw::ExportStatus_Accepted);
    EXPECT_TRUE(SameBytes(reader.Bytes(), ExpectedFile(lattice)));
  }
  EXPECT_TRUE(fs::is_fifo(out));
  EXPECT_EQ(DirEntries(), std::vector<std::string>{"pipe"});
  // Unfinished: status 1, nothing but what was flushed reaches the reader, the FIFO stays.
  {
    FifoReader reader(out);
    ASSERT_EQ(Begin(), hostfw::ExportStatus_Accepted);
    ASSERT_EQ(SendHeader(lattice), hostfw::ExportStatus_Accepted);
    EXPECT_EQ(filter.EndExportToFile(), hostfw::ExportStatus_NoLattice);
    EXPECT_TRUE(reader.Bytes().empty());
  }
  EXPECT_TRUE(fs::is_fifo(out));
}

#endif

}  // namespace
}  // namespace lattest
