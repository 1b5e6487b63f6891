// The lattool commands; each returns the process exit code (see ExitCode). A SetupError
// (module or factory missing, wrong usage found late) leaves them for main to report.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "Client.h"
#include "ExportSession.h"
#include "Messages.h"
#include "ProgressDisplay.h"
#include "latclient/LatticeSubset.h"

namespace lattool {

// Options shared by every command.
struct GlobalOptions {
  std::string pluginPath;  // empty: the known modules in the plug-in folders
  bool quiet = false;

  // Exactly the --plugin module, or the known modules found; SetupError when one cannot load.
  ModuleSet Modules() const {
    return pluginPath.empty() ? ModuleSet() : ModuleSet::Single(pluginPath);
  }
  // The progress bar is drawn only on a terminal and without --quiet.
  bool ShowProgress() const { return !quiet && ProgressDisplay::StderrIsTerminal(); }
};

// Wrong usage found after the command line was read: exit code 1, nothing written.
class UsageError : public SetupError {
 public:
  using SetupError::SetupError;
};

// One line "FILE: LAT", "FILE: VTK" or "FILE: not recognised" per file; 0 when every file was
// recognised.
int RunProbe(const GlobalOptions& options, const std::vector<std::string>& files);
// Each lattice's summary text, form, kind, coordinate ranges and per-component statistics,
// as text or (with `json`) as one JSON document.
int RunInfo(const GlobalOptions& options, const std::string& file, bool json);
// One JSON document with everything the import handed over (the header side only without
// `values`), each lattice cut to `subset` when one is given.
int RunDump(const GlobalOptions& options, const std::string& file, bool values,
            const std::optional<latclient::Subset>& subset);
// Imports `input` and exports its lattice `lattice` (counting from 0), cut to `subset` when
// one is given, as `request.output`.
int RunConvert(const GlobalOptions& options, const std::string& input, int lattice,
               const std::optional<latclient::Subset>& subset, const ExportRequest& request);
// Builds the lattice described by the JSON file `input` and exports it.
int RunCreate(const GlobalOptions& options, const std::string& input, const ExportRequest& request);

}  // namespace lattool
