// Options shared by every lattool command, and what the commands derive from them.
#pragma once

#include <string>

#include "ImportOutcome.h"

namespace lattool {

struct GlobalOptions {
  std::string pluginPath;  // empty: the module next to the executable
  bool quiet = false;

  std::string ModulePath() const;
  // The progress bar is drawn only on a terminal and without --quiet.
  bool ShowProgress() const;
};

// Prints "lattool: error: <message>" on stderr when the import raised an error.
void ReportImportError(const ImportOutcome& outcome);

}  // namespace lattool
