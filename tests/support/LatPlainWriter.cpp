// Builds plain text LAT files for tests.
#include "tests/support/LatPlainWriter.h"

#include <algorithm>
#include <charconv>

namespace lattest {

PlainText& PlainText::Header(std::string_view kind, std::string_view version) {
  return Raw("#!/usr/explorer/bin/explorer cxLattice ").Raw(kind).Raw(" ").Raw(version).Raw("\n");
}

PlainText& PlainText::Numbers(const std::vector<double>& values) {
  for (std::size_t i = 0; i < values.size(); ++i) {
    char buffer[32];
    if (i > 0) text_ += ' ';
    text_.append(buffer, std::to_chars(buffer, buffer + sizeof buffer, values[i]).ptr);
  }
  return Raw("\n");
}

std::string PlainLatticeText(const PlainLattice& lat) {
  PlainText text;
  const auto nDim = std::clamp<std::ptrdiff_t>(lat.nDim, 0, std::ssize(lat.dims));
  text.Header().Numbers({static_cast<double>(lat.nDim)});
  text.Numbers({lat.dims.begin(), lat.dims.begin() + nDim});
  text.Numbers({static_cast<double>(lat.nDataVar), static_cast<double>(lat.primType),
                static_cast<double>(lat.geometryType), static_cast<double>(lat.blocks.size())});
  if (lat.geometryType == 2) text.Numbers({static_cast<double>(lat.nCoordVar)});
  const std::size_t perLine = std::max<std::size_t>(lat.valuesPerLine, 1);
  const auto lines = [&](const std::vector<double>& values) {
    for (auto at = values.begin(); at != values.end();) {
      const auto end = at + std::min<std::ptrdiff_t>(perLine, values.end() - at);
      text.Numbers({at, end});
      at = end;
    }
  };
  lines(lat.geometry);
  for (const std::vector<double>& block : lat.blocks) lines(block);
  return text.Text();
}

}  // namespace lattest
