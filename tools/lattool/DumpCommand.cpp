// lattool dump: one JSON document on stdout with everything the import handed over,
// then how the import ended (its status, or the error it raised).
#include <cstdio>
#include <variant>

#include "Commands.h"
#include "JsonWriter.h"
#include "LatticeRecorder.h"
#include "PluginHost.h"

namespace lattool {

namespace {

void WriteErrorArgs(JsonWriter& json, const std::vector<hostbase::CErrorArg>& args) {
  json.Key("args");
  json.BeginArray();
  for (const hostbase::CErrorArg& arg : args) {
    if (const auto* number = std::get_if<std::int64_t>(&arg)) {
      json.Number(*number);
    } else {
      json.String(std::get<std::string>(arg));
    }
  }
  json.EndArray();
}

void WriteOutcome(JsonWriter& json, const ImportOutcome& outcome) {
  if (outcome.status) {
    json.Key("status");
    json.Number(static_cast<int>(*outcome.status));
  }
  if (!outcome.error) return;
  const ErrorReport& error = *outcome.error;
  json.Key("error");
  json.BeginObject();
  json.Key("code");
  json.Number(error.code);
  json.Key("module");
  json.String(error.module);
  WriteErrorArgs(json, error.args);
  json.Key("message");
  json.String(error.message);
  json.EndObject();
}

}  // namespace

int RunDump(const GlobalOptions& options, const std::string& file, bool values) {
  PluginHost host(options.Modules(), file);
  JsonWriter json(stdout);
  json.BeginObject();
  json.Key("file");
  json.String(file);
  json.Key("lattices");
  json.BeginArray();
  LatticeRecorder recorder(json, values);
  const ImportOutcome outcome = host.Import(recorder, options.ShowProgress());
  recorder.Finish();
  json.EndArray();
  WriteOutcome(json, outcome);
  json.EndObject();
  const bool written = json.Finish();
  ReportImportError(outcome);
  if (!written) {
    std::fputs("lattool: error: cannot write the JSON document to stdout\n", stderr);
    return kExitError;
  }
  return ExitCodeOf(outcome);
}

}  // namespace lattool
