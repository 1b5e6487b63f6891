// Imports of hostile files: sizes a file claims are not trusted, and files that change or
// fail under the import give their error, after which the same filter imports a sound
// file.
#include <sys/resource.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <new>
#include <sstream>

#include "formats/LatBinaryFormat.h"
#include "hostbase/BufferedFile.h"
#include "import/LatImportFilter.h"
#include "tests/faults/FaultHarness.h"
#include "tests/support/LatBinaryWriter.h"
#include "tests/support/RecordingHost.h"
#include "tests/support/TempDir.h"

namespace lattest {
namespace {

using hostfw::ErrCode;
constexpr std::size_t kFileSize = 200;
constexpr std::size_t kClaimedBytes = (std::size_t{1} << 31) - 1;
const std::string kMagic = "#!/usr/explorer/bin/explorer cxLattice plain 1.0\n";

std::uint64_t AddressSpaceInUse() {
  std::ifstream status("/proc/self/status");
  std::string line;
  std::uint64_t kib = 0;
  while (std::getline(status, line))
    if (line.rfind("VmSize:", 0) == 0) std::istringstream(line.substr(7)) >> kib;
  return kib * 1024;
}

// In a child process whose address space allows only 256 MiB more than it uses (so that
// an allocation of the claimed size fails there), the import raises `code` at
// `position` (a byte or a line) and hands nothing to the host; the exit code says what
// went wrong.
[[noreturn]] void ImportUnderLimit(const std::string& path, const char* module, int code,
                                   std::int64_t position) {
  const rlimit limit{AddressSpaceInUse() + (256 << 20), AddressSpaceInUse() + (256 << 20)};
  if (setrlimit(RLIMIT_AS, &limit) != 0) std::_Exit(3);
  if (char* probe = new (std::nothrow) char[kClaimedBytes]) {
    delete[] probe;
    std::_Exit(4);
  }
  hostfw::IoManager manager;
  RecordingHost host(manager);
  LatImportFilter filter(manager);
  try {
    filter.ImportFromFile(path.c_str());
    std::_Exit(5);
  } catch (const hostbase::CError& error) {
    const std::vector<hostbase::CErrorArg> args{position, path};
    if (error.Module() != module || error.Code() != code || error.Args() != args) {
      std::fprintf(stderr, "raised %s code %d: %s\n", error.Module().c_str(), error.Code(),
                   error.Message());
      std::_Exit(6);
    }
  } catch (const std::bad_alloc&) {
    std::_Exit(7);
  }
  std::_Exit(host.objects.empty() ? 0 : 8);
}

// A binary value list of `count` values, 2^31 - 1 bytes or just under, in a 200-byte file.
std::string BinaryClaim(std::int32_t primType, std::int32_t count) {
  BinaryLattice lat;
  lat.dims = {count, 1, 1};
  lat.primType = primType;
  lat.rawValues = std::vector<std::uint8_t>(kFileSize, 0x5A);
  lat.coords = {0, 1, 0, 0, 0, 0};
  BinaryImage image = EncodeBinary(lat);
  image.SetInt(BinaryField::ValueCount, count);
  image.Truncate(kFileSize);
  return std::string(image.bytes.begin(), image.bytes.end());
}

// A plain file padded with a comment to 200 bytes.
std::string PlainClaim(const std::string& body) {
  std::string text = kMagic + body + "#";
  text.resize(kFileSize - 1, 'x');
  return text + "\n";
}

TEST(AllocationLimit, ClaimsOfAboutTwoGigabytesInATwoHundredByteFile) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "AddressSanitizer reserves more address space than any limit allows";
#endif
  const int binary = static_cast<int>(ErrCode::BadBinaryData);
  const int plain = static_cast<int>(ErrCode::PlainSyntax);
  const auto firstValue = static_cast<std::int64_t>(lat::binary::offset::kUniformFirstValue);
  const struct {
    std::string bytes;
    const char* module;
    int code;
    std::int64_t position;
  } claims[] = {
      {BinaryClaim(0, 2147483647), "LatImpBinary", binary, firstValue},
      {BinaryClaim(4, 268435455), "LatImpBinary", binary, firstValue},  // 2^31 - 8 bytes
      // A row of 2^31 - 1 bytes, refused once the value type is known.
      {PlainClaim("1\n2147483647\n1 0 0 1\n0 1\n"), "LatImpPlain", plain, 3},
      // A y axis of 2^31 - 1 four-byte coordinates.
      {PlainClaim("2\n3 2147483647\n1 3 1 1\n0 1 2\n"), "LatImpPlain", plain, 4},
      // 178 million nodes of 12 bytes: 2136000000 bytes of node coordinates.
      {PlainClaim("3\n10 1000 17800\n1 3 2 1\n3\n0 0 0\n"), "LatImpPlain", plain, 5},
  };
  TempDir dir;
  for (const auto& c : claims) {
    SCOPED_TRACE(c.bytes.substr(0, 80));
    ASSERT_EQ(c.bytes.size(), kFileSize);
    const std::string path = dir.Write("claim.lat", c.bytes);
    EXPECT_EXIT(ImportUnderLimit(path, c.module, c.code, c.position), ::testing::ExitedWithCode(0),
                "");
  }
}

// A plain file cut inside the first number after the first read buffer, once its header
// has arrived; a file emptied when the import begins; a file whose reading fails (it
// opens, reports its length as 0, and fails at the first read); a folder (also with a
// trailing separator) and a missing path, refused at the open before any report.
TEST(FileFaults, FilesThatChangeOrFailUnderTheImport) {
  TempDir dir;
  hostfw::IoManager manager;
  RecordingHost host(manager);
  LatImportFilter filter(manager);
  std::string large = kMagic + "2\n500 600\n1 3 0 1\n0 1 0 1\n";
  for (int n = 0; n < 500 * 600; ++n)
    large += std::to_string(1000 + n % 8000) + (n % 500 == 499 ? ".5\n" : ".5 ");
  const std::size_t cut = large.find(' ', hostbase::CBufferedFile::kBufferSize + 12345) + 3;
  const auto lines =
      std::count(large.begin(), large.begin() + static_cast<std::ptrdiff_t>(cut), '\n');
  const std::string largePath = dir.Write("large.lat", large);
  const std::string small = kMagic + "2\n3 2\n1 3 0 1\n0 1 10 20\n1.5 2.5 3.5\n4.5 5.5 6.5\n";
  const std::string emptied = dir.Write("emptied.lat", small);
  const std::string sound = dir.Write("sound.lat", small);
  const auto resize = [](const std::string& path, std::size_t size) {
    return [=] { std::filesystem::resize_file(path, size); };
  };
  const int open = hostbase::kErrFileOpen;
  const struct {
    std::string path;
    std::function<void()> atBegin, atHeader;
    const char* module;
    int code;
    std::vector<hostbase::CErrorArg> args;
    std::size_t objects;  // the header and the rows before the cut
    bool begun;
  } cases[] = {
      {largePath,
       {},
       resize(largePath, cut),
       "LatImpPlain",
       static_cast<int>(ErrCode::PlainSyntax),
       {std::int64_t{lines}, largePath},
       static_cast<std::size_t>(lines) - 4,
       true},
      {emptied,
       resize(emptied, 0),
       {},
       "LatImportFilter",
       static_cast<int>(ErrCode::NotLatFile),
       {emptied},
       0,
       true},
      {"/proc/self/mem",
       {},
       {},
       "CBufferedFile",
       hostbase::kErrFileRead,
       {"/proc/self/mem", std::strerror(EIO)},
       0,
       true},
      {dir.Path(), {}, {}, "CBufferedFile", open, {dir.Path(), std::strerror(EISDIR)}, 0, false},
      {dir.Path() + "/",
       {},
       {},
       "CBufferedFile",
       open,
       {dir.Path() + "/", std::strerror(EISDIR)},
       0,
       false},
      {dir.File("missing/x.lat"),
       {},
       {},
       "CBufferedFile",
       open,
       {dir.File("missing/x.lat"), std::strerror(ENOENT)},
       0,
       false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    host.Clear();
    host.atBegin = c.atBegin;
    host.atObject = c.atHeader;
    host.actionObject = 0;
    EXPECT_EQ(filter.CanImportFile(c.path.c_str()), c.module != std::string("CBufferedFile"));
    ExpectError(CaughtError([&] { filter.ImportFromFile(c.path.c_str()); }), c.module, c.code,
                c.args);
    EXPECT_EQ(host.objects.size(), c.objects);
    EXPECT_EQ(host.beginMessages.size(), c.begun ? 1u : 0u);
    EXPECT_EQ(host.stops, c.begun ? 1 : 0);
    host.Clear();
    host.atBegin = host.atObject = nullptr;
    EXPECT_EQ(filter.ImportFromFile(sound.c_str()), hostfw::ImportStatus_Complete);
    EXPECT_EQ(host.Sequence(), "U S S E");
  }
}

}  // namespace
}  // namespace lattest
