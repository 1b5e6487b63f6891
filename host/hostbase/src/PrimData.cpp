// One typed primitive value: copying, conversion, exact comparison and text.
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

#include "hostbase/PrimType.h"

namespace hostbase {
namespace {

// Calls `visit` with the value stored at `value` as its C++ type; an invalid type code
// reads as a 32-bit zero.
template <class F>
auto VisitValue(int type, const void* value, F&& visit) {
  decltype(visit(std::int32_t{0})) result{};
  const bool known = DispatchPrimType(type, [&]<class T>(std::type_identity<T>) {
    T loaded;
    std::memcpy(&loaded, value, sizeof loaded);
    result = visit(loaded);
  });
  if (!known) result = visit(std::int32_t{0});
  return result;
}

int Sign(bool below, bool above) noexcept {
  return below ? -1 : (above ? 1 : 0);
}

// Exact comparison of an integer with a double. NaN sorts above every number.
int CompareIntReal(std::int64_t a, double b) noexcept {
  if (std::isnan(b)) return -1;
  if (b >= 0x1p63) return -1;
  if (b < -0x1p63) return 1;
  const double whole = std::trunc(b);  // now exactly representable as int64
  const auto bi = static_cast<std::int64_t>(whole);
  if (a != bi) return Sign(a<bi, a> bi);
  return Sign(b > whole, b < whole);
}

int CompareReals(double a, double b) noexcept {
  if (std::isnan(a) || std::isnan(b)) return Sign(!std::isnan(a), !std::isnan(b));
  return Sign(a<b, a> b);
}

template <class A, class B>
int CompareValues(A a, B b) noexcept {
  constexpr bool kRealA = std::is_floating_point_v<A>;
  constexpr bool kRealB = std::is_floating_point_v<B>;
  if constexpr (kRealA && kRealB) {
    return CompareReals(static_cast<double>(a), static_cast<double>(b));
  } else if constexpr (kRealA) {
    return -CompareIntReal(static_cast<std::int64_t>(b), static_cast<double>(a));
  } else if constexpr (kRealB) {
    return CompareIntReal(static_cast<std::int64_t>(a), static_cast<double>(b));
  } else {
    return Sign(std::cmp_less(a, b), std::cmp_greater(a, b));
  }
}

template <class T>
CPrimData MakeValue(int type, T value) noexcept {
  return CPrimData(type, &value);
}

}  // namespace

const double CPrimData::widest_REAL_MIN = -DBL_MAX;
const double CPrimData::widest_REAL_MAX = DBL_MAX;

CPrimData::CPrimData() noexcept : CPrimData(CPrimType::Int32) {}

CPrimData::CPrimData(int type) noexcept : type_(type), bytes_{} {}

CPrimData::CPrimData(int type, const void* value) noexcept : type_(type), bytes_{} {
  CopyData(type, value);
}

void CPrimData::CopyData(int type, const void* value) noexcept {
  type_ = type;
  std::memset(bytes_, 0, sizeof bytes_);
  if (value != nullptr && CPrimType::IsValid(type)) {
    std::memcpy(bytes_, value, static_cast<std::size_t>(CPrimType::TypeSize[type]));
  }
}

void CPrimData::ConvertData(const CPrimData& other) noexcept {
  if (!CPrimType::IsValid(type_)) return;
  if (!CPrimType::IsValid(other.type_)) {
    std::memset(bytes_, 0, sizeof bytes_);
    return;
  }
  unsigned char converted[8] = {};
  CPrimType::CastArray(other.type_, other.bytes_, type_, converted, 1, 1);
  std::memcpy(bytes_, converted, sizeof bytes_);
}

int CPrimData::CompareData(int type, const void* value) const noexcept {
  CPrimData other(type, value);
  return VisitValue(type_, bytes_, [&other](auto a) {
    return VisitValue(other.type_, other.bytes_, [a](auto b) { return CompareValues(a, b); });
  });
}

void CPrimData::GetDataAsString(std::string& out) const {
  char text[64];
  const auto result = VisitValue(
      type_, bytes_, [&text](auto v) { return std::to_chars(text, text + sizeof text, v); });
  out.assign(text, result.ptr);
}

double CPrimData::GetWideReal(int type, const void* value) noexcept {
  if (value == nullptr) return 0.0;
  return VisitValue(type, value, [](auto v) { return static_cast<double>(v); });
}

CPrimData CPrimData::PrimMin(int type) noexcept {
  return VisitValue(type, CPrimData(type).bytes_, [type](auto zero) {
    return MakeValue(type, std::numeric_limits<decltype(zero)>::lowest());
  });
}

CPrimData CPrimData::PrimMax(int type) noexcept {
  return VisitValue(type, CPrimData(type).bytes_, [type](auto zero) {
    return MakeValue(type, std::numeric_limits<decltype(zero)>::max());
  });
}

}  // namespace hostbase
