// Module path, progress decision and error line shared by the commands.
#include "GlobalOptions.h"

#include <cstdio>

#include "Client.h"
#include "ProgressDisplay.h"

namespace lattool {

ModuleSet GlobalOptions::Modules() const {
  return pluginPath.empty() ? ModuleSet() : ModuleSet::Single(pluginPath);
}

bool GlobalOptions::ShowProgress() const {
  return !quiet && ProgressDisplay::StderrIsTerminal();
}

void ReportImportError(const ImportOutcome& outcome) {
  if (outcome.error) std::fprintf(stderr, "lattool: error: %s\n", outcome.error->message.c_str());
}

}  // namespace lattool
