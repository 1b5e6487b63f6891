// The plug-in's export factory.
#include <new>

#include "export/LatExportFilter.h"

PLUGIN_FACTORY hostfw::IoExportFilter* ExportLAT(hostfw::IoManager& manager) {
  return new (std::nothrow) LatExportFilter(manager);
}
