// Buffered byte file over C stdio (unbuffered by stdio, buffered here): 1 MiB read
// buffer with an inlined Getc, large transfers straight to and from the caller's memory.
#include "hostbase/BufferedFile.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>

#include "BufferedFileError.h"

#if !defined(_WIN32)
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace hostbase {

using detail::FileAction;
using detail::FileError;

namespace {

// The open file's state; the free helpers below work on it.
struct FileState {
  std::FILE* file = nullptr;
  std::string path;
  bool havePath = false;  // a file was opened; the path stays readable after Close
  bool writing = false;
  std::unique_ptr<unsigned char[]> buffer;
  std::size_t capacity = 0;  // bytes of `buffer`
  // Reading: bytes taken from the file. Writing: bytes handed to the file since the last
  // rewind. Bytes still in the buffer are not counted.
  std::int64_t fileOffset = 0;
  std::size_t pending = 0;  // writing: bytes waiting in the buffer
};

// Opens the stream for reading or writing. A file to write is created or emptied as
// fopen's "wb" does, but on POSIX systems an empty file is not truncated again: ext4
// flushes everything written to a file truncated to nothing when it is closed, which
// makes closing a freshly written large file wait for the disk.
std::FILE* OpenStream(const char* path, bool writing) {
#if defined(_WIN32)
  return std::fopen(path, writing ? "wb" : "rb");
#else
  if (!writing) return std::fopen(path, "rb");
  const int fd = ::open(path, O_WRONLY | O_CREAT, 0666);
  if (fd < 0) return nullptr;
  struct stat info {};
  const bool emptied = ::fstat(fd, &info) == 0 &&
                       (!S_ISREG(info.st_mode) || info.st_size == 0 || ::ftruncate(fd, 0) == 0);
  std::FILE* file = emptied ? ::fdopen(fd, "wb") : nullptr;
  if (file == nullptr) {
    const int error = errno;
    ::close(fd);
    errno = error;
  }
  return file;
#endif
}

// Copies what the read window holds (up to `count`) and advances the window.
std::size_t TakeBuffered(const unsigned char*& pos, const unsigned char* end, unsigned char* out,
                         std::size_t count) noexcept {
  const std::size_t n = std::min(count, static_cast<std::size_t>(end - pos));
  if (n != 0) std::memcpy(out, pos, n);
  pos += n;
  return n;
}

// Reads up to `count` bytes from the file itself; fewer only at its end.
std::size_t ReadFromFile(FileState& f, unsigned char* out, std::size_t count) {
  std::size_t done = 0;
  while (done < count) {
    errno = 0;
    const std::size_t n = std::fread(out + done, 1, count - done, f.file);
    done += n;
    if (std::ferror(f.file)) {
      // A signal is not the file's fault: the read goes on, and the flag must not make
      // the read at the end of the file fail later.
      if (errno != EINTR)
        throw FileError(FileAction::Read, f.path, detail::SystemReason(), __LINE__);
      std::clearerr(f.file);
      continue;
    }
    if (n == 0) break;
  }
  f.fileOffset += static_cast<std::int64_t>(done);
  return done;
}

void WriteToFile(FileState& f, const void* data, std::size_t count) {
  errno = 0;
  const std::size_t n = std::fwrite(data, 1, count, f.file);
  f.fileOffset += static_cast<std::int64_t>(n);
  if (n != count) throw FileError(FileAction::Write, f.path, detail::SystemReason(), __LINE__);
}

// Reading needs no more buffer than the file holds: a small file (a 200-byte probe, say)
// gets a small buffer. A length the system does not know (0 for special files) gets a
// middle size; a file that grows after the open is still read to its end.
std::size_t ReadBufferSize(std::int64_t length) noexcept {
  constexpr std::size_t kSmallest = std::size_t{4} << 10;
  constexpr std::size_t kUnknownLength = std::size_t{64} << 10;
  if (length <= 0) return kUnknownLength;
  const auto size = static_cast<std::uint64_t>(length);
  return static_cast<std::size_t>(
      std::clamp<std::uint64_t>(size, kSmallest, CBufferedFile::kBufferSize));
}

}  // namespace

struct CBufferedFile::Impl : FileState {};

CBufferedFile::CBufferedFile() noexcept = default;

CBufferedFile::CBufferedFile(const char* path, const char* mode, int sharing, bool flag) {
  Open(path, mode, sharing, flag);
}

CBufferedFile::~CBufferedFile() {
  try {
    Close();
  } catch (...) {
    // A destructor has no one to tell; Close has released the file already.
  }
}

void CBufferedFile::Open(const char* path, const char* mode, int /*sharing*/, bool /*flag*/) {
  Close();
  if (!impl_) impl_ = std::make_unique<Impl>();
  Impl& f = *impl_;
  f.havePath = false;
  f.path = path ? path : "";
  const bool reading = mode != nullptr && std::strcmp(mode, "rb") == 0;
  f.writing = mode != nullptr && std::strcmp(mode, "wb") == 0;
  const FileAction action = f.writing ? FileAction::OpenWrite : FileAction::OpenRead;
  if (!reading && !f.writing) {
    throw FileError(action, f.path,
                    std::string("unsupported open mode '") + (mode ? mode : "") + "'", __LINE__);
  }
  if (path == nullptr) throw FileError(action, f.path, "no path given", __LINE__);
  errno = 0;
  std::FILE* file = OpenStream(path, f.writing);
  if (file == nullptr) {
    // Windows refuses a folder as "Permission denied": name the cause in both places.
    const std::string reason =
        detail::IsDirectory(path) ? detail::kIsDirectoryReason : detail::SystemReason();
    throw FileError(action, f.path, reason, __LINE__);
  }
  if (detail::IsDirectory(file)) {
    std::fclose(file);
    throw FileError(action, f.path, detail::kIsDirectoryReason, __LINE__);
  }
  std::setvbuf(file, nullptr, _IONBF, 0);
  const std::size_t wanted = f.writing ? kBufferSize : ReadBufferSize(detail::FileSize(file));
  if (f.capacity < wanted) {
    f.buffer.reset();
    f.capacity = 0;
    try {
      f.buffer = std::make_unique_for_overwrite<unsigned char[]>(wanted);
    } catch (...) {
      std::fclose(file);
      throw;
    }
    f.capacity = wanted;
  }
  f.file = file;
  f.havePath = true;
  f.fileOffset = 0;
  f.pending = 0;
  readPos_ = readEnd_ = nullptr;
}

bool CBufferedFile::OpenNoThrow(const char* path, const char* mode, int sharing,
                                bool flag) noexcept {
  try {
    Open(path, mode, sharing, flag);
    return true;
  } catch (...) {
    return false;
  }
}

std::size_t CBufferedFile::Read(void* buffer, std::size_t count) {
  if (!IsOpen() || impl_->writing) Fail(kErrFileState, "not open for reading");
  auto* out = static_cast<unsigned char*>(buffer);
  std::size_t done = TakeBuffered(readPos_, readEnd_, out, count);
  while (done < count) {
    const std::size_t rest = count - done;
    if (rest >= impl_->capacity) return done + ReadFromFile(*impl_, out + done, rest);
    if (FillBuffer() == 0) break;
    done += TakeBuffered(readPos_, readEnd_, out + done, rest);
  }
  return done;
}

int CBufferedFile::GetcSlow() {
  if (!IsOpen() || impl_->writing) Fail(kErrFileState, "not open for reading");
  if (FillBuffer() == 0) return -1;
  return *readPos_++;
}

std::size_t CBufferedFile::FillBuffer() {
  unsigned char* buffer = impl_->buffer.get();
  readPos_ = readEnd_ = buffer;
  const std::size_t n = ReadFromFile(*impl_, buffer, impl_->capacity);
  readEnd_ = buffer + n;
  return n;
}

void CBufferedFile::Write(const void* buffer, std::size_t count) {
  if (!IsOpen() || !impl_->writing) Fail(kErrFileState, "not open for writing");
  Impl& f = *impl_;
  if (count <= kBufferSize - f.pending) {
    if (count != 0) std::memcpy(f.buffer.get() + f.pending, buffer, count);
    f.pending += count;
    return;
  }
  FlushWrites();
  if (count >= kBufferSize) {
    WriteToFile(f, buffer, count);
  } else {
    std::memcpy(f.buffer.get(), buffer, count);
    f.pending = count;
  }
}

// Sends the buffered bytes to the file. They are dropped from the buffer even when the
// write fails, so a failure is reported once.
void CBufferedFile::FlushWrites() {
  Impl& f = *impl_;
  const std::size_t n = f.pending;
  f.pending = 0;
  if (n != 0) WriteToFile(f, f.buffer.get(), n);
}

void CBufferedFile::Seek(std::int64_t offset, int origin) {
  if (!IsOpen()) Fail(kErrFileState, "not open");
  if (offset != 0 || origin != 0) Fail(kErrFileSeek, "only a rewind to the start is supported");
  Impl& f = *impl_;
  if (f.writing) FlushWrites();
  errno = 0;
  if (std::fseek(f.file, 0, SEEK_SET) != 0) {
    throw FileError(FileAction::Seek, f.path, detail::SystemReason(), __LINE__);
  }
  std::clearerr(f.file);
  f.fileOffset = 0;
  readPos_ = readEnd_ = nullptr;
}

std::int64_t CBufferedFile::GetPosition() const noexcept {
  if (!IsOpen()) return 0;
  if (impl_->writing) return impl_->fileOffset + static_cast<std::int64_t>(impl_->pending);
  return impl_->fileOffset - (readEnd_ - readPos_);
}

std::int64_t CBufferedFile::GetLength() const {
  if (!IsOpen()) Fail(kErrFileState, "not open");
  errno = 0;
  const std::int64_t size = detail::FileSize(impl_->file);
  if (size < 0) {
    throw FileError(FileAction::Read, impl_->path, detail::SystemReason(), __LINE__);
  }
  return impl_->writing ? std::max(size, GetPosition()) : size;
}

const char* CBufferedFile::GetFilePath() const noexcept {
  return impl_ && impl_->havePath ? impl_->path.c_str() : nullptr;
}

bool CBufferedFile::IsOpen() const noexcept {
  return impl_ && impl_->file != nullptr;
}

void CBufferedFile::Close() {
  if (!IsOpen()) return;
  Impl& f = *impl_;
  std::exception_ptr failure;
  if (f.writing) {
    try {
      FlushWrites();
    } catch (...) {
      failure = std::current_exception();
    }
  }
  errno = 0;
  const bool closed = std::fclose(f.file) == 0;
  const std::string reason = closed ? std::string() : detail::SystemReason();
  f.file = nullptr;
  readPos_ = readEnd_ = nullptr;
  if (failure) std::rethrow_exception(failure);
  if (!closed && f.writing) throw FileError(FileAction::Write, f.path, reason, __LINE__);
}

void CBufferedFile::Abort(bool /*discard*/) noexcept {
  if (!IsOpen()) return;
  impl_->pending = 0;
  std::fclose(impl_->file);
  impl_->file = nullptr;
  readPos_ = readEnd_ = nullptr;
}

void CBufferedFile::Fail(int code, const char* what) const {
  FileAction action = FileAction::State;
  if (code == kErrFileRead) action = FileAction::Read;
  if (code == kErrFileWrite) action = FileAction::Write;
  if (code == kErrFileSeek) action = FileAction::Seek;
  throw FileError(action, impl_ ? impl_->path : std::string(), what ? what : "", __LINE__);
}

}  // namespace hostbase
