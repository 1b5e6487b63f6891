// The first of lattool convert's two passes: finds lattice K of the imported file and computes
// the minimum and maximum of each component while its scans go by (no values are kept),
// as the host must give them to the exporter with the lattice's header.
#pragma once

#include <optional>
#include <vector>

#include "Client.h"
#include "OptionPages.h"
#include "hostfw/IoManager.h"
#include "hostfw/Transfer.h"

namespace lattool {

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

}  // namespace lattool
