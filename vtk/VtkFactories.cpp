// The module's factories, found by hosts under these names.
#include <new>

#include "vtk/VtkExportFilter.h"
#include "vtk/VtkImportFilter.h"

VTK_PLUGIN_API hostfw::IoExportFilter* ExportVTK(hostfw::IoManager& manager) {
  return new (std::nothrow) VtkExportFilter(manager);
}

VTK_PLUGIN_API hostfw::IoImportFilter* ImportVTK(hostfw::IoManager& manager) {
  return new (std::nothrow) VtkImportFilter(manager);
}
