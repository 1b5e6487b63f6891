// Fuzz target 4: options strings and number words through the host's parsers, each
// compared with a model built on the C library (strtod, strtoll) or on plain splitting.
#include <bit>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "fuzz/FuzzBytes.h"
#include "fuzz/FuzzCheck.h"
#include "fuzz/FuzzDrivers.h"
#include "hostaux/Options.h"
#include "hostbase/PrimType.h"
#include "hostbase/Text.h"
#include "hostfw/IoManager.h"

namespace latfuzz {
namespace {

bool OnlyNumberCharacters(std::string_view text) {
  return text.find_first_not_of("0123456789+-.eE") == std::string_view::npos;
}

bool IsBlank(char c) {
  return c == ' ' || (c >= '\t' && c <= '\r');
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

char Lower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameWord(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (Lower(a[i]) != Lower(b[i])) return false;
  return true;
}

// strtod takes exactly the decimal words when hexadecimal, infinities and NaN (which
// need letters other than e) and leading blanks are kept away from it.
std::optional<double> ModelNumber(const std::string& text) {
  if (text.empty() || !OnlyNumberCharacters(text)) return std::nullopt;
  char* end = nullptr;
  const double value = std::strtod(text.c_str(), &end);
  if (end != text.c_str() + text.size()) return std::nullopt;
  return value;
}

std::optional<int> ModelInt(const std::string& text) {
  const std::size_t digits = !text.empty() && (text[0] == '+' || text[0] == '-') ? 1 : 0;
  if (digits == text.size() || text.find_first_not_of("0123456789", digits) != std::string::npos)
    return std::nullopt;
  errno = 0;
  const long long value = std::strtoll(text.c_str(), nullptr, 10);
  if (errno == ERANGE || value < INT_MIN || value > INT_MAX) return std::nullopt;
  return static_cast<int>(value);
}

std::optional<bool> ModelBool(const std::string& text) {
  for (const char* word : {"1", "true", "yes", "on"})
    if (SameWord(text, word)) return true;
  for (const char* word : {"0", "false", "no", "off"})
    if (SameWord(text, word)) return false;
  return std::nullopt;
}

// The options string cut into its items first, then the last item whose key matches.
std::optional<std::string> ModelOption(std::string_view options, std::string_view key,
                                       char delimiter) {
  key = Trim(key);
  if (key.empty()) return std::nullopt;
  std::vector<std::string_view> items;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= options.size(); ++i) {
    if (i < options.size() && options[i] != delimiter) continue;
    items.push_back(options.substr(start, i - start));
    start = i + 1;
  }
  std::optional<std::string> found;
  for (std::string_view item : items) {
    const std::size_t equals = item.find('=');
    if (!SameWord(Trim(item.substr(0, equals)), key)) continue;
    found = equals == std::string_view::npos ? "true" : std::string(Trim(item.substr(equals + 1)));
  }
  return found;
}

bool SameDouble(double a, double b) {
  return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
}

void CheckNumberWord(const std::string& text) {
  const std::optional<double> model = ModelNumber(text);
  LAT_FUZZ_CHECK_MSG(hostbase::IsNumber(text.c_str()) == model.has_value(), text);
  double value = -1.5;
  const bool parsed = hostbase::ParseNumber(text.c_str(), text.size(), value);
  LAT_FUZZ_CHECK_MSG(parsed == model.has_value(), text);
  if (parsed)
    LAT_FUZZ_CHECK_MSG(SameDouble(value, *model) && SameDouble(value, std::atof(text.c_str())),
                       text);
  double option = -2.5;
  const bool finite = parsed && std::isfinite(*model);
  LAT_FUZZ_CHECK_MSG(hostaux::ParseDoubleOption(text, option) == finite, text);
  LAT_FUZZ_CHECK(SameDouble(option, finite ? *model : -2.5));
}

void CheckIntAndBoolWords(const std::string& text) {
  const std::optional<int> model = ModelInt(text);
  int value = -7;
  LAT_FUZZ_CHECK_MSG(hostaux::ParseIntOption(text, value) == model.has_value(), text);
  LAT_FUZZ_CHECK(value == model.value_or(-7));
  const std::optional<bool> truth = ModelBool(text);
  bool flag = true;
  LAT_FUZZ_CHECK_MSG(hostaux::ParseBoolOption(text, flag) == truth.has_value(), text);
  LAT_FUZZ_CHECK(flag == truth.value_or(true));
}

// A real converted to every primitive type: rounded to nearest (ties away from zero) and
// saturated for the integers, NaN as 0; IEEE rounding for the reals.
template <class T>
void CheckCastTo(int type, double value) {
  T out{};
  hostbase::CPrimType::CastArray(hostbase::CPrimType::Double, &value, type, &out, 1, 1);
  if constexpr (std::is_floating_point_v<T>) {
    const T expected = static_cast<T>(value);
    LAT_FUZZ_CHECK(std::memcmp(&out, &expected, sizeof out) == 0 ||
                   (std::isnan(out) && std::isnan(expected)));
  } else {
    // Whole doubles compare exactly with the powers of two that bound T.
    const double top = std::ldexp(1.0, std::numeric_limits<T>::digits);  // highest + 1
    const double bottom = std::is_signed_v<T> ? -top : 0.0;              // lowest
    T expected = 0;
    if (!std::isnan(value)) {
      const double rounded = std::round(value);
      if (rounded < bottom)
        expected = std::numeric_limits<T>::lowest();
      else if (rounded >= top)
        expected = std::numeric_limits<T>::max();
      else
        expected = static_cast<T>(rounded);
    }
    LAT_FUZZ_CHECK_MSG(out == expected, std::to_string(value));
  }
}

void CheckConversions(double value) {
  CheckCastTo<std::int8_t>(0, value);
  CheckCastTo<std::uint8_t>(1, value);
  CheckCastTo<std::int16_t>(2, value);
  CheckCastTo<std::uint16_t>(3, value);
  CheckCastTo<std::int32_t>(4, value);
  CheckCastTo<std::uint32_t>(5, value);
  CheckCastTo<std::int64_t>(6, value);
  CheckCastTo<float>(7, value);
  CheckCastTo<double>(8, value);
}

void CheckOptionLookup(const std::string& options, const std::string& key, char delimiter) {
  const std::optional<std::string> model = ModelOption(options, key, delimiter);
  std::string value = "untouched";
  const bool found = hostaux::CommonGetStringOption(options.c_str(), key.c_str(), delimiter, value);
  LAT_FUZZ_CHECK_MSG(found == model.has_value(), options + " / " + key);
  LAT_FUZZ_CHECK_MSG(value == model.value_or("untouched"), value);
}

// The manager's typed readings agree with the lookup and the typed parsers.
void CheckManagerReadings(const std::string& options, const std::string& key) {
  const hostfw::IoManager manager;
  const std::optional<std::string> text = ModelOption(options, key, ',');
  bool flag = false;
  int number = 99;
  double real = 0.25;
  const bool gotFlag = manager.GetStringOption(options.c_str(), key.c_str(), flag);
  const bool gotNumber = manager.GetStringOption(options.c_str(), key.c_str(), number);
  const bool gotReal = manager.GetStringOption(options.c_str(), key.c_str(), real);
  const std::optional<bool> modelFlag = text ? ModelBool(*text) : std::nullopt;
  const std::optional<int> modelNumber = text ? ModelInt(*text) : std::nullopt;
  const std::optional<double> modelReal = text ? ModelNumber(*text) : std::nullopt;
  const bool finiteReal = modelReal.has_value() && std::isfinite(*modelReal);
  const double expectedReal = finiteReal ? *modelReal : 0.25;
  LAT_FUZZ_CHECK(gotFlag == modelFlag.has_value() && flag == modelFlag.value_or(false));
  LAT_FUZZ_CHECK(gotNumber == modelNumber.has_value() && number == modelNumber.value_or(99));
  LAT_FUZZ_CHECK(gotReal == finiteReal && SameDouble(real, expectedReal));
}

// Saved options survive being written out and read back.
void CheckSavedOptions(const std::string& text) {
  hostfw::IoManager manager;
  manager.LoadSavedOptions(text);
  const std::string once = manager.SavedOptionsText();
  manager.LoadSavedOptions(once);
  LAT_FUZZ_CHECK_MSG(manager.SavedOptionsText() == once, once);
}

}  // namespace

// Input: a delimiter byte, a key (a length byte and its bytes), then the options string,
// which also serves as the number word; every text ends at its first NUL byte.
void FuzzOptions(const std::uint8_t* data, std::size_t size) {
  FuzzBytes in(data, size);
  const auto delimiter = static_cast<char>(in.Byte());
  const std::string_view keyBytes = in.Text();
  const std::string key(keyBytes.data(), strnlen(keyBytes.data(), keyBytes.size()));
  const std::span<const std::uint8_t> rest = in.Rest();
  const auto* chars = reinterpret_cast<const char*>(rest.data());
  const std::string options(chars, rest.empty() ? 0 : strnlen(chars, rest.size()));

  CheckNumberWord(options);
  CheckNumberWord(key);
  CheckIntAndBoolWords(options);
  CheckIntAndBoolWords(std::string(Trim(options)));
  if (const std::optional<double> value = ModelNumber(options)) CheckConversions(*value);
  if (rest.size() >= 8) {
    double raw = 0.0;
    std::memcpy(&raw, rest.data(), sizeof raw);
    CheckConversions(raw);
  }
  CheckOptionLookup(options, key, delimiter);
  CheckOptionLookup(options, key, ',');
  CheckManagerReadings(options, key);
  CheckSavedOptions(options);
}

}  // namespace latfuzz
