// lattool's exit codes, and the client library's names the commands use.
#pragma once

#include "latclient/ComponentRanges.h"
#include "latclient/Module.h"
#include "latclient/ModuleSet.h"
#include "latclient/NumberFormat.h"
#include "latclient/ObjectKinds.h"
#include "latclient/Outcome.h"
#include "latclient/TypedValues.h"

namespace lattool {

using latclient::ComponentRanges;
using latclient::DispatchPrimType;
using latclient::ErrorReport;
using latclient::ForEachValue;
using latclient::FormatNumber;
using latclient::ImportOutcome;
using latclient::IsLatticeHeader;
using latclient::KindName;
using latclient::KindOf;
using latclient::kNumberTextMax;
using latclient::Module;
using latclient::ModuleSet;
using latclient::ObjectKind;
using latclient::SetupError;

// Exit codes shared by every command.
enum ExitCode : int {
  kExitSuccess = 0,
  kExitUsage = 1,      // wrong usage, missing module or factory; probe: a file not recognised
  kExitError = 2,      // the import or the export raised an error
  kExitStopped = 3,    // the import stopped early, or the export was cancelled
  kExitNoLattice = 4,  // the export ended without a completed lattice
};

inline int ExitCodeOf(const ImportOutcome& outcome) noexcept {
  if (outcome.error) return kExitError;
  return outcome.status == hostfw::ImportStatus_Complete ? kExitSuccess : kExitStopped;
}

}  // namespace lattool
