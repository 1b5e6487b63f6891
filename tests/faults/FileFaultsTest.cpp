// Files that change or fail under the import: a file cut short while its rows arrive,
// a file emptied or cut when the import begins, a file the process may not read, one
// whose reading fails, a directory and a missing path. Each gives its error, nothing
// crashes, and the same filter imports a sound file afterwards.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "formats/LatBinaryFormat.h"
#include "hostbase/BufferedFile.h"
#include "hostfw/Status.h"
#include "import/LatImportFilter.h"
#include "tests/faults/FaultHarness.h"
#include "tests/support/LatBinaryWriter.h"
#include "tests/support/TempDir.h"

namespace lattest {
namespace {

namespace bin = lat::binary;
using hostfw::ErrCode;
// The largest read buffer: a file larger than it is read in several fills, so a cut
// beyond it while the first fill is being used is met by a later fill.
constexpr std::size_t kBuffer = hostbase::CBufferedFile::kBufferSize;

class FileFaults : public ::testing::Test {
 protected:
  std::optional<hostbase::CError> ImportError(const std::string& path) {
    return CaughtError([&] { filter.ImportFromFile(path.c_str()); });
  }

  // The filter survives the fault: a sound file imports completely.
  void ExpectSoundImportAfterwards() {
    host.Clear();
    host.atBegin = nullptr;
    host.atObject = nullptr;
    const std::string path = dir.Write("sound.lat", SmallPlainText());
    EXPECT_EQ(filter.ImportFromFile(path.c_str()), hostfw::ImportStatus_Complete);
    EXPECT_EQ(host.Sequence(), "U S S E");
  }

  static int ModuleCode(ErrCode code) { return static_cast<int>(code); }

  TempDir dir;
  hostfw::IoManager manager;
  RecordingHost host{manager};
  LatImportFilter filter{manager};
};

// A plain file larger than the read buffer, one row of nx values per line.
std::string LargePlainText(int nx, int ny) {
  std::string text = "#!/usr/explorer/bin/explorer cxLattice plain 1.0\n2\n";
  text += std::to_string(nx) + " " + std::to_string(ny) + "\n1 3 0 1\n0 1 0 1\n";
  for (int y = 0; y < ny; ++y) {
    for (int x = 0; x < nx; ++x) {
      text += std::to_string(1000 + (y * nx + x) % 8000) + ".5";
      text += x + 1 < nx ? ' ' : '\n';
    }
  }
  return text;
}

constexpr int kPlainHeaderLines = 5;

TEST_F(FileFaults, PlainFileCutInsideANumberWhileRowsArriveFailsAtThatLine) {
  const std::string text = LargePlainText(500, 600);
  ASSERT_GT(text.size(), 2 * kBuffer);
  // A cut inside the first number that starts after the first megabyte has been read.
  const std::size_t cut = text.find(' ', kBuffer + 12345) + 3;
  const std::string path = dir.Write("large.lat", text);
  host.actionObject = 0;  // the header: the first megabyte is in the read buffer by now
  host.atObject = [&] { std::filesystem::resize_file(path, cut); };
  const auto lineFeeds =
      std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(cut), '\n');
  ExpectError(ImportError(path), "LatImpPlain", ModuleCode(ErrCode::PlainSyntax),
              {std::int64_t{lineFeeds}, path});
  // The rows before the cut arrived, the row with the cut did not, and no end marker.
  const auto rowsBeforeCut = static_cast<std::size_t>(lineFeeds - kPlainHeaderLines);
  ASSERT_EQ(host.objects.size(), 1 + rowsBeforeCut);
  EXPECT_EQ(host.objects.front().kind, RecordedObject::Kind::Uniform);
  EXPECT_EQ(host.objects.back().kind, RecordedObject::Kind::Scan);
  EXPECT_EQ(host.stops, 1);
  ExpectSoundImportAfterwards();
}

TEST_F(FileFaults, CurvilinearFileCutAfterItsHeaderWasSentFailsBeforeAnyRow) {
  // 110000 one-byte values, then 1.3 MB of node coordinates.
  BinaryLattice lat;
  lat.dims = {1000, 110, 1};
  lat.primType = 0;
  lat.geometryType = bin::kCurvilinear;
  lat.values = std::vector<double>(110000, 7.0);
  lat.coords = std::vector<float>(3 * 110000, 0.5f);
  const BinaryImage image = EncodeBinary(lat);
  ASSERT_GT(image.Size(), kBuffer);
  const std::string path = dir.Write("curvilinear.lat", image.bytes);
  host.actionObject = 0;  // the header arrives before the coordinate list is read
  host.atObject = [&] { std::filesystem::resize_file(path, kBuffer + 1000); };
  ExpectError(ImportError(path), "LatImpBinary", ModuleCode(ErrCode::BadBinaryData),
              {static_cast<std::int64_t>(image.firstCoord), path});
  EXPECT_EQ(host.Sequence(), "C");
  EXPECT_EQ(host.stops, 1);
  ExpectSoundImportAfterwards();
}

TEST_F(FileFaults, FileEmptiedWhenTheImportBeginsIsNotALatFile) {
  const std::string path = dir.Write("emptied.lat", SmallPlainText());
  host.atBegin = [&] { std::filesystem::resize_file(path, 0); };
  ExpectError(ImportError(path), "LatImportFilter", ModuleCode(ErrCode::NotLatFile), {path});
  EXPECT_TRUE(host.objects.empty());
  EXPECT_EQ(host.stops, 1);
  ExpectSoundImportAfterwards();
}

TEST_F(FileFaults, BinaryFileCutWhenTheImportBeginsFailsWhereItsValuesShouldBe) {
  BinaryLattice lat;
  lat.dims = {2, 3, 1};
  lat.values = Ramp(6);
  lat.coords = {0, 1, 0, 2, 0, 0};
  const std::string path = dir.Write("cut.lat", EncodeBinary(lat).bytes);
  host.atBegin = [&] { std::filesystem::resize_file(path, bin::offset::kUniformFirstValue + 1); };
  ExpectError(ImportError(path), "LatImpBinary", ModuleCode(ErrCode::BadBinaryData),
              {static_cast<std::int64_t>(bin::offset::kUniformFirstValue), path});
  EXPECT_TRUE(host.objects.empty());
  ExpectSoundImportAfterwards();
}

// In a child process without the right to read the file (a superuser drops to the
// unprivileged user first): not recognised, and the import raises the open error.
[[noreturn]] void ImportWithoutReadPermission(const std::string& path) {
  if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) {
    std::fprintf(stderr, "cannot drop privileges\n");
    std::_Exit(3);
  }
  hostfw::IoManager manager;
  RecordingHost host(manager);
  LatImportFilter filter(manager);
  if (filter.CanImportFile(path.c_str())) {
    std::fprintf(stderr, "an unreadable file was recognised\n");
    std::_Exit(4);
  }
  try {
    filter.ImportFromFile(path.c_str());
    std::fprintf(stderr, "the import returned\n");
    std::_Exit(5);
  } catch (const hostbase::CError& error) {
    const std::vector<hostbase::CErrorArg> args{path, SystemText(EACCES)};
    if (error.Module() != "CBufferedFile" || error.Code() != hostbase::kErrFileOpen ||
        error.Args() != args) {
      std::fprintf(stderr, "raised %s code %d: %s\n", error.Module().c_str(), error.Code(),
                   error.Message());
      std::_Exit(6);
    }
  }
  std::_Exit(host.beginMessages.empty() && host.objects.empty() ? 0 : 7);
}

TEST_F(FileFaults, FileWithoutReadPermissionIsRefusedAtTheOpen) {
  const std::string path = dir.Write("private.lat", SmallPlainText());
  ASSERT_EQ(chmod(path.c_str(), 0), 0);
  EXPECT_EXIT(ImportWithoutReadPermission(path), ::testing::ExitedWithCode(0), "");
  ASSERT_EQ(chmod(path.c_str(), S_IRUSR | S_IWUSR), 0);
}

TEST_F(FileFaults, FileWhoseReadingFailsRaisesTheReadError) {
  // Opens, reports its length as 0, and fails at the first read.
  const std::string path = "/proc/self/mem";
  EXPECT_FALSE(filter.CanImportFile(path.c_str()));
  ExpectError(ImportError(path), "CBufferedFile", hostbase::kErrFileRead, {path, SystemText(EIO)});
  EXPECT_EQ(host.beginMessages, std::vector<std::string>{"Importing Iris Explorer LAT file mem"});
  EXPECT_TRUE(host.objects.empty());
  EXPECT_EQ(host.stops, 1);
  ExpectSoundImportAfterwards();
}

TEST_F(FileFaults, DirectoryGivenAsTheFileIsRefusedAtTheOpen) {
  const std::string path = dir.Path();
  EXPECT_FALSE(filter.CanImportFile(path.c_str()));
  ExpectError(ImportError(path), "CBufferedFile", hostbase::kErrFileOpen,
              {path, SystemText(EISDIR)});
  EXPECT_TRUE(host.beginMessages.empty());
  EXPECT_EQ(host.stops, 0);
  ExpectSoundImportAfterwards();
}

TEST_F(FileFaults, PathThatDoesNotExistIsRefusedAtTheOpen) {
  const std::string path = dir.File("missing/nothing.lat");
  EXPECT_FALSE(filter.CanImportFile(path.c_str()));
  ExpectError(ImportError(path), "CBufferedFile", hostbase::kErrFileOpen,
              {path, SystemText(ENOENT)});
  EXPECT_TRUE(host.beginMessages.empty());
  EXPECT_TRUE(host.objects.empty());
  ExpectSoundImportAfterwards();
}

}  // namespace
}  // namespace lattest
