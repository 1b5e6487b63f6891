// The host libraries' exception type.
#include "hostbase/Error.h"

#include <utility>

namespace hostbase {

CError::CError(std::string module, int line, int code, std::vector<CErrorArg> args,
               const std::string& message)
    : std::runtime_error(message),
      module_(std::move(module)),
      line_(line),
      code_(code),
      args_(std::move(args)) {}

}  // namespace hostbase
