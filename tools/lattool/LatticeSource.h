// Makes the transfer objects of a lattice described by a LatticeSpec: the header with
// its geometry, and each row's data scan and coordinate scan, converted from the JSON
// numbers one row at a time.
#pragma once

#include <cstddef>
#include <memory>

#include "Client.h"
#include "LatticeSpec.h"
#include "hostfw/Transfer.h"

namespace lattool {

class LatticeSource {
 public:
  explicit LatticeSource(const LatticeSpec& spec) noexcept : spec_(spec) {}

  // The header: counts, types, flags, blank value and geometry (rectilinear axes
  // converted to coordType here). componentMin/componentMax are left for the caller.
  std::unique_ptr<hostfw::TrLattice> MakeHeader() const;
  // A scan for one row of node coordinates (x, y, z per node, of coordType).
  std::unique_ptr<hostfw::TrLatticeScan> MakeCoordScan() const;

  // Row r (y fastest, then z) into a scan; raise InputError for a number that does not fit.
  void FillData(std::size_t row, hostfw::TrLatticeScan& scan) const;
  void FillCoords(std::size_t row, hostfw::TrLatticeScan& scan) const;

  // Converts every row once, so that a number that does not fit is found before anything
  // is exported (InputError as FillData), and returns each component's range: NaN left
  // out, and blanks when the lattice may hold them.
  ComponentRanges CheckRows(const hostfw::TrLattice& header) const;

 private:
  const LatticeSpec& spec_;
};

}  // namespace lattool
