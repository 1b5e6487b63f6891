// Size arithmetic of the readers: products of counts that stop growing at the limit of
// the format's 32-bit sizes, so they never overflow.
#pragma once

#include <cstdint>
#include <initializer_list>

#include "formats/LatBinaryFormat.h"

// The product of non-negative factors, or kListLimit when it reaches kListLimit.
constexpr std::int64_t LatCappedProduct(std::initializer_list<std::int64_t> factors) {
  std::int64_t product = 1;
  for (std::int64_t f : factors) {
    product *= f;  // both below 2^31 here, so no overflow
    if (product >= lat::binary::kListLimit) return lat::binary::kListLimit;
  }
  return product;
}
