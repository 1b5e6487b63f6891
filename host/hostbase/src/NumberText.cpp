// Decimal number words: recognition and conversion to double (the value atof gives).
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <system_error>

#include "hostbase/Text.h"

namespace hostbase {
namespace {

bool IsDigit(char c) noexcept {
  return c >= '0' && c <= '9';
}

// Where the parts of a decimal number word lie, found by one scan.
struct NumberShape {
  bool negative = false;
  std::size_t mantissaBegin = 0;  // first character after the sign
  std::size_t intDigits = 0;      // digits before the decimal point
  std::size_t fracDigits = 0;     // digits after it
  std::int64_t exponent = 0;      // saturated at +-kExponentCap
};

constexpr std::int64_t kExponentCap = 1'000'000'000;

std::size_t SkipDigits(const char* text, std::size_t length, std::size_t i) noexcept {
  while (i < length && IsDigit(text[i])) ++i;
  return i;
}

// Reads the exponent digits from `i` (after e/E); false when none follow.
bool ScanExponent(const char* text, std::size_t length, std::size_t& i,
                  std::int64_t& exponent) noexcept {
  bool negative = false;
  if (i < length && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  const std::size_t first = i;
  std::int64_t value = 0;
  for (; i < length && IsDigit(text[i]); ++i) {
    if (value < kExponentCap) value = value * 10 + (text[i] - '0');
  }
  exponent = negative ? -value : value;
  return i > first;
}

bool ScanNumber(const char* text, std::size_t length, NumberShape& shape) noexcept {
  std::size_t i = 0;
  if (i < length && (text[i] == '+' || text[i] == '-')) shape.negative = text[i++] == '-';
  shape.mantissaBegin = i;
  std::size_t end = SkipDigits(text, length, i);
  shape.intDigits = end - i;
  i = end;
  if (i < length && text[i] == '.') {
    end = SkipDigits(text, length, ++i);
    shape.fracDigits = end - i;
    i = end;
  }
  if (shape.intDigits + shape.fracDigits == 0) return false;
  if (i < length && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    if (!ScanExponent(text, length, i, shape.exponent)) return false;
  }
  return i == length;
}

// The value of a word whose magnitude lies outside the doubles: infinity when it is
// large, zero when it is small (decided by the decimal order of its first nonzero digit).
double OutOfRangeValue(const char* text, const NumberShape& shape) noexcept {
  std::int64_t order = static_cast<std::int64_t>(shape.intDigits);
  std::size_t i = shape.mantissaBegin;
  const std::size_t end = i + shape.intDigits + shape.fracDigits + (shape.fracDigits ? 1 : 0);
  for (; i < end && (text[i] == '0' || text[i] == '.'); ++i) {
    if (text[i] == '0') --order;
  }
  const double magnitude = order + shape.exponent > 0 ? HUGE_VAL : 0.0;
  return shape.negative ? -magnitude : magnitude;
}

// Powers of ten that are exact doubles.
constexpr double kPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                   1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                   1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
constexpr std::int64_t kMaxExactPower = 22;
constexpr std::uint64_t kMaxExactDigits = std::uint64_t{1} << 53;
constexpr std::ptrdiff_t kMaxQuickDigits = 19;  // their value fits 64 bits
constexpr std::ptrdiff_t kMaxQuickExponentDigits = 4;

// Digits from `p` added to `digits`; returns where they end.
const char* TakeDigits(const char* p, const char* end, std::uint64_t& digits) noexcept {
  std::uint64_t value = digits;
  for (; p != end; ++p) {
    const unsigned digit = static_cast<unsigned char>(*p) - unsigned{'0'};
    if (digit > 9) break;
    value = value * 10 + digit;
  }
  digits = value;
  return p;
}

// The value of a short decimal word in one pass, for the common words of a plain file:
// at most 19 digits, whose value and power of ten are both exact doubles, so that one
// multiplication or division gives the correctly rounded value (the one atof gives).
// False, with `value` untouched, for every other word, well-formed or not.
bool QuickValue(const char* p, const char* end, double& value) noexcept {
  bool negative = false;
  if (p != end && (*p == '+' || *p == '-')) negative = *p++ == '-';
  std::uint64_t digits = 0;
  const char* first = p;
  p = TakeDigits(p, end, digits);
  std::ptrdiff_t count = p - first;
  std::int64_t power = 0;
  if (p != end && *p == '.') {
    const char* fraction = ++p;
    p = TakeDigits(p, end, digits);
    power = -(p - fraction);
    count += p - fraction;
  }
  if (count == 0 || count > kMaxQuickDigits) return false;
  if (p != end) {
    if (*p != 'e' && *p != 'E') return false;
    bool negativeExponent = false;
    if (++p != end && (*p == '+' || *p == '-')) negativeExponent = *p++ == '-';
    std::uint64_t exponent = 0;
    const char* exponentFirst = p;
    p = TakeDigits(p, end, exponent);
    if (p != end || p == exponentFirst || p - exponentFirst > kMaxQuickExponentDigits) return false;
    power += negativeExponent ? -static_cast<std::int64_t>(exponent)
                              : static_cast<std::int64_t>(exponent);
  }
  if (digits > kMaxExactDigits || power < -kMaxExactPower || power > kMaxExactPower) return false;
  const auto exact = static_cast<double>(digits);
  const double magnitude = power < 0 ? exact / kPowersOfTen[-power] : exact * kPowersOfTen[power];
  value = negative ? -magnitude : magnitude;
  return true;
}

}  // namespace

bool IsNumber(const char* text) noexcept {
  if (text == nullptr) return false;
  NumberShape shape;
  return ScanNumber(text, std::strlen(text), shape);
}

bool ParseNumber(const char* text, std::size_t length, double& value) noexcept {
  if (text == nullptr) return false;
  if (QuickValue(text, text + length, value)) return true;
  NumberShape shape;
  if (!ScanNumber(text, length, shape)) return false;
  // from_chars refuses a leading '+'; the sign is otherwise its own business.
  const char* first = text[0] == '+' ? text + 1 : text;
  double result = 0.0;
  const auto [ptr, ec] = std::from_chars(first, text + length, result);
  if (ec == std::errc::result_out_of_range) {
    result = OutOfRangeValue(text, shape);
  } else if (ec != std::errc{} || ptr != text + length) {
    return false;
  }
  value = result;
  return true;
}

}  // namespace hostbase
