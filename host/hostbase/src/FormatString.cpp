// printf-style formatting into a std::string.
#include <cstdarg>
#include <cstdio>

#include "hostbase/Text.h"

namespace hostbase {

bool FormatString(std::string& out, const char* format, ...) {
  out.clear();
  if (format == nullptr) return false;
  char small[256];
  va_list args;
  va_start(args, format);
  va_list again;
  va_copy(again, args);
  const int needed = std::vsnprintf(small, sizeof small, format, args);
  va_end(args);
  bool ok = needed >= 0;
  if (ok && static_cast<std::size_t>(needed) < sizeof small) {
    out.assign(small, static_cast<std::size_t>(needed));
  } else if (ok) {
    out.resize(static_cast<std::size_t>(needed));
    ok = std::vsnprintf(out.data(), out.size() + 1, format, again) == needed;
    if (!ok) out.clear();
  }
  va_end(again);
  return ok;
}

}  // namespace hostbase
