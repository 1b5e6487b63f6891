// The "LatticeInfo" summary texts that each imported lattice header carries to the host.
#include <cmath>
#include <string>

#include "hostbase/PrimType.h"
#include "hostbase/Text.h"
#include "hostfw/IoManager.h"
#include "import/LatImportFilter.h"

namespace {

void StoreSummary(hostfw::TrLattice& header, const std::string& text) {
  header.params.Set(hostbase::GString(hostfw::TrLattice::kInfoKey), text.c_str());
}

// Entry `index` of a coordinate array of `type`, as a double.
double CoordAt(int type, const void* coords, std::int32_t index) {
  const auto* bytes = static_cast<const unsigned char*>(coords);
  const auto offset = static_cast<std::size_t>(index) *
                      static_cast<std::size_t>(hostbase::CPrimType::TypeSize[type]);
  const hostbase::CPrimData value(type, bytes + offset);
  return hostbase::CPrimData::GetWideReal(type, value.GetDataPtr());
}

}  // namespace

void LatImportFilter::AddUniformSummary(hostfw::TrUniformLattice& header, const char* name) {
  const double xMin = header.origin[0];
  const double yMin = header.origin[1];
  const double xMax = xMin + static_cast<double>(header.nx - 1) * header.spacing[0];
  const double yMax = yMin + static_cast<double>(header.ny - 1) * header.spacing[1];
  std::string text;
  hostbase::FormatString(
      text,
      "Name:\t%s\r\nFormat:\t%s\r\nSamples per pixel:\t%d\r\nSize:\t%d rows x %d columns x %d "
      "planes\r\nSpacing:\tX=%.12G,   Y=%.12G,   Z=%.12G\r\nxMin:\t%.12G\txMax:\t%.12G\r\nyMin:\t%."
      "12G\tyMax:\t%.12G\r\nSW Corner:\t%.12G, %.12G\r\nNW Corner:\t%.12G, %.12G\r\nNE "
      "Corner:\t%.12G, %.12G\r\nSE Corner:\t%.12G, %.12G\r\n",
      name, GetManager().formatName.c_str(), header.numComponents, header.ny, header.nx, header.nz,
      std::fabs(header.spacing[0]), std::fabs(header.spacing[1]), std::fabs(header.spacing[2]),
      xMin, xMax, yMin, yMax, xMin, yMin, xMin, yMax, xMax, yMax, xMax, yMin);
  StoreSummary(header, text);
}

void LatImportFilter::AddRectilinearSummary(hostfw::TrRectilinearLattice& header,
                                            const char* name) {
  const int type = header.coordType;
  std::string text;
  hostbase::FormatString(
      text,
      "Filename:\t%s\r\nFormat:\t%s\r\nSize:\t%d rows x %d columns x %d planes\r\nX, Y and Z "
      "spacings variate\r\nxMin:\t%.12G\txMax:\t%.12G\r\nyMin:\t%.12G\tyMax:\t%.12G\r\n",
      name, GetManager().formatName.c_str(), header.ny, header.nx, header.nz,
      CoordAt(type, header.xCoords, 0), CoordAt(type, header.xCoords, header.nx - 1),
      CoordAt(type, header.yCoords, 0), CoordAt(type, header.yCoords, header.ny - 1));
  StoreSummary(header, text);
}

void LatImportFilter::AddCurvilinearSummary(hostfw::TrCurvilinearLattice& header,
                                            const char* name) {
  std::string text;
  hostbase::FormatString(
      text,
      "Filename:\t%s\r\nFormat:\t%s\r\nSize:\t%d rows x %d columns x %d planes\r\nRegular "
      "topology, irregular geometry.\r\nThe lattice may be warped into any configuration\r\nin "
      "which the cells do not overlap or self-intersect.\r\n",
      name, GetManager().formatName.c_str(), header.ny, header.nx, header.nz);
  StoreSummary(header, text);
}
