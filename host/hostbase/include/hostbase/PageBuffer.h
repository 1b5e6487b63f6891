// Large uninitialised byte buffers taken straight from the system's pages. On Linux a
// buffer of kHugeSize or more is aligned to huge pages and advised as such, which makes
// its first touch several times cheaper than with ordinary pages; smaller buffers come
// from the ordinary heap.
#pragma once

#include <cstddef>
#include <memory>

#include "hostbase/Export.h"

namespace hostbase {

class HOSTBASE_API PageBuffer {
 public:
  // Buffers from this size up are taken as whole huge pages.
  static constexpr std::size_t kHugeSize = std::size_t{2} << 20;

  PageBuffer() noexcept = default;
  // `size` bytes with unspecified contents; raises std::bad_alloc when there is no memory.
  explicit PageBuffer(std::size_t size);
  ~PageBuffer();
  PageBuffer(PageBuffer&& other) noexcept;
  PageBuffer& operator=(PageBuffer&& other) noexcept;
  PageBuffer(const PageBuffer&) = delete;
  PageBuffer& operator=(const PageBuffer&) = delete;

  unsigned char* Data() noexcept { return data_; }
  const unsigned char* Data() const noexcept { return data_; }
  std::size_t Size() const noexcept { return size_; }

 private:
  void Release() noexcept;

  std::unique_ptr<unsigned char[]> heap_;  // a small buffer
  unsigned char* data_ = nullptr;          // the heap's bytes, or the mapped ones
  std::size_t size_ = 0;
  std::size_t mapped_ = 0;  // bytes mapped from the system; 0 when taken from the heap
};

}  // namespace hostbase
