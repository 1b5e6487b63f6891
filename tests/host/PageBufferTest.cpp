// Page buffers: every byte of small and huge-page buffers is usable, moves hand the bytes
// over, and release leaves nothing behind.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <utility>

#include "hostbase/PageBuffer.h"

#if defined(__linux__)
#include <unistd.h>
#endif

namespace {

using hostbase::PageBuffer;

// Fills the buffer with a pattern and checks it back from both ends.
void ExpectWholeBufferUsable(PageBuffer& buffer) {
  const std::size_t size = buffer.Size();
  for (std::size_t i = 0; i < size; i += 4093) buffer.Data()[i] = static_cast<unsigned char>(i);
  if (size != 0) buffer.Data()[size - 1] = 0xA5;
  for (std::size_t i = 0; i + 1 < size; i += 4093) {
    ASSERT_EQ(buffer.Data()[i], static_cast<unsigned char>(i)) << "byte " << i;
  }
  if (size != 0) {
    EXPECT_EQ(buffer.Data()[size - 1], 0xA5);
  }
}

TEST(PageBuffer, SizesAroundTheHugePageSizeAreWhollyUsable) {
  const std::size_t huge = PageBuffer::kHugeSize;
  for (std::size_t size : {std::size_t{0}, std::size_t{1}, std::size_t{4096}, huge - 1, huge,
                           huge + 1, 3 * huge + 12345}) {
    PageBuffer buffer(size);
    EXPECT_EQ(buffer.Size(), size);
    EXPECT_NE(buffer.Data(), nullptr) << size;
    ExpectWholeBufferUsable(buffer);
  }
}

TEST(PageBuffer, LargeBuffersStartAtAHugePageBoundary) {
  PageBuffer buffer(PageBuffer::kHugeSize + 1);
#if defined(__linux__)
  EXPECT_EQ(reinterpret_cast<std::uintptr_t>(buffer.Data()) % PageBuffer::kHugeSize, 0u);
#endif
  ExpectWholeBufferUsable(buffer);
}

TEST(PageBuffer, MovesHandTheBytesOver) {
  for (std::size_t size : {std::size_t{100}, PageBuffer::kHugeSize * 2}) {
    PageBuffer first(size);
    std::memset(first.Data(), 7, size);
    unsigned char* const bytes = first.Data();
    PageBuffer second(std::move(first));
    EXPECT_EQ(first.Data(), nullptr);
    EXPECT_EQ(first.Size(), 0u);
    EXPECT_EQ(second.Data(), bytes);
    EXPECT_EQ(second.Size(), size);
    PageBuffer third(16);
    third = std::move(second);
    EXPECT_EQ(third.Data(), bytes);
    EXPECT_EQ(third.Size(), size);
    EXPECT_EQ(second.Data(), nullptr);
    EXPECT_EQ(third.Data()[size - 1], 7);
  }
}

TEST(PageBuffer, AnEmptyBufferHoldsNothing) {
  PageBuffer empty;
  EXPECT_EQ(empty.Data(), nullptr);
  EXPECT_EQ(empty.Size(), 0u);
  PageBuffer moved(std::move(empty));
  EXPECT_EQ(moved.Data(), nullptr);
}

#if defined(__linux__)
// Address space of this process in bytes.
std::uint64_t MappedBytes() {
  std::ifstream statm("/proc/self/statm");
  std::uint64_t pages = 0;
  statm >> pages;
  return pages * static_cast<std::uint64_t>(sysconf(_SC_PAGESIZE));
}

// A lost mapping, or lost alignment slack, would grow the address space by 64 MiB or
// 2 MiB a round.
TEST(PageBuffer, ReleasedBuffersGiveTheirAddressSpaceBack) {
  const std::uint64_t before = MappedBytes();
  for (int i = 0; i < 64; ++i) {
    PageBuffer buffer((std::size_t{64} << 20) + 1);
    buffer.Data()[i] = 1;
  }
  EXPECT_LT(MappedBytes(), before + PageBuffer::kHugeSize * 16);
}
#endif

}  // namespace
