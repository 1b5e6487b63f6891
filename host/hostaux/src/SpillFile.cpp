// The row store's temporary file: unbuffered stdio (the store buffers whole row runs
// itself), positioned with 64-bit seeks only when the position or the direction changes.
#include "SpillFile.h"

#include <cerrno>

#include "ResequencerErrors.h"

namespace hostaux::detail {
namespace {

int Seek64(std::FILE* file, std::uint64_t offset) noexcept {
#if defined(_WIN32)
  return _fseeki64(file, static_cast<__int64>(offset), SEEK_SET);
#else
  return fseeko(file, static_cast<off_t>(offset), SEEK_SET);
#endif
}

}  // namespace

SpillFile::SpillFile() {
  errno = 0;
  file_.reset(std::tmpfile());
  if (!file_) ThrowTempFile("create", __LINE__);
  std::setvbuf(file_.get(), nullptr, _IONBF, 0);
}

void SpillFile::MoveTo(std::uint64_t offset, Direction direction) {
  if (offset == position_ && direction == last_) return;
  errno = 0;
  if (Seek64(file_.get(), offset) != 0) {
    last_ = Direction::None;
    ThrowTempFile("seek in", __LINE__);
  }
  position_ = offset;
  last_ = direction;
}

void SpillFile::WriteAt(std::uint64_t offset, const void* data, std::size_t count) {
  MoveTo(offset, Direction::Writing);
  errno = 0;
  const std::size_t written = std::fwrite(data, 1, count, file_.get());
  position_ += written;
  if (written != count) {
    last_ = Direction::None;  // the stream's position is uncertain now
    std::clearerr(file_.get());
    ThrowTempFile("write", __LINE__);
  }
}

std::size_t SpillFile::ReadAt(std::uint64_t offset, void* data, std::size_t count) {
  MoveTo(offset, Direction::Reading);
  auto* out = static_cast<unsigned char*>(data);
  std::size_t done = 0;
  while (done < count) {
    errno = 0;
    const std::size_t n = std::fread(out + done, 1, count - done, file_.get());
    done += n;
    if (n != 0) continue;
    if (std::ferror(file_.get())) {
      last_ = Direction::None;
      std::clearerr(file_.get());
      ThrowTempFile("read", __LINE__);
    }
    break;
  }
  position_ += done;
  return done;
}

}  // namespace hostaux::detail
