// The module's factories, found by hosts under these names.
#include <new>

#include "vtk/VtkExportFilter.h"
#include "vtk/VtkImportFilter.h"

PLUGIN_FACTORY hostfw::IoExportFilter* ExportVTK(hostfw::IoManager& manager) {
  return new (std::nothrow) VtkExportFilter(manager);
}

PLUGIN_FACTORY hostfw::IoImportFilter* ImportVTK(hostfw::IoManager& manager) {
  return new (std::nothrow) VtkImportFilter(manager);
}
