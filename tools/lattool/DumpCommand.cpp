// lattool dump: one JSON document on stdout with everything the import handed over,
// then how the import ended (its status, or the error it raised).
#include <cstdio>
#include <variant>

#include "Commands.h"
#include "JsonWriter.h"
#include "LatticeRecorder.h"
#include "PluginHost.h"

namespace lattool {

int RunDump(const GlobalOptions& options, const std::string& file, bool values,
            const std::optional<latclient::Subset>& subset) {
  PluginHost host(options.Modules(), file);
  JsonWriter json(stdout);
  json.BeginObject();
  json.Key("file");
  json.String(file);
  json.Key("lattices");
  json.BeginArray();
  LatticeRecorder recorder(json, values);
  std::optional<latclient::SubsetSink> cut;
  if (subset) cut.emplace(*subset, recorder);
  const ImportOutcome outcome = host.Import(
      cut ? static_cast<hostfw::IoObjectSink&>(*cut) : recorder, options.ShowProgress());
  if (cut && !cut->Problem().empty()) {
    json.Discard();
    throw UsageError(file + ": " + cut->Problem());
  }
  recorder.Finish();
  return EndImportDocument(json, outcome);
}

}  // namespace lattool
