// The lattice pattern of the VTK tests and fuzz seeds: component c of
// node n is (3n + 7c) mod 100 (plus 0.5 for floating types), except that component 0 of
// nodes 1 and 2 holds the type's largest and lowest value; with blanks, the lattice may
// hold blanks marked by BlankMarker. Uniform: origin (1.5, -2, 0.25), spacing (0.5, 2, 3);
// rectilinear axes x = 1.5 i, y = 10 + j^2, z = -k; curvilinear node (i, j, k) at
// (i + 0.25 j, j, k - i).
#pragma once

#include <functional>

#include "hostfw/Transfer.h"

namespace vtktest {

struct Pattern {
  int kind = 0;  // 0 uniform, 1 rectilinear, 2 curvilinear
  int type = 7, components = 1, nx = 5, ny = 4, nz = 3, coordType = 7;
  bool blanks = false;
};

// Sends the header, the scans (a coordinate scan before each data scan of a curvilinear
// lattice) and the end; the first non-zero status `send` returns, or 0.
int SendPattern(const Pattern& pattern, const std::function<int(hostfw::TrBase&)>& send);
double BlankMarker(int type);

}  // namespace vtktest
