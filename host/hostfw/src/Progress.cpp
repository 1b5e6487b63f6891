// Progress reporter of one import or export.
#include "hostfw/Progress.h"

#include <cstdarg>
#include <cstdio>
#include <string>

#include "hostfw/IoManager.h"

namespace hostfw {
namespace {

// printf-style formatting of a va_list into a string (empty on a format error).
std::string FormatVA(const char* format, va_list args) {
  if (format == nullptr) return {};
  va_list again;
  va_copy(again, args);
  const int needed = std::vsnprintf(nullptr, 0, format, args);
  std::string text;
  if (needed > 0) {
    text.resize(static_cast<std::size_t>(needed));
    std::vsnprintf(text.data(), text.size() + 1, format, again);
  }
  va_end(again);
  return text;
}

}  // namespace

CProgress::CProgress(IoManager& manager, const char* /*title*/, bool /*flag1*/, bool /*flag2*/)
    : manager_(manager) {}

CProgress::~CProgress() {
  try {
    manager_.ProgressStop();
  } catch (...) {
    // A failing progress sink must not take the process down from a destructor.
  }
}

bool CProgress::MessageVA(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string message;
  try {
    message = FormatVA(format, args);
  } catch (...) {
    va_end(args);
    throw;
  }
  va_end(args);
  return manager_.ProgressBegin(message);
}

bool CProgress::Proportion(double fraction) {
  return manager_.ProgressProportion(fraction);
}

}  // namespace hostfw
