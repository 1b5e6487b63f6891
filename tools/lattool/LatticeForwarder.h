// The streaming side of lattool convert: hands lattice K's objects to the export as the
// import delivers them, its header completed with the component ranges. Nothing of the
// lattice is kept here.
#pragma once

#include <optional>
#include <vector>

#include "ExportSession.h"
#include "hostfw/IoManager.h"
#include "hostfw/Transfer.h"

namespace lattool {

// Each component's minimum and maximum, as the exporter receives them with the header.
struct ComponentRangeLists {
  std::vector<double> min;
  std::vector<double> max;
};

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

}  // namespace lattool
