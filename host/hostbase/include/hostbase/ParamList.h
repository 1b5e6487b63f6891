// Named text parameters carried by transfer objects.
#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "hostbase/Export.h"

namespace hostbase {

class HOSTBASE_API GString {
 public:
  GString(const char* text);  // NOLINT: implicit on purpose, as the host's string type
  ~GString();
  const char* c_str() const noexcept { return text_.c_str(); }
  const std::string& str() const noexcept { return text_; }

 private:
  std::string text_;
};

class HOSTBASE_API CParamList {
 public:
  // Stores `value` under `key`, replacing an earlier value of the same key.
  void Set(const GString& key, const char* value);
  // The value stored under `key`, or null.
  const char* Get(const char* key) const noexcept;
  std::size_t Count() const noexcept { return entries_.size(); }
  const std::pair<std::string, std::string>& At(std::size_t i) const { return entries_.at(i); }

 private:
  std::vector<std::pair<std::string, std::string>> entries_;
};

}  // namespace hostbase
