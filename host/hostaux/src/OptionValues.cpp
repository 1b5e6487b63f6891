// Typed readings of option values: bools, 32-bit ints and finite doubles.
#include <array>
#include <cctype>
#include <charconv>
#include <cmath>

#include "hostaux/Options.h"
#include "hostbase/Text.h"

namespace hostaux {
namespace {

bool EqualsIgnoringCase(const std::string& text, const char* word) noexcept {
  std::size_t i = 0;
  for (; i < text.size() && word[i] != '\0'; ++i) {
    const auto a = static_cast<unsigned char>(text[i]);
    const auto b = static_cast<unsigned char>(word[i]);
    if (std::tolower(a) != std::tolower(b)) return false;
  }
  return i == text.size() && word[i] == '\0';
}

bool AllDigits(const char* first, const char* last) noexcept {
  if (first == last) return false;
  for (; first != last; ++first) {
    if (*first < '0' || *first > '9') return false;
  }
  return true;
}

}  // namespace

bool ParseBoolOption(const std::string& text, bool& value) {
  static constexpr std::array<const char*, 4> kTrue = {"1", "true", "yes", "on"};
  static constexpr std::array<const char*, 4> kFalse = {"0", "false", "no", "off"};
  for (const char* word : kTrue) {
    if (EqualsIgnoringCase(text, word)) return value = true, true;
  }
  for (const char* word : kFalse) {
    if (EqualsIgnoringCase(text, word)) return value = false, true;
  }
  return false;
}

bool ParseIntOption(const std::string& text, int& value) {
  const char* first = text.data();
  const char* last = first + text.size();
  const bool plus = first != last && *first == '+';
  if (plus) ++first;  // from_chars takes '-' only
  const char* digits = !plus && first != last && *first == '-' ? first + 1 : first;
  if (!AllDigits(digits, last)) return false;
  int parsed = 0;
  const auto [ptr, ec] = std::from_chars(first, last, parsed);
  if (ec != std::errc{} || ptr != last) return false;
  value = parsed;
  return true;
}

bool ParseDoubleOption(const std::string& text, double& value) {
  double parsed = 0.0;
  if (!hostbase::ParseNumber(text.data(), text.size(), parsed) || !std::isfinite(parsed)) {
    return false;
  }
  value = parsed;
  return true;
}

}  // namespace hostaux
