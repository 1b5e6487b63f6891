// lattool convert: imports IN twice — first to find lattice K and compute its component
// ranges, which the exporter needs with the header, then to stream K's objects into the
// export filter as they arrive — so that memory never holds the lattice.
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "Commands.h"
#include "InterruptGuard.h"
#include "LatticeForwarder.h"
#include "LatticeSurvey.h"
#include "PluginHost.h"
#include "ProgressDisplay.h"
#include "TerminalDialogUser.h"

namespace lattool {

namespace {

// Writing OUT would destroy IN before it is read.
void RefuseSameFile(const std::string& input, const std::string& output) {
  namespace fs = std::filesystem;
  std::error_code error;
  bool same = fs::equivalent(input, output, error) && !error;
  // A file that does not exist yet has no identity: compare the spelling then.
  const fs::path a = fs::absolute(input, error).lexically_normal();
  const fs::path b = error ? fs::path() : fs::absolute(output, error).lexically_normal();
  same = same || (!error && a == b);
  if (same) throw UsageError("IN and OUT name the same file ('" + output + "')");
}

// Why the first pass did not bring lattice K to its end; returns the exit code.
int ReportMissingLattice(const ImportOutcome& outcome, const LatticeSurvey& survey,
                         const std::string& input, int lattice) {
  if (outcome.error) {
    ReportImportError(outcome);
    return kExitError;
  }
  if (outcome.status != hostfw::ImportStatus_Complete) return kExitStopped;
  const int seen = survey.LatticesSeen();
  if (seen > lattice) {
    std::fprintf(stderr, "lattool: error: lattice %d of %s has no end\n", lattice, input.c_str());
  } else {
    std::fprintf(stderr, "lattool: error: %s holds %d lattice%s, so there is no lattice %d\n",
                 input.c_str(), seen, seen == 1 ? "" : "s", lattice);
  }
  return kExitError;
}

// The second pass, once the export has begun.
int StreamLattice(PluginHost& host, const GlobalOptions& options, const std::string& input,
                  int lattice, const LatticeSurvey& survey, ExportSession& session) {
  LatticeForwarder forwarder(lattice, session, survey.ComponentMin(), survey.ComponentMax());
  const ImportOutcome outcome = host.Import(input.c_str(), forwarder, options.ShowProgress());
  if (outcome.error) {
    ReportImportError(outcome);
    session.End();  // removes the partial file
    return kExitError;
  }
  // The import stopped before K's end without the export refusing anything: Ctrl-C.
  const bool stopped = outcome.status != hostfw::ImportStatus_Complete;
  if (stopped && !forwarder.Done() && !forwarder.Refused()) session.Cancel();
  return session.End();
}

}  // namespace

int RunConvert(const GlobalOptions& options, const std::string& input, int lattice,
               const ExportRequest& request) {
  RefuseSameFile(input, request.output);
  const TerminalDialogs dialogs(request.interactive || request.page);
  PluginHost host(options.ModulePath());
  LatticeSurvey survey(lattice);
  const ImportOutcome first = host.Import(input.c_str(), survey, options.ShowProgress());
  if (!survey.Complete()) return ReportMissingLattice(first, survey, input, lattice);

  const InterruptGuard interrupt;
  // The import's bar shows the second pass; the export's reports only answer Ctrl-C.
  ProgressDisplay exportProgress(request.output, 0, nullptr, InterruptGuard::Flag());
  ExportSession session(host.Module(), request, SavedOptionsFile::ForEnvironment(), exportProgress,
                        dialogs.User());
  if (!session.Begin(survey.Traits())) return session.End();
  return StreamLattice(host, options, input, lattice, survey, session);
}

}  // namespace lattool
