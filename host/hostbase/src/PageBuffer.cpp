// Page buffers: huge-page-aligned anonymous mappings on Linux, the heap elsewhere and for
// small sizes.
#include "hostbase/PageBuffer.h"

#include <cstdint>
#include <memory>
#include <new>
#include <utility>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace hostbase {

namespace {

constexpr std::size_t RoundUp(std::size_t size, std::size_t unit) noexcept {
  return (size + unit - 1) / unit * unit;
}

#if defined(__linux__)
// Maps `bytes` (a multiple of kHugeSize) at a kHugeSize boundary: maps one huge page more
// than needed and returns the unaligned ends to the system.
unsigned char* MapAligned(std::size_t bytes) {
  constexpr std::size_t kAlign = PageBuffer::kHugeSize;
  void* raw =
      mmap(nullptr, bytes + kAlign, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (raw == MAP_FAILED) throw std::bad_alloc();
  const auto start = reinterpret_cast<std::uintptr_t>(raw);
  const std::uintptr_t aligned = RoundUp(start, kAlign);
  if (aligned != start) munmap(raw, aligned - start);
  const std::size_t tail = kAlign - (aligned - start);
  if (tail != 0) munmap(reinterpret_cast<void*>(aligned + bytes), tail);
  auto* data = reinterpret_cast<unsigned char*>(aligned);
  madvise(data, bytes, MADV_HUGEPAGE);  // only advice: without huge pages the buffer still works
  return data;
}
#endif

}  // namespace

PageBuffer::PageBuffer(std::size_t size) : size_(size) {
#if defined(__linux__)
  if (size >= kHugeSize) {
    mapped_ = RoundUp(size, kHugeSize);
    data_ = MapAligned(mapped_);
    return;
  }
#endif
  heap_ = std::make_unique_for_overwrite<unsigned char[]>(size);
  data_ = heap_.get();
}

PageBuffer::~PageBuffer() {
  Release();
}

PageBuffer::PageBuffer(PageBuffer&& other) noexcept
    : heap_(std::move(other.heap_)),
      data_(std::exchange(other.data_, nullptr)),
      size_(std::exchange(other.size_, 0)),
      mapped_(std::exchange(other.mapped_, 0)) {}

PageBuffer& PageBuffer::operator=(PageBuffer&& other) noexcept {
  if (this != &other) {
    Release();
    heap_ = std::move(other.heap_);
    data_ = std::exchange(other.data_, nullptr);
    size_ = std::exchange(other.size_, 0);
    mapped_ = std::exchange(other.mapped_, 0);
  }
  return *this;
}

void PageBuffer::Release() noexcept {
#if defined(__linux__)
  if (mapped_ != 0) munmap(data_, mapped_);
#endif
  heap_.reset();
  data_ = nullptr;
  size_ = mapped_ = 0;
}

}  // namespace hostbase
