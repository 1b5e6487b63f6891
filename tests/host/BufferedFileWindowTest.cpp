// The read window of CBufferedFile: the buffered bytes not yet taken, scanned in place and
// taken with Skip, in step with Getc, Read and the position across buffer refills.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "hostbase/BufferedFile.h"
#include "tests/support/TempDir.h"

namespace {

using hostbase::CBufferedFile;
constexpr std::size_t kBuf = CBufferedFile::kBufferSize;

std::uint8_t PatternByte(std::size_t i) {
  return static_cast<std::uint8_t>((i * 37u + (i >> 11)) & 0xFF);
}

std::string MakeFile(const lattest::TempDir& dir, std::size_t size) {
  std::vector<std::uint8_t> bytes(size);
  for (std::size_t i = 0; i < size; ++i) bytes[i] = PatternByte(i);
  return dir.Write("window.bin", bytes);
}

std::size_t WindowSize(const CBufferedFile& file) {
  return static_cast<std::size_t>(file.ReadWindowEnd() - file.ReadWindowBegin());
}

TEST(BufferedFileWindow, IsEmptyUntilTheFirstReadThenHoldsTheRestOfTheBuffer) {
  lattest::TempDir dir;
  const std::size_t size = kBuf + 100;
  CBufferedFile file(MakeFile(dir, size).c_str(), "rb", 3, false);
  EXPECT_EQ(WindowSize(file), 0u);
  ASSERT_EQ(file.Getc(), PatternByte(0));
  ASSERT_EQ(WindowSize(file), kBuf - 1);
  for (std::size_t i = 0; i < 64; ++i) {
    ASSERT_EQ(file.ReadWindowBegin()[i], PatternByte(1 + i)) << i;
  }
}

TEST(BufferedFileWindow, SkipTakesBytesAsGetcWould) {
  lattest::TempDir dir;
  const std::size_t size = kBuf + 100;
  CBufferedFile file(MakeFile(dir, size).c_str(), "rb", 3, false);
  ASSERT_EQ(file.Getc(), PatternByte(0));
  file.Skip(10);
  EXPECT_EQ(file.GetPosition(), 11);
  EXPECT_EQ(file.Getc(), PatternByte(11));
  // Up to the end of the buffer: the window is empty, Getc refills with the next byte.
  file.Skip(WindowSize(file));
  EXPECT_EQ(file.GetPosition(), static_cast<std::int64_t>(kBuf));
  EXPECT_EQ(WindowSize(file), 0u);
  EXPECT_EQ(file.Getc(), PatternByte(kBuf));
  EXPECT_EQ(WindowSize(file), 99u);
  unsigned char rest[99] = {};
  ASSERT_EQ(file.Read(rest, sizeof rest), sizeof rest);
  EXPECT_EQ(rest[98], PatternByte(size - 1));
  EXPECT_EQ(file.Getc(), -1);
  EXPECT_EQ(WindowSize(file), 0u);
}

TEST(BufferedFileWindow, ARewindEmptiesTheWindow) {
  lattest::TempDir dir;
  CBufferedFile file(MakeFile(dir, 50).c_str(), "rb", 3, false);
  ASSERT_EQ(file.Getc(), PatternByte(0));
  ASSERT_EQ(WindowSize(file), 49u);
  file.Seek(0, 0);
  EXPECT_EQ(WindowSize(file), 0u);
  EXPECT_EQ(file.Getc(), PatternByte(0));
}

}  // namespace
