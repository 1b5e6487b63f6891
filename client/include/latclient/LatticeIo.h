// Whole lattices between files and memory, through the modules' filters: the import
// collects every row into the lattice's one buffer; the export hands a held lattice to an
// export filter row by row.
#pragma once

#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "latclient/Api.h"
#include "latclient/Lattice.h"
#include "latclient/ModuleSet.h"
#include "latclient/Outcome.h"

namespace latclient {

// Called with the fraction done (0..1); false cancels.
using ProgressCallback = std::function<bool(double fraction)>;

struct ReadRequest {
  std::optional<int> lattice;  // lattice K (counting from 0); empty: every lattice
  ProgressCallback progress;
};

struct ReadResult {
  std::string format;  // the module that read the file: "LAT", "VTK"
  std::vector<Lattice> lattices;
  // Status complete when every wanted lattice arrived; stopped on cancel; the error of the
  // import, or of the host ("latclient": no lattice K, a size that overflows, memory).
  ImportOutcome outcome;
  std::vector<std::string> warnings;
};

struct WriteRequest {
  std::string options;      // the export filter's options string, as it is
  std::string_view format;  // "LAT", "VTK"; empty: from the output's extension
  ProgressCallback progress;
};

// Imports `path` with the module that recognises it. Raises SetupError only when no module
// can import (none loaded, or none with an import factory); everything else goes into the
// result.
LATCLIENT_API ReadResult ReadLattices(const ModuleSet& modules, const std::string& path,
                                      const ReadRequest& request = {});
LATCLIENT_API ReadResult ReadLattices(const Module& module, const std::string& path,
                                      const ReadRequest& request = {});

// Exports `lattice` (its component ranges computed here) to `path`. Raises SetupError
// when the module is absent; everything else goes into the outcome. A lattice whose
// counts, geometry or buffer do not agree is refused with an error before the filter
// begins.
LATCLIENT_API ExportOutcome WriteLattice(const ModuleSet& modules, const std::string& path,
                                         const Lattice& lattice, const WriteRequest& request = {});
LATCLIENT_API ExportOutcome WriteLattice(const Module& module, const std::string& path,
                                         const Lattice& lattice, const WriteRequest& request = {});
// The same with the values lent by the host instead of `lattice.values` (which is not
// used), so that a host holding them in memory of its own need not copy them.
LATCLIENT_API ExportOutcome WriteLattice(const Module& module, const std::string& path,
                                         const Lattice& lattice, std::span<const std::byte> values,
                                         const WriteRequest& request = {});

}  // namespace latclient
