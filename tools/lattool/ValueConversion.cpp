// Exact conversion of JSON numbers into each primitive type.
#include "ValueConversion.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <type_traits>

#include "Client.h"
#include "LatticeJson.h"

namespace lattool {

namespace {

// 2^63: the first double above every 64-bit signed integer.
constexpr double kTwoTo63 = 9223372036854775808.0;
// Halfway between the largest float and the next power of two: a double below it rounds
// to a finite float.
constexpr double kFloatOverflow = 0x1.ffffffp127;

template <class T>
bool IntegerValue(const NumberList& list, std::size_t i, T& value) {
  std::int64_t whole;
  if (list.IsInteger(i)) {
    whole = list.Integer(i);
  } else {
    const double real = list.Real(i);
    if (!(std::trunc(real) == real && real >= -kTwoTo63 && real < kTwoTo63)) return false;
    whole = static_cast<std::int64_t>(real);
  }
  if constexpr (!std::is_same_v<T, std::int64_t>) {
    if (whole < static_cast<std::int64_t>(std::numeric_limits<T>::lowest()) ||
        whole > static_cast<std::int64_t>(std::numeric_limits<T>::max())) {
      return false;
    }
  }
  value = static_cast<T>(whole);
  return true;
}

template <class T>
bool RealValue(const NumberList& list, std::size_t i, T& value) {
  const double real = list.Real(i);
  if constexpr (std::is_same_v<T, float>) {
    constexpr float kMax = std::numeric_limits<float>::max();
    if (std::isfinite(real) && std::fabs(real) > kMax) {
      if (std::fabs(real) >= kFloatOverflow) return false;
      value = real > 0 ? kMax : -kMax;  // rounds to the largest float
      return true;
    }
  }
  value = static_cast<T>(real);
  return true;
}

std::string ElementText(const NumberList& list, std::size_t i) {
  char text[kNumberTextMax];
  char* end =
      list.IsInteger(i) ? FormatNumber(text, list.Integer(i)) : FormatNumber(text, list.Real(i));
  return std::string(text, end);
}

// Converts element i to T; the one place that picks the rule by type.
template <class T>
bool Convert(const NumberList& list, std::size_t i, T& value) {
  if constexpr (std::is_floating_point_v<T>) {
    return RealValue(list, i, value);
  } else {
    return IntegerValue(list, i, value);
  }
}

}  // namespace

bool StoreAs(int type, const NumberList& list, std::size_t i, void* out) {
  bool stored = false;
  DispatchPrimType(type, [&](auto tag) {
    typename decltype(tag)::type value{};
    stored = Convert(list, i, value);
    if (stored) std::memcpy(out, &value, sizeof value);
  });
  return stored;
}

void StoreRange(int type, const NumberList& list, std::size_t first, std::size_t count, void* out,
                const char* member) {
  std::size_t refused = count;
  DispatchPrimType(type, [&](auto tag) {
    typename decltype(tag)::type value{};
    auto* bytes = static_cast<unsigned char*>(out);
    for (std::size_t k = 0; k < count && refused == count; ++k) {
      if (Convert(list, first + k, value)) {
        std::memcpy(bytes + k * sizeof value, &value, sizeof value);
      } else {
        refused = k;
      }
    }
  });
  if (refused == count) return;
  const std::size_t i = first + refused;
  throw InputError("\"" + std::string(member) + "\"[" + std::to_string(i) + "]: " +
                   ElementText(list, i) + " does not fit " + hostbase::CPrimType::TypeName[type]);
}

}  // namespace lattool
