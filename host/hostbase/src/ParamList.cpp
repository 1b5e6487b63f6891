// The host's string type and named text parameters.
#include "hostbase/ParamList.h"

#include <cstring>

namespace hostbase {

GString::GString(const char* text) : text_(text ? text : "") {}

GString::~GString() = default;

void CParamList::Set(const GString& key, const char* value) {
  const char* text = value ? value : "";
  for (auto& entry : entries_) {
    if (entry.first == key.str()) {
      entry.second = text;
      return;
    }
  }
  entries_.emplace_back(key.str(), text);
}

const char* CParamList::Get(const char* key) const noexcept {
  if (key == nullptr) return nullptr;
  for (const auto& entry : entries_) {
    if (std::strcmp(entry.first.c_str(), key) == 0) return entry.second.c_str();
  }
  return nullptr;
}

}  // namespace hostbase
