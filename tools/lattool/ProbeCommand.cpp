// lattool probe: asks the plug-in whether it recognises each file.
#include <cstdio>

#include "Commands.h"
#include "PluginHost.h"

namespace lattool {

int RunProbe(const GlobalOptions& options, const std::vector<std::string>& files) {
  PluginHost host(options.ModulePath());
  bool allRecognised = true;
  for (const std::string& file : files) {
    const bool recognised = host.CanImport(file.c_str());
    std::printf("%s: %s\n", file.c_str(), recognised ? "LAT" : "not LAT");
    allRecognised = allRecognised && recognised;
  }
  std::fflush(stdout);
  return allRecognised ? kExitSuccess : kExitUsage;
}

}  // namespace lattool
