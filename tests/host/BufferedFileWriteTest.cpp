// Writing through CBufferedFile: small and large writes, positions and lengths, and
// failures that must be raised rather than lost.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "hostbase/BufferedFile.h"
#include "hostbase/Error.h"
#include "tests/support/TempDir.h"

namespace {

using hostbase::CBufferedFile;
using hostbase::CError;
constexpr std::size_t kBuf = CBufferedFile::kBufferSize;

std::vector<std::uint8_t> Bytes(std::size_t size, unsigned seed) {
  std::vector<std::uint8_t> bytes(size);
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(i * seed + 7);
  return bytes;
}

std::vector<std::uint8_t> Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class BufferedFileWrite : public ::testing::Test {
 protected:
  lattest::TempDir dir_;
};

TEST_F(BufferedFileWrite, SmallAndLargeWritesReadBackInOrder) {
  const std::string path = dir_.File("out.bin");
  std::vector<std::uint8_t> expected;
  {
    CBufferedFile file(path.c_str(), "wb", 3, false);
    // Small writes fill the buffer, one overflows it, a large one goes straight out.
    for (std::size_t size : {std::size_t{10}, kBuf - 20, std::size_t{30}, 3 * kBuf + 1,
                             std::size_t{1}, kBuf, std::size_t{0}}) {
      const auto chunk = Bytes(size, static_cast<unsigned>(size % 251 + 3));
      file.Write(chunk.data(), chunk.size());
      expected.insert(expected.end(), chunk.begin(), chunk.end());
      ASSERT_EQ(file.GetPosition(), static_cast<std::int64_t>(expected.size()));
      ASSERT_EQ(file.GetLength(), static_cast<std::int64_t>(expected.size()));
    }
    file.Close();
  }
  EXPECT_EQ(Slurp(path), expected);

  CBufferedFile reader(path.c_str(), "rb", 3, false);
  std::vector<std::uint8_t> back(expected.size());
  EXPECT_EQ(reader.Read(back.data(), back.size()), back.size());
  EXPECT_EQ(back, expected);
}

// "wb" empties a longer file and creates a missing one; a short write leaves no old byte.
TEST_F(BufferedFileWrite, OpeningToWriteEmptiesTheFile) {
  const std::string longer = dir_.Write("longer.bin", Bytes(3 * kBuf + 5, 11));
  const std::string missing = dir_.File("missing.bin");
  const std::string empty = dir_.Write("empty.bin", "");
  for (const std::string& path : {longer, missing, empty}) {
    {
      CBufferedFile file(path.c_str(), "wb", 3, false);
      EXPECT_EQ(file.GetLength(), 0) << path;
      file.Write("abc", 3);
      file.Close();
    }
    EXPECT_EQ(Slurp(path), (std::vector<std::uint8_t>{'a', 'b', 'c'})) << path;
  }
}

TEST_F(BufferedFileWrite, WritingAReadFileRaisesStateError) {
  const std::string path = dir_.Write("r.bin", "abc");
  CBufferedFile file(path.c_str(), "rb", 3, false);
  try {
    file.Write("x", 1);
    FAIL() << "Write returned";
  } catch (const CError& e) {
    EXPECT_EQ(e.Code(), hostbase::kErrFileState);
    EXPECT_EQ(e.Module(), "CBufferedFile");
    ASSERT_EQ(e.Args().size(), 1u);
    EXPECT_EQ(std::get<std::string>(e.Args()[0]), path);
  }
}

void ExpectWriteError(const CError& e) {
  EXPECT_EQ(e.Code(), hostbase::kErrFileWrite);
  EXPECT_EQ(e.Module(), "CBufferedFile");
  ASSERT_EQ(e.Args().size(), 2u);
  EXPECT_EQ(std::get<std::string>(e.Args()[0]), "/dev/full");
  EXPECT_EQ(std::get<std::string>(e.Args()[1]), std::strerror(ENOSPC));
  EXPECT_EQ(std::string(e.what()),
            std::string("Cannot write to '/dev/full': ") + std::strerror(ENOSPC));
}

TEST(BufferedFileFullDevice, BufferedBytesThatCannotBeWrittenRaiseOnClose) {
  if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full here";
  CBufferedFile file("/dev/full", "wb", 3, false);
  file.Write("some bytes", 10);
  try {
    file.Close();
    FAIL() << "Close returned";
  } catch (const CError& e) {
    ExpectWriteError(e);
  }
  EXPECT_FALSE(file.IsOpen());
}

TEST(BufferedFileFullDevice, LargeWriteRaisesAtOnce) {
  if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full here";
  CBufferedFile file("/dev/full", "wb", 3, false);
  const std::vector<std::uint8_t> big(2 * kBuf, 1);
  try {
    file.Write(big.data(), big.size());
    FAIL() << "Write returned";
  } catch (const CError& e) {
    ExpectWriteError(e);
  }
  EXPECT_NO_THROW(file.Close());  // the failure was reported once
}

}  // namespace
