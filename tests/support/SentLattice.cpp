// Builds a lattice's transfer objects from its doubles.
#include "tests/support/SentLattice.h"

#include <algorithm>

namespace lattest {
namespace {

using hostbase::CPrimType;

// `count` of `values` from `first`, as `type` (saturated and rounded by the host's rules).
void Store(const std::vector<double>& values, std::size_t first, std::size_t count, int type,
           void* destination) {
  CPrimType::CastArray(CPrimType::Double, values.data() + first, type, destination, count, 1);
}

}  // namespace

SentLattice::SentLattice(int kind_, int type, int nx_, int ny_, int nz_, int components,
                         int coordType_)
    : kind(kind_),
      dataType(type),
      nx(nx_),
      ny(ny_),
      nz(nz_),
      numComponents(components),
      coordType(coordType_) {
  for (int i = 0; i < nx * ny * nz * components; ++i) values.push_back(i + 1.0);
  for (int i = 0; i < nx; ++i) axes.push_back(1.5 * i);
  for (int j = 0; j < ny; ++j) axes.push_back(10.0 + j * j);
  for (int k = 0; k < nz; ++k) axes.push_back(-k);
  for (int k = 0; k < nz; ++k)
    for (int j = 0; j < ny; ++j)
      for (int i = 0; i < nx; ++i)
        nodeCoords.insert(nodeCoords.end(), {i + 0.25 * j, 1.0 * j, 1.0 * k - i});
}

std::unique_ptr<hostfw::TrLattice> SentLattice::Header() const {
  std::unique_ptr<hostfw::TrLattice> made;
  if (kind == 0) {
    auto uniform = std::make_unique<hostfw::TrUniformLattice>(dataType, nx, ny, nz, numComponents);
    std::copy(origin.begin(), origin.end(), uniform->origin);
    std::copy(spacing.begin(), spacing.end(), uniform->spacing);
    made = std::move(uniform);
  } else if (kind == 1) {
    auto rect = std::make_unique<hostfw::TrRectilinearLattice>(coordType, dataType, nx, ny, nz,
                                                               numComponents);
    if (axes.size() == std::size_t(nx + ny + nz)) {
      Store(axes, 0, std::size_t(nx), coordType, rect->xCoords);
      Store(axes, std::size_t(nx), std::size_t(ny), coordType, rect->yCoords);
      Store(axes, std::size_t(nx + ny), std::size_t(nz), coordType, rect->zCoords);
    }
    made = std::move(rect);
  } else {
    made = std::make_unique<hostfw::TrCurvilinearLattice>(coordType, dataType, nx, ny, nz,
                                                          numComponents);
  }
  made->flags = blanks ? hostfw::TrLattice::kFlagMayHaveBlanks : 0;
  made->blankValue = blankValue;
  made->componentMin = componentMin;
  made->componentMax = componentMax;
  return made;
}

int SentLattice::SendScans(const hostfw::TrLattice& header, std::size_t from, std::size_t to,
                           const Send& send) const {
  const std::size_t row = std::size_t(nx), perRow = row * std::size_t(numComponents);
  hostfw::TrLatticeScan coords(3 * nx * CPrimType::TypeSize[coordType]), data(header);
  for (std::size_t s = from; s < to; ++s) {
    const bool coordinates = kind == 2 && s % 2 == 0;
    const std::size_t y = kind == 2 ? s / 2 : s;
    if (coordinates) Store(nodeCoords, y * row * 3, row * 3, coordType, coords.data);
    if (!coordinates) Store(values, y * perRow, perRow, dataType, data.data);
    if (const int status = send(coordinates ? coords : data); status != 0) return status;
  }
  return 0;
}

int SentLattice::SendAll(const Send& send) const {
  const std::unique_ptr<hostfw::TrLattice> header = Header();
  int status = send(*header);
  if (status == 0) status = SendScans(*header, 0, ScanCount(), send);
  hostfw::TrLatticeEnd end;
  return status != 0 ? status : send(end);
}

}  // namespace lattest
