// Options shared by every lattool command, and what the commands derive from them.
#pragma once

#include <string>

#include "Client.h"

namespace lattool {

struct GlobalOptions {
  std::string pluginPath;  // empty: the known modules in the plug-in folders
  bool quiet = false;

  // Exactly the --plugin module, or the known modules found; SetupError when one cannot load.
  ModuleSet Modules() const;
  // The progress bar is drawn only on a terminal and without --quiet.
  bool ShowProgress() const;
};

// Prints "lattool: error: <message>" on stderr when the import raised an error.
void ReportImportError(const ImportOutcome& outcome);

}  // namespace lattool
