// The plug-in's import factory.
#include <new>

#include "import/LatImportFilter.h"

LAT_PLUGIN_API hostfw::IoImportFilter* ImportLAT(hostfw::IoManager& manager) {
  return new (std::nothrow) LatImportFilter(manager);
}
