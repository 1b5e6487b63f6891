// lattool convert: streams lattice K of IN into the export filter as the import delivers
// it, so that memory never holds the lattice. The exporter uses the component ranges only
// for the options page and for replacing blanks; when either may be needed (--page,
// --interactive, or a lattice that may hold blanks) IN is imported twice, first to
// compute K's ranges, which go with the header.
#include <algorithm>
#include <cstdio>
#include <limits>
#include <optional>
#include <vector>

#include "Commands.h"
#include "FileArguments.h"
#include "InterruptGuard.h"
#include "PluginHost.h"
#include "ProgressDisplay.h"
#include "TerminalDialogUser.h"

namespace lattool {

namespace {

// Each component's minimum and maximum, as the exporter receives them with the header.
struct ComponentRangeLists {
  std::vector<double> min;
  std::vector<double> max;
};

// The streaming side: hands lattice K's objects to the export as the import delivers them,
// its header completed with the component ranges. Nothing of the lattice is kept here.
class LatticeForwarder : public hostfw::IoObjectSink {
 public:
  // With `ranges` empty they are not known: the header carries one NaN per component,
  // and a header that may hold blanks (whose replacement needs the ranges) is not
  // forwarded; the import stops there and NeedsRanges() tells so.
  LatticeForwarder(int wanted, ExportSession& session,
                   std::optional<ComponentRangeLists> ranges) noexcept
      : wanted_(wanted), session_(session), ranges_(std::move(ranges)) {}

  // Stops the import once lattice K has ended or the export cannot go on.
  bool Receive(hostfw::TrBase& object) override;

  // Lattice headers received so far.
  int LatticesSeen() const noexcept { return seen_; }
  // Whether lattice K's end reached the export.
  bool Done() const noexcept { return done_; }
  // Whether the export refused an object (its error or cancel is the session's).
  bool Refused() const noexcept { return refused_; }
  // Whether lattice K arrived with blanks while its ranges were not known.
  bool NeedsRanges() const noexcept { return needsRanges_; }

 private:
  bool ForwardHeader(hostfw::TrLattice& lattice);
  bool Forward(hostfw::TrBase& object);

  int wanted_;
  ExportSession& session_;
  std::optional<ComponentRangeLists> ranges_;
  int seen_ = 0;
  bool open_ = false;
  bool done_ = false;
  bool refused_ = false;
  bool needsRanges_ = false;
};

bool LatticeForwarder::Receive(hostfw::TrBase& object) {
  if (done_ || refused_ || needsRanges_) return false;
  const ObjectKind kind = KindOf(object);
  if (IsLatticeHeader(kind)) {
    open_ = seen_++ == wanted_;
    return !open_ || ForwardHeader(static_cast<hostfw::TrLattice&>(object));
  }
  if (!open_) return true;
  if (!Forward(object)) return false;
  if (kind == ObjectKind::End) {
    done_ = true;
    return false;  // nothing after lattice K is needed
  }
  return true;
}

bool LatticeForwarder::ForwardHeader(hostfw::TrLattice& lattice) {
  if (ranges_) {
    lattice.componentMin = ranges_->min;
    lattice.componentMax = ranges_->max;
  } else if (lattice.flags & hostfw::TrLattice::kFlagMayHaveBlanks) {
    needsRanges_ = true;
    return false;
  } else {
    const auto count = static_cast<std::size_t>(std::max(lattice.numComponents, 0));
    lattice.componentMin.assign(count, std::numeric_limits<double>::quiet_NaN());
    lattice.componentMax.assign(count, std::numeric_limits<double>::quiet_NaN());
  }
  return Forward(lattice);
}

bool LatticeForwarder::Forward(hostfw::TrBase& object) {
  if (session_.Send(object)) return true;
  refused_ = true;
  return false;
}

// The first of two passes: finds lattice K and computes the minimum and maximum of each
// component while its scans go by (no values are kept), as the exporter takes them with
// the header.
class LatticeSurvey : public hostfw::IoObjectSink {
 public:
  explicit LatticeSurvey(int wanted) noexcept : wanted_(wanted) {}

  // Stops the import (answers false) once lattice K has ended.
  bool Receive(hostfw::TrBase& object) override;

  // Lattice headers received so far.
  int LatticesSeen() const noexcept { return seen_; }
  // Whether lattice K came to its end.
  bool Complete() const noexcept { return complete_; }

  // Per component, blanks and NaN left out; 0 for a component without values.
  std::vector<double> ComponentMin() const;
  std::vector<double> ComponentMax() const;
  // The lattice's overall range and data type.
  LatticeTraits Traits() const;

 private:
  void Open(const hostfw::TrLattice& lattice, bool curvilinear);

  int wanted_;
  int seen_ = 0;
  bool open_ = false;
  bool complete_ = false;
  bool curvilinear_ = false;
  long long scans_ = 0;
  int dataType_ = 0;
  std::optional<ComponentRanges> ranges_;
};

bool LatticeSurvey::Receive(hostfw::TrBase& object) {
  if (complete_) return false;
  const ObjectKind kind = KindOf(object);
  if (IsLatticeHeader(kind)) {
    open_ = seen_++ == wanted_;
    if (open_) {
      Open(static_cast<const hostfw::TrLattice&>(object), kind == ObjectKind::Curvilinear);
    }
  } else if (kind == ObjectKind::Scan && open_) {
    if (!hostfw::ScanOrder{curvilinear_}.IsCoordinateScan(scans_)) {
      const auto& scan = static_cast<const hostfw::TrLatticeScan&>(object);
      ranges_->AddScan(scan.data, scan.GetSize());
    }
    ++scans_;
  } else if (kind == ObjectKind::End && open_) {
    open_ = false;
    complete_ = true;
    return false;  // everything needed is known
  }
  return true;
}

void LatticeSurvey::Open(const hostfw::TrLattice& lattice, bool curvilinear) {
  curvilinear_ = curvilinear;
  scans_ = 0;
  dataType_ = lattice.dataType;
  ranges_.emplace(lattice.dataType, lattice.numComponents);
  if (lattice.flags & hostfw::TrLattice::kFlagMayHaveBlanks) {
    ranges_->SkipBlanks(lattice.blankValue);
  }
}

std::vector<double> LatticeSurvey::ComponentMin() const {
  std::vector<double> out;
  for (std::size_t c = 0; ranges_ && c < ranges_->Count(); ++c) out.push_back(ranges_->Min(c));
  return out;
}

std::vector<double> LatticeSurvey::ComponentMax() const {
  std::vector<double> out;
  for (std::size_t c = 0; ranges_ && c < ranges_->Count(); ++c) out.push_back(ranges_->Max(c));
  return out;
}

LatticeTraits LatticeSurvey::Traits() const {
  LatticeTraits traits;
  traits.dataType = dataType_;
  bool any = false;
  for (std::size_t c = 0; ranges_ && c < ranges_->Count(); ++c) {
    if (!ranges_->Seen(c)) continue;
    traits.dataMin = any ? std::min(traits.dataMin, ranges_->Min(c)) : ranges_->Min(c);
    traits.dataMax = any ? std::max(traits.dataMax, ranges_->Max(c)) : ranges_->Max(c);
    any = true;
  }
  return traits;
}

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
