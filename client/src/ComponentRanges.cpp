// Per-component extremes over typed scan values; NaN values and blanks are left out.
#include "latclient/ComponentRanges.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <type_traits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "latclient/NumberFormat.h"
#include "latclient/TypedValues.h"

namespace latclient {

ComponentRanges::ComponentRanges(int type, int components)
    : type_(type), ranges_(static_cast<std::size_t>(std::max(components, 0))) {}

template <class T>
void ComponentRanges::Take(Range& range, T value) noexcept {
  if (skipBlanks_ && static_cast<double>(value) == blankMarker_) return;
  if constexpr (std::is_floating_point_v<T>) {
    if (std::isnan(value)) return;
    const double v = value;
    range.realMin = range.seen ? std::min(range.realMin, v) : v;
    range.realMax = range.seen ? std::max(range.realMax, v) : v;
  } else {
    const auto v = static_cast<std::int64_t>(value);
    range.intMin = range.seen ? std::min(range.intMin, v) : v;
    range.intMax = range.seen ? std::max(range.intMax, v) : v;
  }
  range.seen = true;
}

namespace {

template <class T>
struct Extremes {
  T lo, hi;
};

constexpr std::size_t kChains = 8;

#if defined(__SSE2__)
// The eight chains of RunExtremes over adjacent floats or doubles, with chain k in lane k
// of packed registers: minps/maxps pick exactly as `v < lo ? v : lo` and `v > hi ? v : hi`
// do. Returns how many values were taken (a multiple of eight).
std::size_t PackedChains(const unsigned char* bytes, std::size_t n, float (&lo)[kChains],
                         float (&hi)[kChains]) noexcept {
  __m128 lo0 = _mm_loadu_ps(lo), lo1 = _mm_loadu_ps(lo + 4);
  __m128 hi0 = _mm_loadu_ps(hi), hi1 = _mm_loadu_ps(hi + 4);
  std::size_t i = 0;
  for (; i + kChains <= n; i += kChains) {
    const auto* values = reinterpret_cast<const float*>(bytes + i * sizeof(float));
    const __m128 a = _mm_loadu_ps(values), b = _mm_loadu_ps(values + 4);
    lo0 = _mm_min_ps(a, lo0);
    lo1 = _mm_min_ps(b, lo1);
    hi0 = _mm_max_ps(a, hi0);
    hi1 = _mm_max_ps(b, hi1);
  }
  _mm_storeu_ps(lo, lo0);
  _mm_storeu_ps(lo + 4, lo1);
  _mm_storeu_ps(hi, hi0);
  _mm_storeu_ps(hi + 4, hi1);
  return i;
}

std::size_t PackedChains(const unsigned char* bytes, std::size_t n, double (&lo)[kChains],
                         double (&hi)[kChains]) noexcept {
  __m128d l[4], h[4];
  for (std::size_t k = 0; k < 4; ++k) {
    l[k] = _mm_loadu_pd(lo + 2 * k);
    h[k] = _mm_loadu_pd(hi + 2 * k);
  }
  std::size_t i = 0;
  for (; i + kChains <= n; i += kChains) {
    const auto* values = reinterpret_cast<const double*>(bytes + i * sizeof(double));
    for (std::size_t k = 0; k < 4; ++k) {
      const __m128d v = _mm_loadu_pd(values + 2 * k);
      l[k] = _mm_min_pd(v, l[k]);
      h[k] = _mm_max_pd(v, h[k]);
    }
  }
  for (std::size_t k = 0; k < 4; ++k) {
    _mm_storeu_pd(lo + 2 * k, l[k]);
    _mm_storeu_pd(hi + 2 * k, h[k]);
  }
  return i;
}
#endif

// Extremes of `n` values `stride` values apart, in eight independent chains so that the
// comparisons overlap. A NaN never wins a comparison, so it drops out; for reals a run
// of NaN only leaves lo > hi.
template <class T>
Extremes<T> RunExtremes(const unsigned char* bytes, std::size_t n, std::size_t stride) noexcept {
  constexpr bool kReal = std::is_floating_point_v<T>;
  constexpr T kHighest = kReal ? std::numeric_limits<T>::infinity() : std::numeric_limits<T>::max();
  constexpr T kLowest = kReal ? -kHighest : std::numeric_limits<T>::lowest();
  T lo[kChains], hi[kChains];
  std::fill_n(lo, kChains, kHighest);
  std::fill_n(hi, kChains, kLowest);
  std::size_t i = 0;
#if defined(__SSE2__)
  if constexpr (kReal) {
    if (stride == 1) i = PackedChains(bytes, n, lo, hi);
  }
#endif
  for (; i + kChains <= n; i += kChains) {
    for (std::size_t k = 0; k < kChains; ++k) {
      const T v = ReadValue<T>(bytes, (i + k) * stride);
      lo[k] = v < lo[k] ? v : lo[k];
      hi[k] = v > hi[k] ? v : hi[k];
    }
  }
  for (std::size_t k = 0; i < n; ++i, ++k) {
    const T v = ReadValue<T>(bytes, i * stride);
    lo[k] = v < lo[k] ? v : lo[k];
    hi[k] = v > hi[k] ? v : hi[k];
  }
  Extremes<T> out{lo[0], hi[0]};
  for (std::size_t k = 1; k < kChains; ++k) {
    out.lo = lo[k] < out.lo ? lo[k] : out.lo;
    out.hi = hi[k] > out.hi ? hi[k] : out.hi;
  }
  return out;
}

// The first value of the run that equals `value`: a zero extreme keeps the sign of the
// first zero met, as a comparison in value order would.
template <class T>
T FirstEqual(const unsigned char* bytes, std::size_t n, std::size_t stride, T value) noexcept {
  for (std::size_t i = 0; i < n; ++i) {
    const T v = ReadValue<T>(bytes, i * stride);
    if (v == value) return v;
  }
  return value;
}

}  // namespace

// The values of one component in one scan, taken in at once.
template <class T>
void ComponentRanges::TakeRun(Range& range, const unsigned char* bytes, std::size_t n,
                              std::size_t stride) noexcept {
  if (n == 0) return;
  Extremes<T> run = RunExtremes<T>(bytes, n, stride);
  if constexpr (std::is_floating_point_v<T>) {
    if (!(run.lo <= run.hi)) return;  // NaN only
    if (run.lo == 0) run.lo = FirstEqual<T>(bytes, n, stride, run.lo);
    if (run.hi == 0) run.hi = FirstEqual<T>(bytes, n, stride, run.hi);
    const double lo = run.lo, hi = run.hi;
    range.realMin = range.seen && !(lo < range.realMin) ? range.realMin : lo;
    range.realMax = range.seen && !(hi > range.realMax) ? range.realMax : hi;
  } else {
    const auto lo = static_cast<std::int64_t>(run.lo), hi = static_cast<std::int64_t>(run.hi);
    range.intMin = range.seen ? std::min(range.intMin, lo) : lo;
    range.intMax = range.seen ? std::max(range.intMax, hi) : hi;
  }
  range.seen = true;
}

// Values run node by node, the components of a node adjacent.
template <class T>
void ComponentRanges::AddTyped(const unsigned char* bytes, std::size_t count) noexcept {
  const std::size_t components = ranges_.size();
  if (!skipBlanks_) {
    for (std::size_t c = 0; c < components && c < count; ++c)
      TakeRun<T>(ranges_[c], bytes + c * sizeof(T), (count - c + components - 1) / components,
                 components);
    return;
  }
  std::size_t i = 0;
  while (i < count) {
    for (std::size_t c = 0; c < components && i < count; ++c, ++i) {
      Take(ranges_[c], ReadValue<T>(bytes, i));
    }
  }
}

void ComponentRanges::AddScan(const void* data, std::size_t byteCount) {
  if (data == nullptr || ranges_.empty()) return;
  DispatchPrimType(type_, [&](auto tag) {
    using T = typename decltype(tag)::type;
    AddTyped<T>(static_cast<const unsigned char*>(data), byteCount / sizeof(T));
  });
}

template <class T>
std::string ComponentRanges::DescribeTyped(const Range& range) const {
  char min[kNumberTextMax];
  char max[kNumberTextMax];
  char* minEnd;
  char* maxEnd;
  if constexpr (std::is_floating_point_v<T>) {
    minEnd = FormatNumber(min, static_cast<T>(range.realMin));
    maxEnd = FormatNumber(max, static_cast<T>(range.realMax));
  } else {
    minEnd = FormatNumber(min, range.intMin);
    maxEnd = FormatNumber(max, range.intMax);
  }
  return "min " + std::string(min, minEnd) + ", max " + std::string(max, maxEnd);
}

double ComponentRanges::Min(std::size_t c) const {
  const Range& range = ranges_.at(c);
  if (!range.seen) return 0.0;
  return hostbase::CPrimType::IsInteger(type_) ? static_cast<double>(range.intMin) : range.realMin;
}

double ComponentRanges::Max(std::size_t c) const {
  const Range& range = ranges_.at(c);
  if (!range.seen) return 0.0;
  return hostbase::CPrimType::IsInteger(type_) ? static_cast<double>(range.intMax) : range.realMax;
}

std::string ComponentRanges::Describe(std::size_t c) const {
  const Range& range = ranges_.at(c);
  if (!range.seen) return "no values";
  std::string text = "no values";
  DispatchPrimType(type_,
                   [&](auto tag) { text = DescribeTyped<typename decltype(tag)::type>(range); });
  return text;
}

}  // namespace latclient
