// Writer of plain text LAT files for tests: piece by piece (PlainText), or a whole
// well-formed lattice at once (PlainLatticeText).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace lattest {

class PlainText {
 public:
  // "#!/usr/explorer/bin/explorer cxLattice <kind> <version>" and a line end.
  PlainText& Header(std::string_view kind = "plain", std::string_view version = "1.0");
  // The numbers in their shortest exact form, separated by single spaces, and a line end.
  PlainText& Numbers(const std::vector<double>& values);
  // Exactly the given text.
  PlainText& Raw(std::string_view text) {
    text_ += text;
    return *this;
  }
  const std::string& Text() const { return text_; }

 private:
  std::string text_;
};

// A well-formed plain file: header numbers, geometry and data blocks.
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
