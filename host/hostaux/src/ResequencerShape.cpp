// Checking a lattice's counts and computing its row and region sizes without overflow.
#include "ResequencerShape.h"

#include <algorithm>
#include <limits>

#include "ResequencerErrors.h"

namespace hostaux::detail {
namespace {

// Every byte count must fit both a 64-bit file offset and the address space.
constexpr std::uint64_t kByteLimit = std::min<std::uint64_t>(
    std::numeric_limits<std::int64_t>::max(), std::numeric_limits<std::size_t>::max());

// a x b, or false when the product passes kByteLimit.
bool Multiply(std::uint64_t a, std::uint64_t b, std::uint64_t& product) noexcept {
  if (a != 0 && b > kByteLimit / a) return false;
  product = a * b;
  return true;
}

void RequireAtLeast(const char* name, int value, int minimum) {
  if (value < minimum) ThrowBadCount(name, value, __LINE__);
}

}  // namespace

std::size_t ResequencerShape::RowIndex(int y, int z) const {
  if (y < 0 || y >= ny || z < 0 || z >= nz) ThrowRowOutside(y, z, ny, nz, __LINE__);
  return static_cast<std::size_t>(z) * static_cast<std::size_t>(ny) + static_cast<std::size_t>(y);
}

ResequencerShape MakeShape(int latticeType, int nx, int ny, int nz, int numComponents,
                           int coordSize, int dataSize, bool nodeCoords) {
  if (latticeType < 1 || latticeType > 3) ThrowBadCount("latticeType", latticeType, __LINE__);
  RequireAtLeast("nx", nx, 1);
  RequireAtLeast("ny", ny, 1);
  RequireAtLeast("nz", nz, 1);
  RequireAtLeast("numComponents", numComponents, 1);
  RequireAtLeast("dataSize", dataSize, 1);
  const bool needsCoords = latticeType == 2 || nodeCoords;
  RequireAtLeast("coordSize", coordSize, needsCoords ? 1 : 0);

  ResequencerShape shape;
  shape.latticeType = latticeType;
  shape.nx = nx;
  shape.ny = ny;
  shape.nz = nz;
  std::uint64_t rows = 0, dataRow = 0, xyzRow = 0, dataBytes = 0, xyzBytes = 0;
  const bool fits =
      Multiply(std::uint64_t(ny), std::uint64_t(nz), rows) &&
      Multiply(std::uint64_t(nx), std::uint64_t(numComponents), dataRow) &&
      Multiply(dataRow, std::uint64_t(dataSize), dataRow) &&
      Multiply(std::uint64_t(nx), nodeCoords ? 3u * std::uint64_t(coordSize) : 0u, xyzRow) &&
      Multiply(rows, dataRow, dataBytes) && Multiply(rows, xyzRow, xyzBytes) &&
      dataBytes <= kByteLimit - xyzBytes;
  if (!fits) ThrowTooLarge(nx, ny, nz, __LINE__);
  shape.rowCount = static_cast<std::size_t>(rows);
  shape.dataRowSize = static_cast<std::size_t>(dataRow);
  shape.xyzRowSize = static_cast<std::size_t>(xyzRow);
  shape.dataBytes = dataBytes;
  if (latticeType == 2) {
    const int counts[3] = {nx, ny, nz};
    for (int axis = 0; axis < 3; ++axis) {
      std::uint64_t bytes = 0;
      if (!Multiply(std::uint64_t(counts[axis]), std::uint64_t(coordSize), bytes))
        ThrowTooLarge(nx, ny, nz, __LINE__);
      shape.axisSize[axis] = static_cast<std::size_t>(bytes);
    }
  }
  return shape;
}

}  // namespace hostaux::detail
