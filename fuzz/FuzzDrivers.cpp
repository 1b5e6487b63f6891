// The fuzz targets by name, for the replay program.
#include <utility>

#include "fuzz/FuzzDrivers.h"

namespace latfuzz {

FuzzDriver FindDriver(std::string_view target) {
  static constexpr std::pair<std::string_view, FuzzDriver> kDrivers[] = {
      {"import", &FuzzImport},
      {"import-complete", &FuzzImportComplete},
      {"import-stop", &FuzzImportStopping},
      {"export", &FuzzExport},
      {"options", &FuzzOptions},
      {"import-vtk", &FuzzImportVtk},
  };
  for (const auto& [name, driver] : kDrivers)
    if (name == target) return driver;
  return nullptr;
}

}  // namespace latfuzz
