// The lattice that lattool create builds, checked member by member from its JSON
// description: kind, counts, types, geometry, values and the optional extras.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "Client.h"
#include "LatticeJson.h"

namespace lattool {

struct LatticeSpec {
  ObjectKind kind = ObjectKind::Uniform;
  int dataType = 0;
  int nx = 1, ny = 1, nz = 1;
  int components = 1;
  std::uint8_t flags = 0;
  double blankValue = 0.0;
  int coordType = 7;  // rectilinear and curvilinear
  std::array<double, 3> origin{};
  std::array<double, 3> spacing{};
  // Arrays of the JSON document, which must outlive the spec.
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
LatticeSpec ReadLatticeSpec(const JsonMembers& members);

}  // namespace lattool
