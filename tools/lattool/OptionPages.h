// The options page before an export: the host asks the filter for its pages, tells each
// page the data range and type of the lattice, and shows them in a property sheet.
#pragma once

#include <string>

#include <windows.h>

#include "hostfw/IoFilter.h"
#include "hostfw/IoManager.h"

namespace lattool {

// The lattice's data range and type, which the options page shows.
struct LatticeTraits {
  double dataMin = 0.0;
  double dataMax = 0.0;
  int dataType = 0;
};

// The sheet's result: 1 accepted (OK or Apply), 0 cancelled, -1 when it could not be
// shown. A filter without pages gives 1 at once.
INT_PTR ShowOptionPages(hostfw::IoFilter& filter, const hostfw::IoManager& manager,
                        const std::string& fileName, const LatticeTraits& traits);

}  // namespace lattool
