// Inside hostaux: rows of one region of the row store kept in the temporary file, with
// one window of whole rows that serves as write-behind buffer while rows are written and
// as read-ahead buffer while they are read back.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "hostbase/PageBuffer.h"

namespace hostaux::detail {

class SpillFile;

class FileRows {
 public:
  // The region holds `rowCount` rows of `rowSize` bytes from `base` on; the window holds
  // about `windowTarget` bytes (at least one row).
  FileRows(std::size_t rowCount, std::size_t rowSize, std::uint64_t base, std::size_t windowTarget);

  void Write(SpillFile& file, std::size_t row, const void* bytes);
  // A row never written reads as zeros.
  void Read(SpillFile& file, std::size_t row, void* out);

 private:
  enum class Window { Empty, Pending, Cached };
  void Flush(SpillFile& file);
  void Fill(SpillFile& file, std::uint64_t at);
  void EnsureBuffer();

  std::size_t rowSize_;
  std::uint64_t regionBytes_;
  std::uint64_t base_;
  std::size_t capacity_;         // whole rows
  hostbase::PageBuffer buffer_;  // taken at the first use; bytes past `used_` undefined
  Window state_ = Window::Empty;
  std::uint64_t start_ = 0;  // region offset of the window's first byte
  std::size_t used_ = 0;     // bytes of the window in use
};

}  // namespace hostaux::detail
