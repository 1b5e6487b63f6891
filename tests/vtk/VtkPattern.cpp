// The tests' lattice pattern (see VtkPattern.h).
#include "tests/vtk/VtkPattern.h"

#include "hostbase/PrimType.h"

namespace vtktest {

using hostbase::CPrimData;
using hostbase::CPrimType;

double BlankMarker(int type) {
  return CPrimType::IsInteger(type) ? 42.0 : 42.5;
}

lattest::SentLattice PatternLattice(const Pattern& p) {
  lattest::SentLattice l(p.kind, p.type, p.nx, p.ny, p.nz, p.components, p.coordType);
  l.blanks = p.blanks;
  l.blankValue = p.blanks ? BlankMarker(p.type) : 0.0;
  const double max = CPrimData::GetWideReal(p.type, CPrimData::PrimMax(p.type).GetDataPtr());
  const double min = CPrimData::GetWideReal(p.type, CPrimData::PrimMin(p.type).GetDataPtr());
  const double half = CPrimType::IsInteger(p.type) ? 0.0 : 0.5;
  for (std::size_t i = 0; i < l.values.size(); ++i) {
    const std::size_t n = i / std::size_t(p.components), c = i % std::size_t(p.components);
    l.values[i] = c == 0 && n == 1   ? max
                  : c == 0 && n == 2 ? min
                                     : static_cast<double>((3 * n + 7 * c) % 100) + half;
  }
  return l;
}

}  // namespace vtktest
