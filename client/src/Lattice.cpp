// Sizes of a lattice held in memory, with overflow checked once here.
#include "latclient/Lattice.h"

#include <cstdint>

#include "hostbase/PrimType.h"

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace latclient {

const char* KindName(Kind kind) noexcept {
  switch (kind) {
    case Kind::Uniform:
      return "uniform";
    case Kind::Rectilinear:
      return "rectilinear";
    case Kind::Curvilinear:
      return "curvilinear";
  }
  return "other";
}

std::size_t Lattice::NodeCount() const noexcept {
  return ValueBytesFor(hostbase::CPrimType::UInt8, nx, ny, nz, 1);
}

std::unique_ptr<std::byte[]> Lattice::AllocateValues(std::size_t bytes) {
  auto values = std::make_unique_for_overwrite<std::byte[]>(bytes);
#if defined(__linux__) && defined(MADV_HUGEPAGE)
  // Only whole 2 MiB pages inside the buffer can be huge; a refusal changes nothing.
  constexpr std::uintptr_t kHugePage = std::uintptr_t{2} << 20;
  const auto start = reinterpret_cast<std::uintptr_t>(values.get());
  const std::uintptr_t begin = (start + kHugePage - 1) & ~(kHugePage - 1);
  const std::uintptr_t end = (start + bytes) & ~(kHugePage - 1);
  if (end > begin) madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
#endif
  return values;
}

std::size_t Lattice::ValueBytesFor(int dataType, int nx, int ny, int nz, int components) noexcept {
  if (!hostbase::CPrimType::IsValid(dataType) || nx < 1 || ny < 1 || nz < 1 || components < 1) {
    return 0;
  }
  std::size_t bytes = static_cast<std::size_t>(hostbase::CPrimType::TypeSize[dataType]);
  for (int factor : {nx, ny, nz, components}) {
    if (__builtin_mul_overflow(bytes, static_cast<std::size_t>(factor), &bytes)) return 0;
  }
  return bytes;
}

}  // namespace latclient
