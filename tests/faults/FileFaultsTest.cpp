// Files that change or fail under the import: a file cut short while its rows arrive, a
// file emptied when the import begins, a file whose reading fails. Each gives its error,
// and the same filter imports a sound file afterwards.
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>

#include "hostbase/BufferedFile.h"
#include "hostfw/Status.h"
#include "import/LatImportFilter.h"
#include "tests/faults/FaultHarness.h"
#include "tests/support/TempDir.h"

namespace lattest {
namespace {

using hostfw::ErrCode;
// The largest read buffer: a file larger than it is read in several fills, so a cut
// beyond it while the first fill is being used is met by a later fill.
constexpr std::size_t kBuffer = hostbase::CBufferedFile::kBufferSize;
const std::string kSmallPlain =
    "#!/usr/explorer/bin/explorer cxLattice plain 1.0\n2\n3 2\n1 3 0 1\n0 1 10 20\n"
    "1.5 2.5 3.5\n4.5 5.5 6.5\n";

class FileFaults : public ::testing::Test {
 protected:
  std::optional<hostbase::CError> ImportError(const std::string& path) {
    return CaughtError([&] { filter.ImportFromFile(path.c_str()); });
  }

  // The filter survives the fault: a sound file imports completely.
  void ExpectSoundImportAfterwards() {
    const std::string path = dir.Write("sound.lat", kSmallPlain);
    host.Clear();
    host.atBegin = nullptr;
    host.atObject = nullptr;
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

TEST_F(FileFaults, FileEmptiedWhenTheImportBeginsIsNotALatFile) {
  const std::string path = dir.Write("emptied.lat", kSmallPlain);
  host.atBegin = [&] { std::filesystem::resize_file(path, 0); };
  ExpectError(ImportError(path), "LatImportFilter", ModuleCode(ErrCode::NotLatFile), {path});
  EXPECT_TRUE(host.objects.empty());
  EXPECT_EQ(host.stops, 1);
  ExpectSoundImportAfterwards();
}

TEST_F(FileFaults, FileWhoseReadingFailsRaisesTheReadError) {
  // Opens, reports its length as 0, and fails at the first read.
  const std::string path = "/proc/self/mem";
  EXPECT_FALSE(filter.CanImportFile(path.c_str()));
  ExpectError(ImportError(path), "CBufferedFile", hostbase::kErrFileRead,
              {path, std::strerror(EIO)});
  EXPECT_EQ(host.beginMessages, std::vector<std::string>{"Importing Iris Explorer LAT file mem"});
  EXPECT_TRUE(host.objects.empty());
  EXPECT_EQ(host.stops, 1);
  ExpectSoundImportAfterwards();
}

// A folder (also named with a trailing separator) and a path that does not exist are
// refused at the open with the reason, before any progress report.
TEST_F(FileFaults, FolderAndMissingPathAreRefusedAtTheOpen) {
  const struct {
    std::string path;
    std::string reason;
  } cases[] = {{dir.Path(), "Is a directory"},
               {dir.Path() + "/", "Is a directory"},
               {dir.File("missing/nothing.lat"), std::strerror(ENOENT)}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    host.Clear();
    EXPECT_FALSE(filter.CanImportFile(c.path.c_str()));
    ExpectError(ImportError(c.path), "CBufferedFile", hostbase::kErrFileOpen, {c.path, c.reason});
    EXPECT_TRUE(host.beginMessages.empty());
    EXPECT_TRUE(host.objects.empty());
    ExpectSoundImportAfterwards();
  }
}

}  // namespace
}  // namespace lattest
