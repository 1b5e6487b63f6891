// The module's factories, found by hosts under these names.
#include <new>

#include "vtk/VtkExportFilter.h"

VTK_PLUGIN_API hostfw::IoExportFilter* ExportVTK(hostfw::IoManager& manager) {
  return new (std::nothrow) VtkExportFilter(manager);
}
