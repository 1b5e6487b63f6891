// A progress report spanning one import or export: begun by MessageVA, fed with
// fractions, ended (ProgressStop) when the reporter is destroyed.
#pragma once

#include "hostfw/Export.h"

namespace hostfw {

class IoManager;

class HOSTFW_API CProgress {
 public:
  // `title` may be null; the two flags are accepted for the host's calling convention.
  CProgress(IoManager& manager, const char* title, bool flag1, bool flag2);
  ~CProgress();  // calls the manager's ProgressStop
  CProgress(const CProgress&) = delete;
  CProgress& operator=(const CProgress&) = delete;

  // Begins the report with a printf-style message; false when the user cancels.
  bool MessageVA(const char* format, ...)
#if defined(__GNUC__)
      __attribute__((format(printf, 2, 3)))
#endif
      ;
  // Forwards to the manager's ProgressProportion; false when the user cancels.
  bool Proportion(double fraction);
  IoManager& GetManager() const noexcept { return manager_; }

 private:
  IoManager& manager_;
};

}  // namespace hostfw
