// File name part of a path.
#include "hostbase/Path.h"

namespace hostbase {

const char* CPath::GetNamePtr(const char* path) noexcept {
  if (path == nullptr) return nullptr;
  const char* name = path;
  for (const char* p = path; *p != '\0'; ++p) {
    if (*p == '/' || *p == '\\') name = p + 1;
  }
  return name;
}

}  // namespace hostbase
