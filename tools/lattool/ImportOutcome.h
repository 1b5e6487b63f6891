// How one import ended: the status the filter returned, or the error it raised.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "hostbase/Error.h"
#include "hostfw/Status.h"

namespace lattool {

// Exit codes shared by every command.
enum ExitCode : int {
  kExitSuccess = 0,
  kExitUsage = 1,      // wrong usage, missing module or factory; probe: a file not recognised
  kExitError = 2,      // the import or the export raised an error
  kExitStopped = 3,    // the import stopped early, or the export was cancelled
  kExitNoLattice = 4,  // the export ended without a completed lattice
};

// An error raised during an import, copied out of the exception.
struct ErrorReport {
  int code = 0;
  std::string module;
  std::vector<hostbase::CErrorArg> args;
  std::string message;
};

struct ImportOutcome {
  std::optional<hostfw::ImportStatus> status;  // empty when an error was raised
  std::optional<ErrorReport> error;

  int ExitCode() const noexcept {
    if (error) return kExitError;
    return status == hostfw::ImportStatus_Complete ? kExitSuccess : kExitStopped;
  }
};

}  // namespace lattool
