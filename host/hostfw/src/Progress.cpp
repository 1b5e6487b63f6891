// Progress reporter of one import or export.
#include "hostfw/Progress.h"

#include <cstdarg>
#include <string>

#include "hostbase/Text.h"
#include "hostfw/IoManager.h"

namespace hostfw {

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
  std::string message;
  va_list args;
  va_start(args, format);
  try {
    hostbase::FormatStringV(message, format, args);
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
