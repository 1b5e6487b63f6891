// The export filter base: export to memory is not offered.
#include "hostfw/IoFilter.h"

namespace hostfw {

IoExportFilter::~IoExportFilter() = default;

ExportStatus IoExportFilter::BeginExportToMemory(std::vector<std::uint8_t>& /*bytes*/,
                                                 bool /*interactive*/) {
  return ExportStatus_NotHandled;
}

ExportStatus IoExportFilter::EndExportToMemory() {
  return ExportStatus_NotHandled;
}

}  // namespace hostfw
