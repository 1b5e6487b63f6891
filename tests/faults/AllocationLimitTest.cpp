// Sizes a file claims are not trusted: files of 200 bytes whose headers claim lists of
// about 2^31 bytes fail with their format error without allocating what they claim. Each
// import runs in a child process whose address space allows only a little more than it
// already uses, so an allocation of the claimed size would fail there.
#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>
#include <variant>

#include "formats/LatBinaryFormat.h"
#include "import/LatImportFilter.h"
#include "tests/faults/FaultHarness.h"
#include "tests/support/LatBinaryWriter.h"
#include "tests/support/TempDir.h"

namespace lattest {
namespace {

namespace bin = lat::binary;

constexpr std::size_t kFileSize = 200;
constexpr std::uint64_t kHeadroom = std::uint64_t{256} << 20;
constexpr std::size_t kClaimedBytes = (std::size_t{1} << 31) - 1;

// What the import must raise.
struct Expected {
  const char* module;
  int code;
  std::int64_t firstArg;  // file position (code 18) or line (code 17)
};

// In the child: limits the address space, proves that the limit refuses an allocation of
// the claimed size, imports, and ends the process with 0 when the expected error came
// and nothing reached the host. Diagnostics go to stderr, which the parent shows.
[[noreturn]] void ImportUnderLimit(const std::string& path, const Expected& expected) {
  const rlimit limit{AddressSpaceInUse() + kHeadroom, AddressSpaceInUse() + kHeadroom};
  if (setrlimit(RLIMIT_AS, &limit) != 0) {
    std::fprintf(stderr, "setrlimit failed\n");
    std::_Exit(3);
  }
  if (char* probe = new (std::nothrow) char[kClaimedBytes]) {
    delete[] probe;
    std::fprintf(stderr, "the limit does not stop an allocation of the claimed size\n");
    std::_Exit(4);
  }
  hostfw::IoManager manager;
  RecordingHost host(manager);
  LatImportFilter filter(manager);
  try {
    const hostfw::ImportStatus status = filter.ImportFromFile(path.c_str());
    std::fprintf(stderr, "the import returned %d\n", static_cast<int>(status));
    std::_Exit(5);
  } catch (const hostbase::CError& error) {
    const auto& args = error.Args();
    const bool argsMatch = args.size() == 2 && std::holds_alternative<std::int64_t>(args[0]) &&
                           std::get<std::int64_t>(args[0]) == expected.firstArg &&
                           args[1] == hostbase::CErrorArg(path);
    if (error.Module() != expected.module || error.Code() != expected.code || !argsMatch) {
      std::fprintf(stderr, "raised %s code %d: %s\n", error.Module().c_str(), error.Code(),
                   error.Message());
      std::_Exit(6);
    }
  } catch (const std::bad_alloc&) {
    std::fprintf(stderr, "the import allocated what the header claims\n");
    std::_Exit(7);
  }
  if (!host.objects.empty()) {
    std::fprintf(stderr, "the host received %s\n", host.Sequence().c_str());
    std::_Exit(8);
  }
  std::_Exit(0);
}

class AllocationLimit : public ::testing::Test {
 protected:
  void SetUp() override {
    if (BuiltWithAddressSanitizer())
      GTEST_SKIP() << "AddressSanitizer reserves more address space than any limit allows";
  }

  void ExpectRefusedUnderLimit(const std::string& bytes, const Expected& expected) {
    ASSERT_EQ(bytes.size(), kFileSize);
    const std::string path = dir.Write("claim.lat", bytes);
    EXPECT_EXIT(ImportUnderLimit(path, expected), ::testing::ExitedWithCode(0), "");
  }

  // A binary file of kFileSize bytes whose value list claims `count` values.
  static std::string BinaryClaim(std::int32_t primType, std::int32_t count) {
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

  // A plain file padded with a comment to kFileSize bytes.
  static std::string PlainClaim(const std::string& body) {
    std::string text = "#!/usr/explorer/bin/explorer cxLattice plain 1.0\n" + body + "#";
    text.resize(kFileSize - 1, 'x');
    return text + "\n";
  }

  TempDir dir;
};

TEST_F(AllocationLimit, ClaimsOfAboutTwoGigabytesInATwoHundredByteFile) {
  const int binary = static_cast<int>(hostfw::ErrCode::BadBinaryData);
  const int plain = static_cast<int>(hostfw::ErrCode::PlainSyntax);
  const auto firstValue = static_cast<std::int64_t>(bin::offset::kUniformFirstValue);
  const struct {
    std::string bytes;
    Expected expected;
  } claims[] = {
      // 2^31 - 1 one-byte values; 268435455 doubles (2^31 - 8 bytes).
      {BinaryClaim(0, 2147483647), {"LatImpBinary", binary, firstValue}},
      {BinaryClaim(4, 268435455), {"LatImpBinary", binary, firstValue}},
      // A row of 2^31 - 1 bytes, refused once the value type is known.
      {PlainClaim("1\n2147483647\n1 0 0 1\n0 1\n"), {"LatImpPlain", plain, 3}},
      // A y axis of 2^31 - 1 four-byte coordinates.
      {PlainClaim("2\n3 2147483647\n1 3 1 1\n0 1 2\n"), {"LatImpPlain", plain, 4}},
      // 178 million nodes of 12 bytes: 2136000000 bytes of node coordinates.
      {PlainClaim("3\n10 1000 17800\n1 3 2 1\n3\n0 0 0\n"), {"LatImpPlain", plain, 5}},
  };
  for (const auto& claim : claims) {
    SCOPED_TRACE(claim.bytes.substr(0, 80));
    ExpectRefusedUnderLimit(claim.bytes, claim.expected);
  }
}

}  // namespace
}  // namespace lattest
