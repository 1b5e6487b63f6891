// Builds plain text LAT files for tests.
#include "tests/support/LatPlainWriter.h"

#include <algorithm>
#include <charconv>

namespace lattest {

std::string PlainLatticeText(const PlainLattice& lat) {
  std::string text = "#!/usr/explorer/bin/explorer cxLattice plain 1.0\n";
  // The numbers in their shortest exact form, separated by single spaces, and a line end.
  const auto numbers = [&text](const std::vector<double>& values) {
    for (std::size_t i = 0; i < values.size(); ++i) {
      char buffer[32];
      if (i > 0) text += ' ';
      text.append(buffer, std::to_chars(buffer, buffer + sizeof buffer, values[i]).ptr);
    }
    text += '\n';
  };
  const auto nDim = std::clamp<std::ptrdiff_t>(lat.nDim, 0, std::ssize(lat.dims));
  numbers({static_cast<double>(lat.nDim)});
  numbers({lat.dims.begin(), lat.dims.begin() + nDim});
  numbers({static_cast<double>(lat.nDataVar), static_cast<double>(lat.primType),
           static_cast<double>(lat.geometryType), static_cast<double>(lat.blocks.size())});
  if (lat.geometryType == 2) numbers({static_cast<double>(lat.nCoordVar)});
  const std::size_t perLine = std::max<std::size_t>(lat.valuesPerLine, 1);
  const auto lines = [&](const std::vector<double>& values) {
    for (auto at = values.begin(); at != values.end();) {
      const auto end = at + std::min<std::ptrdiff_t>(perLine, values.end() - at);
      numbers({at, end});
      at = end;
    }
  };
  lines(lat.geometry);
  for (const std::vector<double>& block : lat.blocks) lines(block);
  return text;
}

}  // namespace lattest
