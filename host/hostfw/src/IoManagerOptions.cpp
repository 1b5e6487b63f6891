// The manager's options: session and saved values kept as text, typed readings.
#include <algorithm>
#include <cctype>
#include <charconv>
#include <string_view>
#include <utility>

#include "hostaux/Options.h"
#include "hostfw/IoManager.h"

namespace hostfw {
namespace {

template <class T>
std::string NumberText(T value) {
  char text[64];
  const auto result = std::to_chars(text, text + sizeof text, value);
  return std::string(text, result.ptr);
}

// The text stored under `name`: the session's, else (with `useSaved`) the saved one.
const std::string* FindOption(const std::map<std::string, std::string>& session,
                              const std::map<std::string, std::string>& saved, const char* name,
                              bool useSaved) {
  if (name == nullptr) return nullptr;
  if (auto it = session.find(name); it != session.end()) return &it->second;
  if (!useSaved) return nullptr;
  if (auto it = saved.find(name); it != saved.end()) return &it->second;
  return nullptr;
}

void StoreOption(std::map<std::string, std::string>& session,
                 std::map<std::string, std::string>& saved, const char* name, std::string text,
                 bool persist) {
  if (name == nullptr) return;
  if (persist) saved[name] = text;
  session[name] = std::move(text);
}

std::string_view TrimmedKey(std::string_view key) {
  while (!key.empty() && std::isspace(static_cast<unsigned char>(key.front()))) key.remove_prefix(1);
  while (!key.empty() && std::isspace(static_cast<unsigned char>(key.back()))) key.remove_suffix(1);
  return key;
}

// Keys match without regard to case, as the options string's reader matches them.
std::string LowerKey(std::string_view key) {
  std::string lower(TrimmedKey(key));
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower;
}

}  // namespace

IoManager::IoManager(std::string name) : formatName(std::move(name)) {}

IoManager::~IoManager() = default;

bool IoManager::GetOption(const char* name, int& value, bool useSaved) const {
  const std::string* text = FindOption(session_, saved_, name, useSaved);
  return text != nullptr && hostaux::ParseIntOption(*text, value);
}

bool IoManager::GetOption(const char* name, double& value, bool useSaved) const {
  const std::string* text = FindOption(session_, saved_, name, useSaved);
  return text != nullptr && hostaux::ParseDoubleOption(*text, value);
}

void IoManager::SetOption(const char* name, int value, bool persist) {
  StoreOption(session_, saved_, name, NumberText(value), persist);
}

void IoManager::SetOption(const char* name, double value, bool persist) {
  StoreOption(session_, saved_, name, NumberText(value), persist);
}

bool IoManager::GetStringOption(const char* options, const char* key, bool& value) const {
  if (key != nullptr) keysRead_.emplace(TrimmedKey(key));
  std::string text;
  return hostaux::CommonGetStringOption(options, key, ',', text) &&
         hostaux::ParseBoolOption(text, value);
}

bool IoManager::GetStringOption(const char* options, const char* key, int& value) const {
  if (key != nullptr) keysRead_.emplace(TrimmedKey(key));
  std::string text;
  return hostaux::CommonGetStringOption(options, key, ',', text) &&
         hostaux::ParseIntOption(text, value);
}

bool IoManager::GetStringOption(const char* options, const char* key, double& value) const {
  if (key != nullptr) keysRead_.emplace(TrimmedKey(key));
  std::string text;
  return hostaux::CommonGetStringOption(options, key, ',', text) &&
         hostaux::ParseDoubleOption(text, value);
}

std::vector<std::string> IoManager::OptionKeysNotRead(const char* options) const {
  std::vector<std::string> keys;
  std::string_view rest(options ? options : "");
  while (!rest.empty()) {
    const std::size_t end = rest.find(',');
    const std::string_view item = rest.substr(0, end);
    const std::string_view key = TrimmedKey(item.substr(0, item.find('=')));
    const bool read = std::any_of(keysRead_.begin(), keysRead_.end(), [&](const std::string& k) {
      return LowerKey(k) == LowerKey(key);
    });
    if (!key.empty() && !read) keys.emplace_back(key);
    if (end == std::string_view::npos) break;
    rest.remove_prefix(end + 1);
  }
  return keys;
}

std::string IoManager::OptionsInStringForm(char delimiter) const {
  std::string text;
  for (const auto& [key, value] : session_) {
    if (!text.empty()) text += delimiter;
    text += key;
    text += '=';
    text += value;
  }
  return text;
}

std::string IoManager::SavedOptionsText() const {
  std::string text;
  for (const auto& [key, value] : saved_) {
    text += key;
    text += '=';
    text += value;
    text += '\n';
  }
  return text;
}

void IoManager::LoadSavedOptions(const std::string& text) {
  std::map<std::string, std::string> loaded;
  std::string_view rest(text);
  while (!rest.empty()) {
    const std::size_t end = rest.find('\n');
    std::string_view line = rest.substr(0, end);
    rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
    while (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    const std::size_t equals = line.find('=');
    if (equals == 0 || equals == std::string_view::npos) continue;
    loaded[std::string(line.substr(0, equals))] = std::string(line.substr(equals + 1));
  }
  saved_ = std::move(loaded);
}

}  // namespace hostfw
