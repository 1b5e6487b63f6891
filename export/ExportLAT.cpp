// The plug-in's export factory.
#include <new>

#include "export/LatExportFilter.h"
#include "formats/LatPluginApi.h"

LAT_PLUGIN_API hostfw::IoExportFilter* ExportLAT(hostfw::IoManager& manager) {
  return new (std::nothrow) LatExportFilter(manager);
}
