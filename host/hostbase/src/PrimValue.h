// Inside hostbase: the conversion of one value between two primitive types (rounded,
// saturated, NaN to zero).
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>
#include <type_traits>
#include <utility>

namespace hostbase::detail {

// A real rounded to the nearest integer of D (ties away from zero), clamped to D's
// range; NaN gives 0. Every integer type's lowest value and highest value plus one are
// powers of two, so both bounds are exact doubles and no out-of-range cast happens.
// The rounding is done here rather than by the C library's round, which some runtimes
// compute as floor(x + 0.5) and so round 0.49999999999999994 up: the value is truncated
// (one instruction), and the exact remainder x - trunc(x) decides the step away from zero.
template <class D>
D RealToInteger(double value) noexcept {
  // The truncation below goes through int64, which holds every value of these types.
  static_assert(std::is_signed_v<D> || sizeof(D) < sizeof(std::int64_t));
  if (std::isnan(value)) return D{0};
  constexpr double kLow = static_cast<double>(std::numeric_limits<D>::lowest());
  constexpr double kHighPlusOne = static_cast<double>(std::numeric_limits<D>::max() / 2 + 1) * 2.0;
  if (value <= kLow) return std::numeric_limits<D>::lowest();
  if (value >= kHighPlusOne) return std::numeric_limits<D>::max();
  // Here kLow < value < kHighPlusOne, so value lies strictly inside the 64-bit range.
  std::int64_t whole = static_cast<std::int64_t>(value);
  const double rest = value - static_cast<double>(whole);  // exact: |rest| < 1
  if (rest >= 0.5) ++whole;
  if (rest <= -0.5) --whole;
  if (whole < static_cast<std::int64_t>(std::numeric_limits<D>::lowest())) {
    return std::numeric_limits<D>::lowest();
  }
  if (whole > static_cast<std::int64_t>(std::numeric_limits<D>::max())) {
    return std::numeric_limits<D>::max();
  }
  return static_cast<D>(whole);
}

template <class S, class D>
D ConvertValue(S value) noexcept {
  if constexpr (std::is_same_v<S, D>) {
    return value;
  } else if constexpr (std::is_floating_point_v<D>) {
    return static_cast<D>(value);  // IEEE: rounds to nearest, overflows to infinity
  } else if constexpr (std::is_floating_point_v<S>) {
    return RealToInteger<D>(static_cast<double>(value));
  } else {
    if (std::cmp_less(value, std::numeric_limits<D>::lowest())) {
      return std::numeric_limits<D>::lowest();
    }
    if (std::cmp_greater(value, std::numeric_limits<D>::max()))
      return std::numeric_limits<D>::max();
    return static_cast<D>(value);
  }
}

}  // namespace hostbase::detail
