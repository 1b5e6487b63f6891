// Inside hostfw: byte sizes of transfer buffers, computed without overflow.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <new>

#include "hostbase/PrimType.h"

namespace hostfw::detail {

// count1 x count2 values of `type` in bytes; 0 when a count is below 1 or the type is
// invalid. A size beyond the address space raises std::bad_alloc, as its allocation would.
inline std::size_t ValueBytes(std::int64_t count1, std::int64_t count2, int type) {
  if (count1 < 1 || count2 < 1 || !hostbase::CPrimType::IsValid(type)) return 0;
  const auto size = static_cast<std::uint64_t>(hostbase::CPrimType::TypeSize[type]);
  const auto a = static_cast<std::uint64_t>(count1);
  const auto b = static_cast<std::uint64_t>(count2);
  constexpr std::uint64_t kLimit = std::numeric_limits<std::size_t>::max();
  if (a > kLimit / b || a * b > kLimit / size) throw std::bad_alloc();
  return static_cast<std::size_t>(a * b * size);
}

}  // namespace hostfw::detail
