// CBufferedFile: Getc and Read across buffer boundaries, files that change length, writes,
// and the failures of opens, seeks, wrong-direction calls and full devices.
#include <gtest/gtest.h>

#include <algorithm>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
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

// Byte i of the test files: a pattern that does not repeat with the buffer size.
std::uint8_t PatternByte(std::size_t i) {
  return static_cast<std::uint8_t>((i * 131u + (i >> 9)) & 0xFF);
}

std::vector<std::uint8_t> Pattern(std::size_t size) {
  std::vector<std::uint8_t> bytes(size);
  for (std::size_t i = 0; i < size; ++i) bytes[i] = PatternByte(i);
  return bytes;
}

std::vector<std::uint8_t> Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class BufferedFile : public ::testing::Test {
 protected:
  std::string MakeFile(std::size_t size) { return dir_.Write("data.bin", Pattern(size)); }
  lattest::TempDir dir_;
};

TEST_F(BufferedFile, ReadStraddlingTheBufferAndDirectLargeReadsKeepTheBytesInOrder) {
  const std::size_t size = 5 * kBuf + 333;
  const auto expected = Pattern(size);
  CBufferedFile file(MakeFile(size).c_str(), "rb", 3, false);
  std::vector<std::uint8_t> got(size);
  std::size_t at = 0;
  // A Getc fills the buffer; then a read that drains it and continues, a read larger
  // than the buffer (goes straight to the caller) and small reads.
  got[at++] = static_cast<std::uint8_t>(file.Getc());
  for (std::size_t count : {kBuf - 100, std::size_t{300}, 2 * kBuf + 5, std::size_t{1}, kBuf}) {
    ASSERT_EQ(file.Read(got.data() + at, count), count);
    at += count;
    ASSERT_EQ(file.GetPosition(), static_cast<std::int64_t>(at));
  }
  const std::size_t rest = size - at;
  EXPECT_EQ(file.Read(got.data() + at, rest + 1000), rest);  // short read at the end
  EXPECT_EQ(got, expected);
  EXPECT_EQ(file.Read(got.data(), 10), 0u);
}

TEST_F(BufferedFile, ReadAfterGetcMixesWithoutLosingBytes) {
  const std::size_t size = kBuf + 10;
  CBufferedFile file(MakeFile(size).c_str(), "rb", 3, false);
  std::vector<std::uint8_t> block(kBuf - 1);
  ASSERT_EQ(file.Read(block.data(), block.size()), block.size());
  EXPECT_EQ(file.Getc(), PatternByte(kBuf - 1));  // last byte of the first fill
  EXPECT_EQ(file.Getc(), PatternByte(kBuf));      // first byte of the second fill
  EXPECT_EQ(file.GetPosition(), static_cast<std::int64_t>(kBuf + 1));
}

TEST_F(BufferedFile, SeekOtherThanRewindRaisesSeekErrorAndKeepsThePosition) {
  CBufferedFile file(MakeFile(100).c_str(), "rb", 3, false);
  file.Getc();
  for (auto [offset, origin] : {std::pair{5, 0}, std::pair{0, 1}, std::pair{0, 2}}) {
    try {
      file.Seek(offset, origin);
      FAIL() << "Seek(" << offset << ", " << origin << ") returned";
    } catch (const CError& e) {
      EXPECT_EQ(e.Code(), hostbase::kErrFileSeek);
      EXPECT_EQ(e.Module(), "CBufferedFile");
      ASSERT_EQ(e.Args().size(), 2u);
      EXPECT_EQ(std::get<std::string>(e.Args()[0]), file.GetFilePath());
    }
  }
  EXPECT_EQ(file.GetPosition(), 1);
  EXPECT_EQ(file.Getc(), PatternByte(1));
}

// The read buffer is sized by the file's length at the open; bytes appended afterwards,
// far more than that buffer holds, are still read in order, by Getc and by Read.
TEST_F(BufferedFile, SmallFileThatGrowsAfterTheOpenIsReadToItsNewEnd) {
  const std::size_t size = 3 * kBuf / 2 + 11;
  const auto expected = Pattern(size);
  const std::string path =
      dir_.Write("grows.bin", std::vector<std::uint8_t>(expected.begin(), expected.begin() + 10));
  CBufferedFile byGetc(path.c_str(), "rb", 3, false);
  CBufferedFile byRead(path.c_str(), "rb", 3, false);
  dir_.Write("grows.bin", expected);
  for (std::size_t i = 0; i < size; ++i) ASSERT_EQ(byGetc.Getc(), expected[i]) << "at byte " << i;
  EXPECT_EQ(byGetc.Getc(), -1);
  EXPECT_EQ(byGetc.Getc(), -1);
  EXPECT_EQ(byGetc.GetPosition(), static_cast<std::int64_t>(size));
  std::vector<std::uint8_t> got(size + 1);
  std::size_t at = 0;
  for (std::size_t count : {std::size_t{3}, std::size_t{5000}, kBuf / 4, size}) {
    at += byRead.Read(got.data() + at, std::min(count, got.size() - at));
  }
  got.resize(at);
  EXPECT_EQ(got, expected);
}

// A special file whose length the system reports as 0 still reads to its end.
TEST_F(BufferedFile, FileOfUnknownLengthIsReadToItsEnd) {
  std::ifstream in("/proc/self/cmdline", std::ios::binary);
  const std::string expected{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  ASSERT_FALSE(expected.empty());
  CBufferedFile file("/proc/self/cmdline", "rb", 3, false);
  std::string got;
  for (int c = file.Getc(); c != -1; c = file.Getc()) got += static_cast<char>(c);
  EXPECT_EQ(got, expected);
}

void ExpectOpenError(const std::string& path, const char* mode, const std::string& reason) {
  try {
    CBufferedFile file(path.c_str(), mode, 3, false);
    FAIL() << "opening '" << path << "' succeeded";
  } catch (const CError& e) {
    EXPECT_EQ(e.Code(), hostbase::kErrFileOpen);
    EXPECT_EQ(e.Module(), "CBufferedFile");
    ASSERT_EQ(e.Args().size(), 2u);
    EXPECT_EQ(std::get<std::string>(e.Args()[0]), path);
    EXPECT_EQ(std::get<std::string>(e.Args()[1]), reason);
    const std::string direction = std::strcmp(mode, "wb") == 0 ? "writing" : "reading";
    EXPECT_EQ(std::string(e.what()), "Cannot open '" + path + "' for " + direction + ": " + reason);
  }
}

TEST_F(BufferedFile, ModesOtherThanReadOrWriteBinaryAreRefused) {
  const std::string path = MakeFile(10);
  for (const char* mode : {"r", "w", "r+b", "ab", "rb+", ""}) {
    ExpectOpenError(path, mode, std::string("unsupported open mode '") + mode + "'");
  }
  EXPECT_EQ(std::filesystem::file_size(path), 10u);  // "w" must not have truncated it
}

TEST_F(BufferedFile, SmallAndLargeWritesReadBackInOrder) {
  const std::string path = dir_.File("out.bin");
  std::vector<std::uint8_t> expected;
  CBufferedFile file(path.c_str(), "wb", 3, false);
  // Small writes fill the buffer, one overflows it, a large one goes straight out.
  for (std::size_t size : {std::size_t{10}, kBuf - 20, std::size_t{30}, 3 * kBuf + 1,
                           std::size_t{1}, kBuf, std::size_t{0}}) {
    const auto chunk = Pattern(size + expected.size());
    file.Write(chunk.data() + expected.size(), size);
    expected = chunk;
    ASSERT_EQ(file.GetPosition(), static_cast<std::int64_t>(expected.size()));
    ASSERT_EQ(file.GetLength(), static_cast<std::int64_t>(expected.size()));
  }
  file.Close();
  EXPECT_EQ(Slurp(path), expected);
}

// "wb" empties a longer file and creates a missing one; a short write leaves no old byte.
TEST_F(BufferedFile, OpeningToWriteEmptiesTheFile) {
  const std::string longer = dir_.Write("longer.bin", Pattern(3 * kBuf + 5));
  const std::string missing = dir_.File("missing.bin");
  for (const std::string& path : {longer, missing}) {
    {
      CBufferedFile file(path.c_str(), "wb", 3, false);
      EXPECT_EQ(file.GetLength(), 0) << path;
      file.Write("abc", 3);
    }  // the destructor flushes
    EXPECT_EQ(Slurp(path), (std::vector<std::uint8_t>{'a', 'b', 'c'})) << path;
  }
}

TEST_F(BufferedFile, WrongDirectionOrClosedFileRaisesStateError) {
  CBufferedFile closed;
  CBufferedFile writing(dir_.File("w.bin").c_str(), "wb", 3, false);
  char byte = 0;
  for (CBufferedFile* file : {&closed, &writing}) {
    try {
      file->Read(&byte, 1);
      FAIL() << "Read returned";
    } catch (const CError& e) {
      EXPECT_EQ(e.Code(), hostbase::kErrFileState);
      EXPECT_EQ(e.Args().size(), 1u);
    }
    EXPECT_THROW(file->Getc(), CError);
  }
  const std::string path = MakeFile(3);
  CBufferedFile reading(path.c_str(), "rb", 3, false);
  try {
    reading.Write("x", 1);
    FAIL() << "Write returned";
  } catch (const CError& e) {
    EXPECT_EQ(e.Code(), hostbase::kErrFileState);
    EXPECT_EQ(e.Module(), "CBufferedFile");
    ASSERT_EQ(e.Args().size(), 1u);
    EXPECT_EQ(std::get<std::string>(e.Args()[0]), path);
  }
}

// Bytes that cannot be written raise: buffered ones on Close, a large write at once, and
// each failure only once.
TEST(BufferedFileFullDevice, WriteFailuresAreRaisedOnce) {
  if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full here";
  CBufferedFile buffered("/dev/full", "wb", 3, false);
  buffered.Write("some bytes", 10);
  CBufferedFile large("/dev/full", "wb", 3, false);
  const std::vector<std::uint8_t> big(2 * kBuf, 1);
  const std::function<void()> failing[] = {[&] { buffered.Close(); },
                                           [&] { large.Write(big.data(), big.size()); }};
  for (const auto& call : failing) {
    try {
      call();
      ADD_FAILURE() << "the write failure was not raised";
    } catch (const CError& e) {
      EXPECT_EQ(e.Code(), hostbase::kErrFileWrite);
      EXPECT_EQ(e.Module(), "CBufferedFile");
      ASSERT_EQ(e.Args().size(), 2u);
      EXPECT_EQ(std::get<std::string>(e.Args()[0]), "/dev/full");
      EXPECT_EQ(std::get<std::string>(e.Args()[1]), std::strerror(ENOSPC));
      EXPECT_EQ(std::string(e.what()),
                std::string("Cannot write to '/dev/full': ") + std::strerror(ENOSPC));
    }
  }
  EXPECT_FALSE(buffered.IsOpen());
  EXPECT_NO_THROW(large.Close());
}

}  // namespace
