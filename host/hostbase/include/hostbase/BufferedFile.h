// A buffered byte file with 64-bit positions. Reading goes through a buffer of up to
// kBufferSize bytes (no larger than the file needs) with an inlined fast path for Getc;
// large reads and writes bypass the buffer and go straight between the caller's memory
// and the file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "hostbase/Export.h"

namespace hostbase {

class HOSTBASE_API CBufferedFile {
 public:
  static constexpr std::size_t kBufferSize = std::size_t{1} << 20;

  CBufferedFile() noexcept;
  // Opens `path` with mode "rb" or "wb"; raises CError (kErrFileOpen) when it cannot, for
  // any other mode, and for a directory.
  // `sharing` and `flag` are accepted for the host's calling convention (callers pass 3, false).
  CBufferedFile(const char* path, const char* mode, int sharing, bool flag);
  ~CBufferedFile();  // closes; a write file is flushed, errors then are dropped
  CBufferedFile(const CBufferedFile&) = delete;
  CBufferedFile& operator=(const CBufferedFile&) = delete;

  void Open(const char* path, const char* mode, int sharing, bool flag);
  bool OpenNoThrow(const char* path, const char* mode, int sharing, bool flag) noexcept;

  // Reads up to `count` bytes; returns fewer only at the end of the file.
  std::size_t Read(void* buffer, std::size_t count);
  void Write(const void* buffer, std::size_t count);
  // Next byte 0..255, or -1 at the end of the file.
  int Getc() {
    if (readPos_ < readEnd_) return *readPos_++;
    return GetcSlow();
  }

  // The bytes read into the buffer and not yet taken, [ReadWindowBegin, ReadWindowEnd)
  // (empty before the first read and at the end of the buffer): a reader may scan them in
  // place and take them with Skip, leaving Getc or Read for the rest.
  const unsigned char* ReadWindowBegin() const noexcept { return readPos_; }
  const unsigned char* ReadWindowEnd() const noexcept { return readEnd_; }
  // Takes `count` bytes of the window; `count` must not exceed its size.
  void Skip(std::size_t count) noexcept { readPos_ += count; }

  // Only a rewind is supported: Seek(0, 0). Anything else raises CError (kErrFileSeek).
  void Seek(std::int64_t offset, int origin);
  std::int64_t GetPosition() const noexcept;
  std::int64_t GetLength() const;

  // The path given to the last successful Open, or null when no file was opened. The path
  // stays readable after Close and Abort, so error reports can still name the file.
  const char* GetFilePath() const noexcept;
  bool IsOpen() const noexcept;
  // Flushes and closes; raises CError (kErrFileWrite) when the flush or close fails.
  void Close();
  // Closes without flushing what is still buffered: for a file that will not be completed.
  // Never raises; `discard` is accepted for the host's calling convention.
  void Abort(bool discard) noexcept;

 private:
  int GetcSlow();
  std::size_t FillBuffer();
  void FlushWrites();
  [[noreturn]] void Fail(int code, const char* what) const;

  struct Impl;
  std::unique_ptr<Impl> impl_;
  // Read window into the buffer; kept here so Getc can be inlined.
  const unsigned char* readPos_ = nullptr;
  const unsigned char* readEnd_ = nullptr;
};

}  // namespace hostbase
