// Inside hostaux: the checked sizes of one lattice in the row store.
#pragma once

#include <cstddef>
#include <cstdint>

namespace hostaux::detail {

struct ResequencerShape {
  int latticeType = 0;  // 1 uniform, 2 rectilinear, 3 curvilinear
  int nx = 0, ny = 0, nz = 0;
  std::size_t rowCount = 0;             // ny x nz
  std::size_t dataRowSize = 0;          // nx x numComponents x dataSize
  std::size_t xyzRowSize = 0;           // nx x 3 x coordSize; 0 when node coordinates are not kept
  std::size_t axisSize[3] = {0, 0, 0};  // rectilinear axis lists in bytes; 0 for other types
  std::uint64_t dataBytes = 0;          // all data rows; the coordinate rows follow them

  // Row number of (y, z), y fastest; raises when the row lies outside the lattice.
  std::size_t RowIndex(int y, int z) const;
};

// Checks the arguments of LatticeResequencer::Start and computes the sizes; raises for
// counts below 1, an unknown type or a lattice whose bytes overflow a file offset.
ResequencerShape MakeShape(int latticeType, int nx, int ny, int nz, int numComponents,
                           int coordSize, int dataSize, bool nodeCoords);

}  // namespace hostaux::detail
