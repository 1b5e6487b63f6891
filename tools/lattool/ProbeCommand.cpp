// lattool probe: asks the modules whether they recognise each file.
#include <cstdio>

#include "Commands.h"
#include "PluginHost.h"

namespace lattool {

int RunProbe(const GlobalOptions& options, const std::vector<std::string>& files) {
  const PluginHost host(options.Modules());
  bool allRecognised = true;
  for (const std::string& file : files) {
    const Module* module = host.Recognising(file);
    std::printf("%s: %s\n", file.c_str(), module ? module->Name().c_str() : "not recognised");
    allRecognised = allRecognised && module != nullptr;
  }
  std::fflush(stdout);
  return allRecognised ? kExitSuccess : kExitUsage;
}

}  // namespace lattool
