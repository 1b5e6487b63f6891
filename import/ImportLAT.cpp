// The plug-in's import factory.
#include <new>

#include "import/LatImportFilter.h"

PLUGIN_FACTORY hostfw::IoImportFilter* ImportLAT(hostfw::IoManager& manager) {
  return new (std::nothrow) LatImportFilter(manager);
}
