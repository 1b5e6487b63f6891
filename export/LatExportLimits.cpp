// What the export refuses before it opens or writes anything: node and component counts
// below 1, unknown type codes, and lattices whose lists do not fit the format's 32-bit
// counts; and scans too short for a row.
#include <cstdint>
#include <string>

#include "export/LatExportFilter.h"
#include "formats/LatBinaryFormat.h"
#include "formats/LatSizes.h"
#include "hostbase/Text.h"

namespace {

constexpr const char* kModule = "LatExportFilter";

struct NamedCount {
  std::int32_t value;
  const char* name;
};

}  // namespace

void LatExportFilter::CheckHeader(const hostfw::TrLattice& header, std::int32_t kind) const {
  const NamedCount counts[] = {{header.nx, "columns (nx)"},
                               {header.ny, "rows (ny)"},
                               {header.nz, "planes (nz)"},
                               {header.numComponents, "values per node (components)"}};
  for (const NamedCount& count : counts) {
    if (count.value >= 1) continue;
    std::string message;
    hostbase::FormatString(message,
                           "Cannot export a lattice with %d %s: every count must be at least 1.",
                           count.value, count.name);
    ThrowError(kModule, __LINE__, message.c_str());
  }
  if (!hostbase::CPrimType::IsValid(header.dataType))
    ThrowError(kModule, __LINE__, hostfw::ErrCode::UnknownCode);
  std::int32_t headerCoordType = hostbase::CPrimType::Float;
  if (kind == lat::binary::kRectilinear)
    headerCoordType = static_cast<const hostfw::TrRectilinearLattice&>(header).coordType;
  if (kind == lat::binary::kCurvilinear)
    headerCoordType = static_cast<const hostfw::TrCurvilinearLattice&>(header).coordType;
  if (!hostbase::CPrimType::IsValid(headerCoordType))
    ThrowError(kModule, __LINE__, hostfw::ErrCode::UnknownCode);
}

// Needs the promoted dataTypeSize and latticeKind of the header.
void LatExportFilter::CheckListSizes(const hostfw::TrLattice& header) const {
  const std::int64_t x = header.nx, y = header.ny, z = header.nz;
  const std::int64_t values = LatCappedProduct({header.numComponents, x, y, z});
  const std::int64_t valueBytes = LatCappedProduct({values, dataTypeSize});
  std::int64_t coordBytes = lat::binary::kUniformBoundsCount * lat::binary::kCoordSize;
  if (latticeKind == lat::binary::kRectilinear) coordBytes = lat::binary::kCoordSize * (x + y + z);
  if (latticeKind == lat::binary::kCurvilinear)
    coordBytes = LatCappedProduct({lat::binary::kNodeCoordVar * lat::binary::kCoordSize, x, y, z});
  const char* list = nullptr;
  if (values >= lat::binary::kListLimit || valueBytes >= lat::binary::kListLimit)
    list = "value list";
  else if (coordBytes >= lat::binary::kListLimit)
    list = "coordinate list";
  if (list == nullptr) return;
  std::string message;
  hostbase::FormatString(message,
                         "Cannot export a lattice of %lld x %lld x %lld nodes with %d values "
                         "each: its %s would exceed the LAT format's limit of %lld bytes.",
                         static_cast<long long>(x), static_cast<long long>(y),
                         static_cast<long long>(z), header.numComponents, list,
                         static_cast<long long>(lat::binary::kListLimit - 1));
  ThrowError(kModule, __LINE__, message.c_str());
}

void LatExportFilter::CheckScanSize(const hostfw::TrLatticeScan& scan, std::size_t bytes) const {
  if (scan.data != nullptr && scan.GetSize() >= bytes) return;
  std::string message;
  hostbase::FormatString(
      message, "Lattice scan %u holds %zu bytes, fewer than the %zu bytes of a row.", scansReceived,
      scan.data != nullptr ? scan.GetSize() : std::size_t{0}, bytes);
  ThrowError(kModule, __LINE__, message.c_str());
}
