// Per-component extremes over typed scan values; NaN values and blanks are left out.
#include "ComponentRanges.h"

#include <algorithm>
#include <cmath>
#include <type_traits>

#include "NumberFormat.h"
#include "TypedValues.h"

namespace lattool {

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

// Values run node by node, the components of a node adjacent.
template <class T>
void ComponentRanges::AddTyped(const unsigned char* bytes, std::size_t count) noexcept {
  const std::size_t components = ranges_.size();
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

}  // namespace lattool
