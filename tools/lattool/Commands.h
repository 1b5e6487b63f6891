// The three lattool commands; each returns the process exit code (see ExitCode).
// A SetupError (module or factory missing) leaves them for main to report.
#pragma once

#include <string>
#include <vector>

#include "GlobalOptions.h"

namespace lattool {

// One line "FILE: LAT" or "FILE: not LAT" per file; 0 when every file was recognised.
int RunProbe(const GlobalOptions& options, const std::vector<std::string>& files);
// The summary text, data type and per-component range of each lattice in `file`.
int RunInfo(const GlobalOptions& options, const std::string& file);
// One JSON document with everything the import handed over.
int RunDump(const GlobalOptions& options, const std::string& file);

}  // namespace lattool
