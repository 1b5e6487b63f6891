// lattool convert: streams lattice K of IN into the export filter as the import delivers
// it, so that memory never holds the lattice. The exporter uses the component ranges only
// for the options page and for replacing blanks; when either may be needed (--page,
// --interactive, or a lattice that may hold blanks) IN is imported twice, first to
// compute K's ranges, which go with the header.
#include <cstdio>

#include "Commands.h"
#include "FileArguments.h"
#include "InterruptGuard.h"
#include "LatticeForwarder.h"
#include "LatticeSurvey.h"
#include "PluginHost.h"
#include "ProgressDisplay.h"
#include "TerminalDialogUser.h"

namespace lattool {

namespace {

// Why the import did not bring lattice K to its end (`seen` lattice headers came);
// returns the exit code.
int ReportMissingLattice(const ImportOutcome& outcome, int seen, const std::string& input,
                         int lattice) {
  if (outcome.error) {
    ReportImportError(outcome);
    return kExitError;
  }
  if (outcome.status != hostfw::ImportStatus_Complete) return kExitStopped;
  if (seen > lattice) {
    PrintError("lattice " + std::to_string(lattice) + " of " + input + " has no end");
  } else {
    PrintError(input + " holds " + std::to_string(seen) + (seen == 1 ? " lattice" : " lattices") +
               ", so there is no lattice " + std::to_string(lattice));
  }
  return kExitError;
}

// One conversion: IN, OUT and lattice K, with the module loaded.
class Conversion {
 public:
  Conversion(const GlobalOptions& options, const std::string& input, int lattice,
             const std::optional<latclient::Subset>& subset, const ExportRequest& request,
             const TerminalDialogs& dialogs)
      : options_(options),
        input_(input),
        lattice_(lattice),
        subset_(subset),
        request_(request),
        dialogs_(dialogs),
        host_(options.Modules(), input) {}

  // One pass with the ranges not known; two when K may hold blanks.
  int OnePass() {
    const InterruptGuard interrupt;
    ProgressDisplay progress = ExportProgress();
    ExportSession session(ExportModule(), request_, SavedOptionsFile::ForEnvironment(), progress,
                          dialogs_.User());
    if (!session.Begin(LatticeTraits{})) return session.End();
    LatticeForwarder forwarder(lattice_, session, std::nullopt);
    const int exitCode = Stream(forwarder, session);
    return forwarder.NeedsRanges() ? TwoPasses(&session) : exitCode;
  }

  // K's ranges first, then the export; `begun` is an export already begun, if any.
  int TwoPasses(ExportSession* begun) {
    LatticeSurvey survey(lattice_);
    const ImportOutcome outcome = Import(survey);
    if (!problem_.empty()) {
      if (begun != nullptr) begun->Discard();
      throw UsageError(input_ + ": " + problem_);
    }
    if (!survey.Complete()) {
      if (begun != nullptr) begun->Discard();
      return ReportMissingLattice(outcome, survey.LatticesSeen(), input_, lattice_);
    }
    if (begun != nullptr) return Stream(survey, *begun);
    const InterruptGuard interrupt;
    ProgressDisplay progress = ExportProgress();
    ExportSession session(ExportModule(), request_, SavedOptionsFile::ForEnvironment(), progress,
                          dialogs_.User());
    if (!session.Begin(survey.Traits())) return session.End();
    return Stream(survey, session);
  }

 private:
  const Module& ExportModule() const {
    return host_.Modules().ForExport(request_.output, request_.format);
  }

  // The import's bar shows the import; the export's reports only answer Ctrl-C.
  ProgressDisplay ExportProgress() const {
    return ProgressDisplay(request_.output, 0, nullptr, InterruptGuard::Flag());
  }

  // The export with the ranges of the survey.
  int Stream(const LatticeSurvey& survey, ExportSession& session) {
    LatticeForwarder forwarder(lattice_, session,
                               ComponentRangeLists{survey.ComponentMin(), survey.ComponentMax()});
    return Stream(forwarder, session);
  }

  // One import into the begun export. A lattice K that never ended is reported as a
  // missing one, and the export is dropped without saving the options, as when K is
  // looked for before the export begins.
  int Stream(LatticeForwarder& forwarder, ExportSession& session) {
    const ImportOutcome outcome = Import(forwarder);
    if (!problem_.empty()) {
      session.Discard();
      throw UsageError(input_ + ": " + problem_);
    }
    if (forwarder.NeedsRanges()) return kExitSuccess;  // nothing reached the export yet
    if (forwarder.Done() || forwarder.Refused()) return session.End();
    session.Discard();
    return ReportMissingLattice(outcome, forwarder.LatticesSeen(), input_, lattice_);
  }

  // One import, through lattice K's subset when one is asked for; a subset that does not
  // fit K stops the import and is kept in problem_.
  ImportOutcome Import(hostfw::IoObjectSink& sink) {
    if (!subset_) return host_.Import(sink, options_.ShowProgress());
    latclient::SubsetSink cut(*subset_, sink, lattice_);
    const ImportOutcome outcome = host_.Import(cut, options_.ShowProgress());
    problem_ = cut.Problem();
    return outcome;
  }

  const GlobalOptions& options_;
  const std::string& input_;
  int lattice_;
  const std::optional<latclient::Subset>& subset_;
  std::string problem_;
  const ExportRequest& request_;
  const TerminalDialogs& dialogs_;
  PluginHost host_;
};

}  // namespace

int RunConvert(const GlobalOptions& options, const std::string& input, int lattice,
               const std::optional<latclient::Subset>& subset, const ExportRequest& request) {
  RefuseSameFile(input, request.output);
  const TerminalDialogs dialogs(request.interactive || request.page);
  Conversion conversion(options, input, lattice, subset, request, dialogs);
  if (request.interactive || request.page) return conversion.TwoPasses(nullptr);
  return conversion.OnePass();
}

}  // namespace lattool
