// Header and rows of a lattice from its checked JSON description.
#include "LatticeSource.h"

#include "ValueConversion.h"
#include "hostbase/PrimType.h"

namespace lattool {

namespace {

std::size_t Size(int count) {
  return static_cast<std::size_t>(count);
}

}  // namespace

std::unique_ptr<hostfw::TrLattice> LatticeSource::MakeHeader() const {
  const LatticeSpec& s = spec_;
  std::unique_ptr<hostfw::TrLattice> header;
  if (s.kind == ObjectKind::Uniform) {
    auto uniform =
        std::make_unique<hostfw::TrUniformLattice>(s.dataType, s.nx, s.ny, s.nz, s.components);
    for (std::size_t axis = 0; axis < 3; ++axis) {
      uniform->origin[axis] = s.origin[axis];
      uniform->spacing[axis] = s.spacing[axis];
    }
    header = std::move(uniform);
  } else if (s.kind == ObjectKind::Rectilinear) {
    auto rect = std::make_unique<hostfw::TrRectilinearLattice>(s.coordType, s.dataType, s.nx, s.ny,
                                                               s.nz, s.components);
    StoreRange(s.coordType, *s.xCoords, 0, Size(s.nx), rect->xCoords, "xCoords");
    StoreRange(s.coordType, *s.yCoords, 0, Size(s.ny), rect->yCoords, "yCoords");
    StoreRange(s.coordType, *s.zCoords, 0, Size(s.nz), rect->zCoords, "zCoords");
    header = std::move(rect);
  } else {
    header = std::make_unique<hostfw::TrCurvilinearLattice>(s.coordType, s.dataType, s.nx, s.ny,
                                                            s.nz, s.components);
  }
  header->flags = s.flags;
  header->blankValue = s.blankValue;
  return header;
}

std::unique_ptr<hostfw::TrLatticeScan> LatticeSource::MakeCoordScan() const {
  const int bytes = 3 * spec_.nx * hostbase::CPrimType::TypeSize[spec_.coordType];
  return std::make_unique<hostfw::TrLatticeScan>(bytes);
}

void LatticeSource::FillData(std::size_t row, hostfw::TrLatticeScan& scan) const {
  const std::size_t count = Size(spec_.nx) * Size(spec_.components);
  StoreRange(spec_.dataType, *spec_.values, row * count, count, scan.data, "values");
}

void LatticeSource::FillCoords(std::size_t row, hostfw::TrLatticeScan& scan) const {
  const std::size_t count = 3 * Size(spec_.nx);
  StoreRange(spec_.coordType, *spec_.coords, row * count, count, scan.data, "coords");
}

ComponentRanges LatticeSource::CheckRows(const hostfw::TrLattice& header) const {
  ComponentRanges ranges(spec_.dataType, spec_.components);
  if (spec_.MayHaveBlanks()) ranges.SkipBlanks(spec_.blankValue);
  hostfw::TrLatticeScan data(header);
  std::unique_ptr<hostfw::TrLatticeScan> coords;
  if (spec_.kind == ObjectKind::Curvilinear) coords = MakeCoordScan();
  for (std::size_t row = 0; row < spec_.RowCount(); ++row) {
    if (coords) FillCoords(row, *coords);
    FillData(row, data);
    ranges.AddScan(data.data, data.GetSize());
  }
  return ranges;
}

}  // namespace lattool
