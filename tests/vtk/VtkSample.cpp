// Writes one lattice of a known pattern through the VTK module's export filter, for the
// tests that read it back with VTK itself (vtk_check.py computes the same pattern):
//
//   vtk_sample OUT KIND TYPE COMPONENTS NX NY NZ COORDTYPE BLANKS OPTIONS
// KIND 0 uniform, 1 rectilinear, 2 curvilinear; TYPE and COORDTYPE host type codes; the
// pattern is VtkPattern.h's.
#include <cstdlib>
#include <iostream>

#include "hostbase/Error.h"
#include "hostfw/IoManager.h"
#include "tests/vtk/VtkPattern.h"
#include "vtk/VtkExportFilter.h"

namespace {

int Run(char** argv) {
  vtktest::Pattern pattern;
  int* fields[] = {&pattern.kind, &pattern.type, &pattern.components, &pattern.nx,
                   &pattern.ny,   &pattern.nz,   &pattern.coordType};
  for (int i = 0; i < 7; ++i) *fields[i] = std::atoi(argv[i + 2]);
  pattern.blanks = std::atoi(argv[9]) != 0;
  hostfw::IoManager manager;
  VtkExportFilter filter(manager);
  filter.SetOptions(argv[10]);
  if (filter.BeginExportToFile(argv[1], false) != 0) return 1;
  const auto send = [&filter](hostfw::TrBase& o) {
    return static_cast<int>(filter.ExportObject(o));
  };
  if (vtktest::SendPattern(pattern, send) != 0) return 1;
  return filter.EndExportToFile();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 11) {
    std::cerr << "usage: vtk_sample OUT KIND TYPE COMPONENTS NX NY NZ COORDTYPE BLANKS OPTIONS\n";
    return 2;
  }
  try {
    return Run(argv);
  } catch (const hostbase::CError& error) {
    std::cerr << error.what() << "\n";
    return 1;
  }
}
