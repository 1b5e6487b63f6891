// The lattice pattern of the VTK tests and fuzz seeds: component c of node n is
// (3n + 7c) mod 100 (plus 0.5 for floating types), except that component 0 of nodes 1 and 2
// holds the type's largest and lowest value; with blanks, the lattice may hold blanks marked
// by BlankMarker. Its geometry is SentLattice's.
#pragma once

#include "tests/support/SentLattice.h"

namespace vtktest {

struct Pattern {
  int kind = 0;  // 0 uniform, 1 rectilinear, 2 curvilinear
  int type = 7, components = 1, nx = 5, ny = 4, nz = 3, coordType = 7;
  bool blanks = false;
};

lattest::SentLattice PatternLattice(const Pattern& pattern);
double BlankMarker(int type);

}  // namespace vtktest
