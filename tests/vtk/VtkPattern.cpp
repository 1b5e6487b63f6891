// The tests' lattice pattern (see VtkPattern.h).
#include "tests/vtk/VtkPattern.h"

#include <cstdint>
#include <vector>

#include "hostbase/PrimType.h"

namespace vtktest {
namespace {

using hostbase::CPrimType;

// Through doubles: the type's extremes are exact there, or saturate back to themselves.
void FillData(int type, void* row, std::int64_t firstNode, int nodes, int components) {
  const hostbase::CPrimData max = hostbase::CPrimData::PrimMax(type);
  const hostbase::CPrimData min = hostbase::CPrimData::PrimMin(type);
  std::vector<double> values;
  for (std::int64_t n = firstNode; n < firstNode + nodes; ++n)
    for (int c = 0; c < components; ++c) {
      double value = static_cast<double>((3 * n + 7 * c) % 100);
      if (!CPrimType::IsInteger(type)) value += 0.5;
      if (c == 0 && n == 1) value = hostbase::CPrimData::GetWideReal(type, max.GetDataPtr());
      if (c == 0 && n == 2) value = hostbase::CPrimData::GetWideReal(type, min.GetDataPtr());
      values.push_back(value);
    }
  CPrimType::CastArray(CPrimType::Double, values.data(), type, row, values.size(), 1);
}

// Curvilinear node (i, j, k) at (i + 0.25 j, j, k - i).
void FillCoords(int coordType, void* row, int nx, int j, int k) {
  double xyz[3];
  for (int i = 0; i < nx; ++i) {
    xyz[0] = i + 0.25 * j;
    xyz[1] = j;
    xyz[2] = k - i;
    CPrimType::CastArray(CPrimType::Double, xyz, coordType,
                         static_cast<unsigned char*>(row) + 3 * i * CPrimType::TypeSize[coordType],
                         3, 1);
  }
}

}  // namespace

std::unique_ptr<hostfw::TrLattice> MakeHeader(const Pattern& p) {
  const int kind = p.kind, type = p.type, components = p.components, nx = p.nx, ny = p.ny,
            nz = p.nz, coordType = p.coordType;
  if (kind == 0) {
    auto header = std::make_unique<hostfw::TrUniformLattice>(type, nx, ny, nz, components);
    const double origin[3] = {1.5, -2.0, 0.25}, spacing[3] = {0.5, 2.0, 3.0};
    for (int a = 0; a < 3; ++a) header->origin[a] = origin[a], header->spacing[a] = spacing[a];
    return header;
  }
  if (kind == 2)
    return std::make_unique<hostfw::TrCurvilinearLattice>(coordType, type, nx, ny, nz, components);
  // Axes x = 1.5 i, y = 10 + j^2, z = -k.
  auto header =
      std::make_unique<hostfw::TrRectilinearLattice>(coordType, type, nx, ny, nz, components);
  const int counts[3] = {nx, ny, nz};
  void* axes[3] = {header->xCoords, header->yCoords, header->zCoords};
  for (int a = 0; a < 3; ++a)
    for (int i = 0; i < counts[a]; ++i) {
      const double v = a == 0 ? 1.5 * i : a == 1 ? 10.0 + i * i : -i;
      CPrimType::CastArray(
          CPrimType::Double, &v, coordType,
          static_cast<unsigned char*>(axes[a]) + i * CPrimType::TypeSize[coordType], 1, 1);
    }
  return header;
}

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
  for (int k = 0; k < p.nz; ++k)
    for (int j = 0; j < p.ny; ++j) {
      if (p.kind == 2) {
        FillCoords(p.coordType, coords.data, p.nx, j, k);
        if (const int status = send(coords); status != 0) return status;
      }
      FillData(p.type, scan.data, (std::int64_t{k} * p.ny + j) * p.nx, p.nx, p.components);
      if (const int status = send(scan); status != 0) return status;
    }
  hostfw::TrLatticeEnd end;
  return send(end);
}

}  // namespace vtktest
