// The tests' lattice pattern (see VtkPattern.h).
#include "tests/vtk/VtkPattern.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <vector>

#include "hostbase/PrimType.h"

namespace vtktest {
namespace {

using hostbase::CPrimData;
using hostbase::CPrimType;

// Doubles cast to `type` at `out`; the type's extremes are exact there, or saturate back.
void Put(const std::vector<double>& values, int type, void* out) {
  CPrimType::CastArray(CPrimType::Double, values.data(), type, out, values.size(), 1);
}

std::unique_ptr<hostfw::TrLattice> MakeHeader(const Pattern& p) {
  if (p.kind == 0) {
    auto header = std::make_unique<hostfw::TrUniformLattice>(p.type, p.nx, p.ny, p.nz,
                                                             p.components);
    const double origin[3] = {1.5, -2.0, 0.25}, spacing[3] = {0.5, 2.0, 3.0};
    std::copy(origin, origin + 3, header->origin);
    std::copy(spacing, spacing + 3, header->spacing);
    return header;
  }
  if (p.kind == 2)
    return std::make_unique<hostfw::TrCurvilinearLattice>(p.coordType, p.type, p.nx, p.ny, p.nz,
                                                          p.components);
  auto header = std::make_unique<hostfw::TrRectilinearLattice>(p.coordType, p.type, p.nx, p.ny,
                                                               p.nz, p.components);
  std::vector<double> x, y, z;
  for (int i = 0; i < p.nx; ++i) x.push_back(1.5 * i);
  for (int j = 0; j < p.ny; ++j) y.push_back(10.0 + j * j);
  for (int k = 0; k < p.nz; ++k) z.push_back(-k);
  Put(x, p.coordType, header->xCoords);
  Put(y, p.coordType, header->yCoords);
  Put(z, p.coordType, header->zCoords);
  return header;
}

}  // namespace

double BlankMarker(int type) {
  return CPrimType::IsInteger(type) ? 42.0 : 42.5;
}

int SendPattern(const Pattern& p, const std::function<int(hostfw::TrBase&)>& send) {
  auto header = MakeHeader(p);
  if (p.blanks) {
    header->flags = hostfw::TrLattice::kFlagMayHaveBlanks;
    header->blankValue = BlankMarker(p.type);
  }
  if (const int status = send(*header); status != 0) return status;
  hostfw::TrLatticeScan scan(*header);
  hostfw::TrLatticeScan coords(p.nx * 3 * CPrimType::TypeSize[p.coordType]);
  const double max = CPrimData::GetWideReal(p.type, CPrimData::PrimMax(p.type).GetDataPtr());
  const double min = CPrimData::GetWideReal(p.type, CPrimData::PrimMin(p.type).GetDataPtr());
  std::vector<double> values, xyz;
  for (int k = 0; k < p.nz; ++k)
    for (int j = 0; j < p.ny; ++j) {
      if (p.kind == 2) {
        xyz.clear();
        for (int i = 0; i < p.nx; ++i) xyz.insert(xyz.end(), {i + 0.25 * j, 1.0 * j, 1.0 * k - i});
        Put(xyz, p.coordType, coords.data);
        if (const int status = send(coords); status != 0) return status;
      }
      values.clear();
      const std::int64_t first = (std::int64_t{k} * p.ny + j) * p.nx;
      for (std::int64_t n = first; n < first + p.nx; ++n)
        for (int c = 0; c < p.components; ++c)
          values.push_back(c == 0 && n == 1   ? max
                           : c == 0 && n == 2 ? min
                                              : static_cast<double>((3 * n + 7 * c) % 100) +
                                                    (CPrimType::IsInteger(p.type) ? 0.0 : 0.5));
      Put(values, p.type, scan.data);
      if (const int status = send(scan); status != 0) return status;
    }
  hostfw::TrLatticeEnd end;
  return send(end);
}

}  // namespace vtktest
