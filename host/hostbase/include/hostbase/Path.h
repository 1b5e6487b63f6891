// File path helpers.
#pragma once

#include "hostbase/Export.h"

namespace hostbase {

class HOSTBASE_API CPath {
 public:
  // Pointer to the file name inside `path` (after the last '/' or '\\'); null for null.
  static const char* GetNamePtr(const char* path) noexcept;
};

}  // namespace hostbase
