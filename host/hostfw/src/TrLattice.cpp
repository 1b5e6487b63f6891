// Lattice header transfer objects.
#include "ByteCount.h"
#include "hostfw/Transfer.h"

namespace hostfw {

TrBase::~TrBase() = default;

TrLattice::TrLattice(int type, int columns, int rows, int planes, int components)
    : nx(columns), ny(rows), nz(planes), numComponents(components), dataType(type) {}

TrLattice::~TrLattice() = default;

TrUniformLattice::TrUniformLattice(int type, int columns, int rows, int planes, int components)
    : TrLattice(type, columns, rows, planes, components) {}

TrUniformLattice::~TrUniformLattice() = default;

// One zero-filled block holds the three coordinate lists, x then y then z.
TrRectilinearLattice::TrRectilinearLattice(int coords, int type, int columns, int rows, int planes,
                                           int components)
    : TrLattice(type, columns, rows, planes, components),
      coordType(coords),
      xCoords(nullptr),
      yCoords(nullptr),
      zCoords(nullptr) {
  const std::size_t xBytes = detail::ValueBytes(columns, 1, coords);
  const std::size_t yBytes = detail::ValueBytes(rows, 1, coords);
  const std::size_t zBytes = detail::ValueBytes(planes, 1, coords);
  const std::size_t total = xBytes + yBytes + zBytes;
  if (total == 0) return;
  storage_ = std::make_unique<unsigned char[]>(total);
  unsigned char* block = storage_.get();
  if (xBytes != 0) xCoords = block;
  if (yBytes != 0) yCoords = block + xBytes;
  if (zBytes != 0) zCoords = block + xBytes + yBytes;
}

TrRectilinearLattice::~TrRectilinearLattice() = default;

TrCurvilinearLattice::TrCurvilinearLattice(int coords, int type, int columns, int rows, int planes,
                                           int components)
    : TrLattice(type, columns, rows, planes, components), coordType(coords) {}

TrCurvilinearLattice::~TrCurvilinearLattice() = default;

}  // namespace hostfw
