// The one exception type of the host libraries: every error a host library or a
// filter raises leaves as a CError, carrying who raised it, where, the error code
// and the message arguments as typed values, plus the formatted text.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <variant>
#include <vector>

#include "hostbase/Export.h"

namespace hostbase {

// A message argument: an integer (line numbers, byte offsets) or a text (paths, names).
using CErrorArg = std::variant<std::int64_t, std::string>;

// Codes of the errors the shared library raises on its own, outside the filter
// framework's ErrCode values (which are all below 100).
enum HostErrorCode : int {
  kNoErrorCode = 0,     // an error raised with a message text only
  kErrFileOpen = 101,   // args: path, system reason
  kErrFileRead = 102,   // args: path, system reason
  kErrFileWrite = 103,  // args: path, system reason
  kErrFileSeek = 104,   // args: path, system reason
  kErrFileState = 105,  // args: path (operation on a file that is not open in the needed mode)
  // Raised by hostaux's row store (module "LatticeResequencer").
  kErrStoreCount = 106,     // args: name of the count or size, its value
  kErrStoreTooLarge = 107,  // args: nx, ny, nz (the lattice's bytes do not fit a file offset)
  kErrStoreRow = 108,       // args: y, z (a row outside the lattice)
  kErrStoreUse = 109,       // args: operation (a call the store's state does not allow)
  kErrStoreFile = 110,      // args: action, system reason (the temporary file failed)
};

class HOSTBASE_API CError : public std::runtime_error {
 public:
  CError(std::string module, int line, int code, std::vector<CErrorArg> args,
         const std::string& message);

  const std::string& Module() const noexcept { return module_; }
  int Line() const noexcept { return line_; }
  int Code() const noexcept { return code_; }
  const std::vector<CErrorArg>& Args() const noexcept { return args_; }
  const char* Message() const noexcept { return what(); }

 private:
  std::string module_;
  int line_;
  int code_;
  std::vector<CErrorArg> args_;
};

// Ways of showing a warning to the user.
struct IError {
  enum WarnStyle : int { WarnStyle_Warning = 0 };
};

}  // namespace hostbase
