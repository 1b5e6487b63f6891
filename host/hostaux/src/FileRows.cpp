// Spilled rows: writes gather consecutive rows in the window and go out in one write when
// the next row does not follow or the window is full; reads refill the window with the
// rows that follow when reading runs in order, and with the one row asked for otherwise.
#include "FileRows.h"

#include <algorithm>
#include <cstring>

#include "SpillFile.h"

namespace hostaux::detail {

FileRows::FileRows(std::size_t rowCount, std::size_t rowSize, std::uint64_t base,
                   std::size_t windowTarget)
    : rowSize_(rowSize),
      regionBytes_(std::uint64_t{rowCount} * rowSize),
      base_(base),
      capacity_(rowSize == 0 ? 0 : std::max<std::size_t>(windowTarget / rowSize, 1) * rowSize) {}

void FileRows::EnsureBuffer() {
  if (buffer_.Data() == nullptr) buffer_ = hostbase::PageBuffer(capacity_);
}

void FileRows::Flush(SpillFile& file) {
  file.WriteAt(base_ + start_, buffer_.Data(), used_);
  state_ = Window::Empty;
}

void FileRows::Write(SpillFile& file, std::size_t row, const void* bytes) {
  const std::uint64_t at = std::uint64_t{row} * rowSize_;
  if (state_ == Window::Pending) {
    if (at >= start_ && at < start_ + used_) {  // a row written again before the flush
      std::memcpy(buffer_.Data() + (at - start_), bytes, rowSize_);
      return;
    }
    if (at == start_ + used_ && used_ + rowSize_ <= capacity_) {
      std::memcpy(buffer_.Data() + used_, bytes, rowSize_);
      used_ += rowSize_;
      return;
    }
    Flush(file);
  }
  // A new write-behind window; it replaces a read-ahead window, which could go stale.
  EnsureBuffer();
  std::memcpy(buffer_.Data(), bytes, rowSize_);
  start_ = at;
  used_ = rowSize_;
  state_ = Window::Pending;
}

void FileRows::Fill(SpillFile& file, std::uint64_t at) {
  const bool inOrder = state_ == Window::Cached && at == start_ + used_;
  const std::size_t want =
      inOrder ? static_cast<std::size_t>(std::min<std::uint64_t>(capacity_, regionBytes_ - at))
              : rowSize_;
  EnsureBuffer();
  state_ = Window::Empty;
  const std::size_t got = file.ReadAt(base_ + at, buffer_.Data(), want);
  std::memset(buffer_.Data() + got, 0, want - got);  // past the file's end: never written
  start_ = at;
  used_ = want;
  state_ = Window::Cached;
}

void FileRows::Read(SpillFile& file, std::size_t row, void* out) {
  const std::uint64_t at = std::uint64_t{row} * rowSize_;
  if (state_ == Window::Pending) Flush(file);
  if (state_ != Window::Cached || at < start_ || at >= start_ + used_) Fill(file, at);
  std::memcpy(out, buffer_.Data() + (at - start_), rowSize_);
}

}  // namespace hostaux::detail
