// An owned byte buffer sized once per list or row; large ones come straight from the
// system's (huge) pages.
#pragma once

#include <cstddef>
#include <cstring>
#include <utility>

#include "hostbase/PageBuffer.h"

class LatByteBuffer {
 public:
  LatByteBuffer() = default;

  // Bytes left as allocated: for lists that one read fills completely.
  static LatByteBuffer Uninitialised(std::size_t size) {
    return LatByteBuffer(hostbase::PageBuffer(size));
  }
  static LatByteBuffer Zeroed(std::size_t size) {
    hostbase::PageBuffer bytes(size);
    if (size != 0) std::memset(bytes.Data(), 0, size);
    return LatByteBuffer(std::move(bytes));
  }

  unsigned char* Data() noexcept { return bytes_.Data(); }
  const unsigned char* Data() const noexcept { return bytes_.Data(); }
  std::size_t Size() const noexcept { return bytes_.Size(); }

 private:
  explicit LatByteBuffer(hostbase::PageBuffer bytes) : bytes_(std::move(bytes)) {}

  hostbase::PageBuffer bytes_;
};
