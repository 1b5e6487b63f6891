// Inside hostaux: the row store's unnamed temporary file, read and written at 64-bit
// offsets. The system removes the file when it is closed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>

namespace hostaux::detail {

class SpillFile {
 public:
  // Makes the file; raises (kErrStoreFile, "create") when the system cannot.
  SpillFile();
  SpillFile(const SpillFile&) = delete;
  SpillFile& operator=(const SpillFile&) = delete;

  // Writes all `count` bytes at `offset`; a gap before it reads back as zeros.
  void WriteAt(std::uint64_t offset, const void* data, std::size_t count);
  // Reads up to `count` bytes at `offset`; fewer only where the file ends.
  std::size_t ReadAt(std::uint64_t offset, void* data, std::size_t count);

 private:
  enum class Direction { None, Reading, Writing };
  void MoveTo(std::uint64_t offset, Direction direction);

  struct Closer {
    void operator()(std::FILE* file) const noexcept { std::fclose(file); }
  };
  std::unique_ptr<std::FILE, Closer> file_;
  // Where the stream stands and what it did last: a seek is needed only to move or to
  // turn between reading and writing.
  std::uint64_t position_ = 0;
  Direction last_ = Direction::None;
};

}  // namespace hostaux::detail
