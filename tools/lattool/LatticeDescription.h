// The lattice that lattool create builds: checked member by member from its JSON
// description (kind, counts, types, geometry, values and the optional extras), and the
// transfer objects made from it: the header with its geometry, and each row's data scan
// and coordinate scan, converted from the JSON numbers one row at a time.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "Client.h"
#include "LatticeJson.h"
#include "hostfw/Transfer.h"

namespace lattool {

struct LatticeDescription {
  ObjectKind kind = ObjectKind::Uniform;
  int dataType = 0;
  int nx = 1, ny = 1, nz = 1;
  int components = 1;
  std::uint8_t flags = 0;
  double blankValue = 0.0;
  int coordType = 7;  // rectilinear and curvilinear
  std::array<double, 3> origin{};
  std::array<double, 3> spacing{};
  // Arrays of the JSON document, which must outlive the description.
  const NumberList* values = nullptr;
  const NumberList* xCoords = nullptr;
  const NumberList* yCoords = nullptr;
  const NumberList* zCoords = nullptr;
  const NumberList* coords = nullptr;  // curvilinear: x, y, z of every node
  std::optional<std::vector<double>> componentMin;
  std::optional<std::vector<double>> componentMax;

  std::size_t RowCount() const noexcept {
    return static_cast<std::size_t>(ny) * static_cast<std::size_t>(nz);
  }
  bool MayHaveBlanks() const noexcept { return (flags & 1u) != 0; }
};

// Checks the members; raises InputError naming the first member that is missing, of the
// wrong kind, out of range or of the wrong size.
LatticeDescription ReadLatticeDescription(const JsonMembers& members);

class LatticeSource {
 public:
  explicit LatticeSource(const LatticeDescription& description) noexcept
      : description_(description) {}

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
  const LatticeDescription& description_;
};

}  // namespace lattool
