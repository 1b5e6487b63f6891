// Row transfer objects (data and coordinate scans) and the end marker.
#include "ByteCount.h"
#include "hostfw/Transfer.h"

namespace hostfw {
namespace {

std::unique_ptr<unsigned char[]> ZeroedBlock(std::size_t size) {
  if (size == 0) return nullptr;
  return std::make_unique<unsigned char[]>(size);
}

}  // namespace

TrLatticeScan::TrLatticeScan(const TrLattice& lattice)
    : data(nullptr),
      storage_(
          ZeroedBlock(detail::ValueBytes(lattice.nx, lattice.numComponents, lattice.dataType))),
      size_(detail::ValueBytes(lattice.nx, lattice.numComponents, lattice.dataType)) {
  data = storage_.get();
}

TrLatticeScan::TrLatticeScan(int byteCount)
    : data(nullptr),
      storage_(ZeroedBlock(byteCount > 0 ? static_cast<std::size_t>(byteCount) : 0)),
      size_(byteCount > 0 ? static_cast<std::size_t>(byteCount) : 0) {
  data = storage_.get();
}

TrLatticeScan::~TrLatticeScan() = default;

TrLatticeEnd::TrLatticeEnd() = default;

TrLatticeEnd::~TrLatticeEnd() = default;

}  // namespace hostfw
