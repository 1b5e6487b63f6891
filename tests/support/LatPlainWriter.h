// Writer of well-formed plain text LAT files for tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace lattest {

// A plain file: header numbers, geometry and data blocks.
struct PlainLattice {
  std::int32_t nDim = 3;
  std::vector<std::int32_t> dims{1, 1, 1};  // the first nDim are written
  std::int32_t nDataVar = 1;
  std::int32_t primType = 3;
  std::int32_t geometryType = 0;
  // Uniform: first/last pairs per axis; rectilinear: the x, y, z lists one after another;
  // curvilinear: the coordinates of every node, nCoordVar each.
  std::vector<double> geometry;
  std::int32_t nCoordVar = 3;  // curvilinear only, written before the coordinates
  // One entry per data block (latticeCount = blocks.size()); values nodes × nDataVar.
  std::vector<std::vector<double>> blocks;
  std::size_t valuesPerLine = 8;
};

std::string PlainLatticeText(const PlainLattice& lattice);

}  // namespace lattest
