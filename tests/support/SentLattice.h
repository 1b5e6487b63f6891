// A lattice as a host sends it to an export filter: its header, one scan per row (a
// coordinate scan before each data scan of a curvilinear lattice) and the end marker.
#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <memory>
#include <vector>

#include "hostbase/PrimType.h"
#include "hostfw/Transfer.h"

namespace lattest {

struct SentLattice {
  using Send = std::function<int(hostfw::TrBase&)>;  // the filter's status for an object

  SentLattice(int kind, int dataType, int nx, int ny, int nz, int components = 1,
              int coordType = hostbase::CPrimType::Float);

  int kind, dataType, nx, ny, nz, numComponents, coordType;  // kind: 0 uniform, 1 rect., 2 curv.
  // Doubles, cast to the lattice's types as they are sent: values 1, 2, 3, ... node by node
  // (the components of a node adjacent); axes x = 1.5 i, y = 10 + j^2, z = -k one after
  // another; node (i, j, k) at (i + 0.25 j, j, k - i).
  std::vector<double> values, axes, nodeCoords;
  std::array<double, 3> origin{1.5, -2.0, 0.25}, spacing{0.5, 2.0, 3.0};
  bool blanks = false;  // flags bit 0
  double blankValue = 0.0;
  std::vector<double> componentMin, componentMax;

  std::size_t ScanCount() const { return std::size_t(kind == 2 ? 2 : 1) * ny * nz; }
  // The axes are left out once the counts no longer match them.
  std::unique_ptr<hostfw::TrLattice> Header() const;
  // Scans [from, to) for `header`; the first status that is not 0, or 0.
  int SendScans(const hostfw::TrLattice& header, std::size_t from, std::size_t to,
                const Send& send) const;
  int SendAll(const Send& send) const;  // header, scans, end marker
};

}  // namespace lattest
