// The options target: options strings and number words through the host's parsers, each
// against a model on the C library or plain splitting. Input: a delimiter byte, a key, then
// the options string, which is also the number word; every text ends at its first NUL byte.
#include <algorithm>
#include <bit>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstring>
#include <optional>

#include "fuzz/Fuzz.h"
#include "hostaux/Options.h"
#include "hostbase/Text.h"
#include "hostfw/IoManager.h"

namespace latfuzz {
namespace {

std::string_view Trim(std::string_view text) {
  const auto blank = [](char c) { return c == ' ' || (c >= '\t' && c <= '\r'); };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return text;
}

bool SameWord(std::string_view a, std::string_view b) {
  const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
  return std::ranges::equal(a, b, {}, lower, lower);
}

bool Same(double a, double b) {
  return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
}

// strtod takes exactly the decimal words when hexadecimal, infinities and NaN (which need
// letters other than e) and leading blanks are kept away from it.
std::optional<double> ModelNumber(const std::string& text) {
  if (text.empty() || text.find_first_not_of("0123456789+-.eE") != std::string::npos) return {};
  char* end = nullptr;
  const double value = std::strtod(text.c_str(), &end);
  return end == text.c_str() + text.size() ? std::optional(value) : std::nullopt;
}

std::optional<int> ModelInt(const std::string& text) {
  const std::size_t sign = !text.empty() && (text[0] == '+' || text[0] == '-') ? 1 : 0;
  if (sign == text.size() || text.find_first_not_of("0123456789", sign) != std::string::npos)
    return {};
  errno = 0;
  const long long value = std::strtoll(text.c_str(), nullptr, 10);
  if (errno == ERANGE || value < INT_MIN || value > INT_MAX) return {};
  return static_cast<int>(value);
}

std::optional<bool> ModelBool(const std::string& text) {
  static constexpr std::string_view kWords[] = {"1", "true",  "yes", "on",
                                                "0", "false", "no",  "off"};
  for (int i = 0; i < 8; ++i)
    if (SameWord(text, kWords[i])) return i < 4;
  return {};
}

// The options string cut into its items first, then the last item whose key matches.
std::optional<std::string> ModelOption(std::string_view options, std::string_view key,
                                       char delimiter) {
  key = Trim(key);
  if (key.empty()) return {};
  std::optional<std::string> found;
  for (std::size_t start = 0; start <= options.size();) {
    const std::size_t stop = std::min(options.find(delimiter, start), options.size());
    const std::string_view item = options.substr(start, stop - start);
    const std::size_t equals = item.find('=');
    if (SameWord(Trim(item.substr(0, equals)), key))
      found =
          equals == std::string_view::npos ? "true" : std::string(Trim(item.substr(equals + 1)));
    start = stop + 1;
  }
  return found;
}

void CheckWord(const std::string& text) {
  const std::optional<double> number = ModelNumber(text);
  double value = -1.5;
  LAT_FUZZ_CHECK_MSG(hostbase::ParseNumber(text.c_str(), text.size(), value) == number.has_value(),
                     text);
  if (number)
    LAT_FUZZ_CHECK_MSG(Same(value, *number) && Same(value, std::atof(text.c_str())), text);
  const bool finite = number && std::isfinite(*number);
  double real = -2.5;
  LAT_FUZZ_CHECK_MSG(
      hostaux::ParseDoubleOption(text, real) == finite && Same(real, finite ? *number : -2.5),
      text);
  const std::optional<int> whole = ModelInt(text);
  int integer = -7;
  LAT_FUZZ_CHECK_MSG(
      hostaux::ParseIntOption(text, integer) == whole.has_value() && integer == whole.value_or(-7),
      text);
  const std::optional<bool> truth = ModelBool(text);
  bool flag = true;
  LAT_FUZZ_CHECK_MSG(
      hostaux::ParseBoolOption(text, flag) == truth.has_value() && flag == truth.value_or(true),
      text);
}

// The lookup agrees with the model; its value goes through the word parsers.
void CheckLookup(const std::string& options, const std::string& key, char delimiter) {
  const std::optional<std::string> text = ModelOption(options, key, delimiter);
  std::string value = "untouched";
  LAT_FUZZ_CHECK_MSG(hostaux::CommonGetStringOption(options.c_str(), key.c_str(), delimiter,
                                                    value) == text.has_value() &&
                         value == text.value_or("untouched"),
                     options + " / " + key);
  if (text) CheckWord(*text);
}

}  // namespace

void FuzzOptions(const std::uint8_t* data, std::size_t size) {
  FuzzBytes in(data, size);
  const auto delimiter = static_cast<char>(in.Byte());
  const std::string key = in.Text();
  const std::string_view rest = in.Take(size);
  const std::string options(rest.substr(0, rest.find('\0')));
  CheckWord(options);
  CheckLookup(options, key, delimiter);
  CheckLookup(options, key, ',');
  // Saved options survive being written out and read back.
  hostfw::IoManager manager;
  manager.LoadSavedOptions(options);
  const std::string once = manager.SavedOptionsText();
  manager.LoadSavedOptions(once);
  LAT_FUZZ_CHECK_MSG(manager.SavedOptionsText() == once, once);
}

}  // namespace latfuzz
