// Finding one key's value in an options string of "Key=Value" items.
#include <cctype>
#include <string_view>

#include "hostaux/Options.h"

namespace hostaux {
namespace {

bool IsBlank(char c) noexcept {
  return std::isspace(static_cast<unsigned char>(c)) != 0;
}

std::string_view Trimmed(std::string_view text) noexcept {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

bool SameKey(std::string_view a, std::string_view b) noexcept {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return true;
}

// Matches one item against `key`; on a match stores its value ("true" without '=').
bool MatchItem(std::string_view item, std::string_view key, std::string_view& value) noexcept {
  const std::size_t equals = item.find('=');
  if (!SameKey(Trimmed(item.substr(0, equals)), key)) return false;
  value = equals == std::string_view::npos ? std::string_view("true")
                                           : Trimmed(item.substr(equals + 1));
  return true;
}

}  // namespace

bool CommonGetStringOption(const char* options, const char* key, char delimiter,
                           std::string& value) {
  if (key == nullptr) return false;
  const std::string_view wanted = Trimmed(key);
  if (wanted.empty() || options == nullptr) return false;
  std::string_view rest(options);
  std::string_view found;
  bool any = false;
  while (true) {
    const std::size_t end = rest.find(delimiter);
    std::string_view itemValue;
    if (MatchItem(rest.substr(0, end), wanted, itemValue)) {
      found = itemValue;  // a later occurrence replaces an earlier one
      any = true;
    }
    if (end == std::string_view::npos) break;
    rest.remove_prefix(end + 1);
  }
  if (any) value.assign(found);
  return any;
}

}  // namespace hostaux
