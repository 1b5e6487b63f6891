// CBufferedFile's reads, writes and refusals (a full disk is the export's fault test), and
// the mode of a file replaced through CAtomicFile.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "hostbase/AtomicFile.h"
#include "hostbase/BufferedFile.h"
#include "hostbase/Error.h"
#include "tests/support/TempDir.h"

#if !defined(_WIN32)
#include <fcntl.h>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <thread>
#endif

namespace {

using hostbase::CBufferedFile;
using hostbase::CError;
using Bytes = std::vector<std::uint8_t>;
constexpr std::size_t kBuf = CBufferedFile::kBufferSize;

// Bytes that do not repeat with the buffer size.
Bytes Pattern(std::size_t size) {
  Bytes bytes(size);
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(i * 131u + (i >> 9));
  return bytes;
}

Bytes Slurp(const std::string& path) {
  const std::string bytes = lattest::ReadFile(path);
  return {bytes.begin(), bytes.end()};
}

// The text of the CError of CBufferedFile with `code` naming `path` that `call` must raise.
std::string Raised(const std::function<void()>& call, int code, const std::string& path) {
  try {
    call();
    ADD_FAILURE() << "nothing raised (expected code " << code << ")";
  } catch (const CError& e) {
    EXPECT_EQ(e.Code(), code) << e.what();
    EXPECT_EQ(e.Module(), "CBufferedFile");
    EXPECT_EQ(e.Args().empty() ? "" : std::get<std::string>(e.Args()[0]), path);
    return e.what();
  }
  return "";
}

// Reads `steps` from `file` (0: one Getc, n: Read of n bytes) and then to its end.
Bytes ReadAll(CBufferedFile& file, std::initializer_list<std::size_t> steps, std::size_t size) {
  Bytes got(size + 1);
  std::size_t at = 0;
  for (std::size_t step : steps) {
    if (step == 0) {
      got[at++] = static_cast<std::uint8_t>(file.Getc());
    } else {
      EXPECT_EQ(file.Read(got.data() + at, step), step);
      at += step;
    }
    EXPECT_EQ(file.GetPosition(), static_cast<std::int64_t>(at));
  }
  at += file.Read(got.data() + at, got.size() - at);  // short read at the end
  EXPECT_EQ(file.Getc(), -1);
  EXPECT_EQ(file.Read(got.data(), 10), 0u);
  got.resize(at);
  return got;
}

class BufferedFile : public ::testing::Test {
 protected:
  lattest::TempDir dir_;
};

// Getc and reads across fills, larger than the buffer and small; also past the length at the
// open, which sizes the buffer: a file that grew, and one whose length the system says is 0.
TEST_F(BufferedFile, GetcAndReadsOfEverySizeKeepTheBytesInOrderToTheEnd) {
  const std::size_t size = 5 * kBuf + 333;
  const std::string path = dir_.Write("grows.bin", Bytes(10, 1));
  CBufferedFile byGetc(path.c_str(), "rb", 3, false), byRead(path.c_str(), "rb", 3, false);
  CBufferedFile mixed(dir_.Write("data.bin", Pattern(size)).c_str(), "rb", 3, false);
  dir_.Write("grows.bin", Pattern(size));
  EXPECT_EQ(ReadAll(mixed, {0, kBuf - 2, 0, 0, 300, 2 * kBuf + 5, 0, 1, kBuf}, size),
            Pattern(size));
  EXPECT_EQ(ReadAll(byGetc, {0, 0, 0, 0, 0, 0}, size), Pattern(size));
  EXPECT_EQ(ReadAll(byRead, {3, 5000, kBuf / 4}, size), Pattern(size));
#if !defined(_WIN32)
  const Bytes expected = Slurp("/proc/self/cmdline");
  CBufferedFile special("/proc/self/cmdline", "rb", 3, false);
  EXPECT_EQ(ReadAll(special, {0}, expected.size()), expected);
#endif
}

#if !defined(_WIN32)
void Ignore(int) {}

// A signal that interrupts a read from a pipe, before any byte or after some, ends fread
// early; the read goes on from there, up to the end of the file.
TEST_F(BufferedFile, ReadGoesOnAfterAnInterruptedPartialRead) {
  const std::string path = dir_.File("pipe");
  ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
  struct sigaction action {
  }, previous{};
  action.sa_handler = Ignore;  // no SA_RESTART: the blocked read returns what it has
  sigaction(SIGUSR1, &action, &previous);
  // The pipe holds more than the read asks for, which a read asking too much would take.
  const Bytes sent = Pattern((64 << 10) + 1000);
  const pthread_t reader = pthread_self();
  std::thread writer([&] {
    const int fd = open(path.c_str(), O_WRONLY);
    // A signal before the first byte, and one after the first 100.
    for (std::size_t at = 0; at < sent.size();) {
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
      pthread_kill(reader, SIGUSR1);
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
      at += write(fd, &sent[at], at == 0 ? 100 : sent.size() - at);
    }
    close(fd);
  });
  CBufferedFile file(path.c_str(), "rb", 3, false);
  Bytes got(64 << 10);
  EXPECT_EQ(file.Read(got.data(), got.size()), got.size());
  writer.join();  // before the file closes: the writer's last bytes wait in the pipe
  sigaction(SIGUSR1, &previous, nullptr);
  EXPECT_EQ(got, Bytes(sent.begin(), sent.begin() + got.size()));
  Bytes rest(sent.size());
  EXPECT_EQ(file.Read(rest.data(), rest.size()), sent.size() - got.size());
  EXPECT_TRUE(std::equal(sent.begin() + got.size(), sent.end(), rest.begin()));
}
#endif

TEST_F(BufferedFile, SmallAndLargeWritesReadBackInOrder) {
  const std::string path = dir_.File("out.bin");
  Bytes expected;
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
  // "wb" empties a longer file; the destructor flushes.
  {
    CBufferedFile again(path.c_str(), "wb", 3, false);
    EXPECT_EQ(again.GetLength(), 0);
    again.Write("abc", 3);
  }
  EXPECT_EQ(Slurp(path), (Bytes{'a', 'b', 'c'}));
}

TEST_F(BufferedFile, BadModesSeeksAndDirectionsAreRefused) {
  const std::string path = dir_.Write("data.bin", Pattern(100));
  for (const char* mode : {"r", "w", "r+b", "ab", "rb+", ""}) {
    EXPECT_EQ(
        Raised([&] { CBufferedFile(path.c_str(), mode, 3, false); }, hostbase::kErrFileOpen, path),
        "Cannot open '" + path + "' for reading: unsupported open mode '" + mode + "'");
  }
  EXPECT_EQ(std::filesystem::file_size(path), 100u);  // "w" must not have truncated it
  EXPECT_EQ(Raised([&] { CBufferedFile(dir_.Path().c_str(), "rb", 3, false); },
                   hostbase::kErrFileOpen, dir_.Path()),
            "Cannot open '" + dir_.Path() + "' for reading: Is a directory");
  CBufferedFile reading(path.c_str(), "rb", 3, false);
  reading.Getc();
  for (auto [offset, origin] : {std::pair{5, 0}, std::pair{0, 1}, std::pair{0, 2}})
    Raised([&] { reading.Seek(offset, origin); }, hostbase::kErrFileSeek, path);
  EXPECT_EQ(reading.GetPosition(), 1);
  EXPECT_EQ(reading.Getc(), Pattern(2)[1]);
  Raised([&] { reading.Write("x", 1); }, hostbase::kErrFileState, path);
  const std::string out = dir_.File("w.bin");
  CBufferedFile writing(out.c_str(), "wb", 3, false);
  char byte = 0;
  Raised([&] { writing.Read(&byte, 1); }, hostbase::kErrFileState, out);
  Raised([&] { writing.Getc(); }, hostbase::kErrFileState, out);
  CBufferedFile closed;
  EXPECT_THROW(closed.Read(&byte, 1), CError);
}

}  // namespace

#if !defined(_WIN32)
// A replaced file keeps its permissions whatever the umask; a new one gets the usual ones.
TEST_F(BufferedFile, AReplacedFileKeepsItsModeAndANewOneGetsTheUsualOne) {
  const mode_t mask = umask(077);
  const auto write = [&](const std::string& path) {
    hostbase::CAtomicFile target;
    std::string reason;
    ASSERT_TRUE(target.Prepare(path, reason)) << reason;
    CBufferedFile(target.WritePath().c_str(), "wb", 3, false).Write("new", 3);
    target.Opened();
    ASSERT_TRUE(target.Commit(reason)) << reason;
  };
  const auto mode = [](const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0u;
  };
  const std::string existing = dir_.File("existing.bin");
  dir_.Write("existing.bin", Pattern(10));
  ASSERT_EQ(chmod(existing.c_str(), 0664), 0);
  write(existing);
  write(dir_.File("new.bin"));
  umask(mask);
  EXPECT_EQ(Slurp(existing), Bytes({'n', 'e', 'w'}));
  EXPECT_EQ(mode(existing), 0664u);
  EXPECT_EQ(mode(dir_.File("new.bin")), 0600u);
}
#endif
