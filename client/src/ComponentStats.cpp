// Running per-component statistics over typed scan values.
#include "latclient/ComponentStats.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <type_traits>

#include "latclient/TypedValues.h"

namespace latclient {

ComponentStats::ComponentStats(int type, int components)
    : type_(type),
      ranges_(type, components),
      moments_(static_cast<std::size_t>(std::max(components, 0))) {}

void ComponentStats::SkipBlanks(double marker) noexcept {
  skipBlanks_ = true;
  blankMarker_ = marker;
  ranges_.SkipBlanks(marker);
}

template <class T>
void ComponentStats::AddTyped(const unsigned char* bytes, std::size_t count) {
  const std::size_t components = moments_.size();
  for (std::size_t c = 0; c < components && c < count; ++c) {
    Moments& total = moments_[c];
    // Which values count: not NaN, not a blank.
    const auto taken = [&](double v) {
      if (std::isnan(v)) return false;
      return !(skipBlanks_ && v == blankMarker_);
    };
    std::uint64_t n = 0, nans = 0, blanks = 0;
    double sum = 0.0;
    for (std::size_t i = c; i < count; i += components) {
      const double v = static_cast<double>(ReadValue<T>(bytes, i));
      if (taken(v)) {
        sum += v;
        ++n;
      } else if (std::isnan(v)) {
        ++nans;
      } else {
        ++blanks;
      }
    }
    total.nans += nans;
    total.blanks += blanks;
    if (n == 0) continue;
    const double mean = sum / static_cast<double>(n);
    double m2 = 0.0;
    for (std::size_t i = c; i < count; i += components) {
      const double v = static_cast<double>(ReadValue<T>(bytes, i));
      if (taken(v)) m2 += (v - mean) * (v - mean);
    }
    const double before = static_cast<double>(total.count);
    const double all = before + static_cast<double>(n);
    const double delta = mean - total.mean;
    total.mean += delta * static_cast<double>(n) / all;
    total.m2 += m2 + delta * delta * before * static_cast<double>(n) / all;
    total.count += n;
  }
}

void ComponentStats::AddScan(const void* data, std::size_t byteCount) {
  if (data == nullptr || moments_.empty()) return;
  ranges_.AddScan(data, byteCount);
  DispatchPrimType(type_, [&](auto tag) {
    using T = typename decltype(tag)::type;
    AddTyped<T>(static_cast<const unsigned char*>(data), byteCount / sizeof(T));
  });
}

ComponentStats::Summary ComponentStats::Of(std::size_t c) const {
  const Moments& m = moments_.at(c);
  Summary summary{m.count, m.nans, m.blanks, std::numeric_limits<double>::quiet_NaN(),
                  std::numeric_limits<double>::quiet_NaN()};
  if (m.count == 0) return summary;
  summary.mean = m.mean;
  summary.stddev = std::sqrt(m.m2 / static_cast<double>(m.count));
  return summary;
}

}  // namespace latclient
