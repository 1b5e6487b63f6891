// printf-style formatting into a std::string.
#include <cstdarg>
#include <cstdio>

#include "hostbase/Text.h"

namespace hostbase {
namespace {

// Ends a va_list copy on every way out.
class ArgsCopy {
 public:
  explicit ArgsCopy(va_list args) { va_copy(copy_, args); }
  ~ArgsCopy() { va_end(copy_); }
  ArgsCopy(const ArgsCopy&) = delete;
  ArgsCopy& operator=(const ArgsCopy&) = delete;
  va_list& Get() noexcept { return copy_; }

 private:
  va_list copy_;
};

}  // namespace

// A first pass into a small stack buffer; a second one only for longer texts.
bool FormatStringV(std::string& out, const char* format, va_list args) {
  out.clear();
  if (format == nullptr) return false;
  ArgsCopy again(args);
  char small[256];
  const int needed = std::vsnprintf(small, sizeof small, format, args);
  if (needed < 0) return false;
  const auto size = static_cast<std::size_t>(needed);
  if (size < sizeof small) {
    out.assign(small, size);
    return true;
  }
  out.resize(size);
  if (std::vsnprintf(out.data(), size + 1, format, again.Get()) == needed) return true;
  out.clear();
  return false;
}

bool FormatString(std::string& out, const char* format, ...) {
  va_list args;
  va_start(args, format);
  bool ok = false;
  try {
    ok = FormatStringV(out, format, args);
  } catch (...) {
    va_end(args);
    throw;
  }
  va_end(args);
  return ok;
}

}  // namespace hostbase
