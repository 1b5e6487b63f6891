// An owned byte buffer sized once per list or row.
#pragma once

#include <cstddef>
#include <memory>
#include <utility>

class LatByteBuffer {
 public:
  LatByteBuffer() = default;

  // Bytes left as allocated: for lists that one read fills completely.
  static LatByteBuffer Uninitialised(std::size_t size) {
    return LatByteBuffer(std::make_unique_for_overwrite<unsigned char[]>(size), size);
  }
  static LatByteBuffer Zeroed(std::size_t size) {
    return LatByteBuffer(std::make_unique<unsigned char[]>(size), size);
  }

  unsigned char* Data() noexcept { return bytes_.get(); }
  const unsigned char* Data() const noexcept { return bytes_.get(); }
  std::size_t Size() const noexcept { return size_; }

 private:
  LatByteBuffer(std::unique_ptr<unsigned char[]> bytes, std::size_t size)
      : bytes_(std::move(bytes)), size_(size) {}

  std::unique_ptr<unsigned char[]> bytes_;
  std::size_t size_ = 0;
};
