// The export filter base: the output opened through a temporary file; export to memory is
// not offered.
#include "hostfw/IoFilter.h"

#include "hostbase/Text.h"
#include "hostfw/IoManager.h"

namespace hostfw {

IoExportFilter::~IoExportFilter() = default;

ExportStatus IoExportFilter::BeginExportToMemory(std::vector<std::uint8_t>& /*bytes*/,
                                                 bool /*interactive*/) {
  return ExportStatus_NotHandled;
}

ExportStatus IoExportFilter::EndExportToMemory() {
  return ExportStatus_NotHandled;
}

ExportStatus IoExportFilter::ReportRows(std::uint32_t rows, std::uint32_t rowCount) const {
  if (rows % kRowsPerReport != 0) return ExportStatus_Accepted;
  const double fraction = static_cast<double>(rows) / static_cast<double>(rowCount);
  return GetManager().ProgressProportion(fraction) ? ExportStatus_Accepted : ExportStatus_Cancelled;
}

void IoExportFilter::OpenOutput(hostbase::CAtomicFile& output, hostbase::CBufferedFile& file,
                                const std::string& path, const char* module) const {
  std::string reason;
  if (!output.Prepare(path, reason)) {
    std::string message;
    hostbase::FormatString(message, "Cannot make a temporary file next to '%s': %s",
                           path.c_str(), reason.c_str());
    ThrowError(module, __LINE__, message.c_str());
  }
  file.Open(output.WritePath().c_str(), "wb", 3, false);
  output.Opened();
}

}  // namespace hostfw
