// Writer of plain text LAT files for tests: line by line, or a whole lattice at once.
//
// How to use it:
//
//   lattest::PlainText text;
//   text.Header()                         // "#!/usr/explorer/bin/explorer cxLattice plain 1.0"
//       .Numbers({2})                     // nDim
//       .Numbers({3, 2})                  // dims
//       .Numbers({1, 3, 0, 1})            // nDataVar, primType, geometryType, latticeCount
//       .Numbers({0, 1, 10, 20})          // bounds
//       .Comment("data")                  // "#data"
//       .Numbers({1.5, 2.5, 3.5})
//       .Numbers({4.5, 5.5, 6.5});
//   text.WriteTo(path);
//
// Every line ends with a line feed, or with a carriage return and a line feed after
// UseCrLf(true). Raw() appends text exactly as given (no line end), for anything else:
// leading blanks, a missing final line feed, words that are no numbers, long runs.
// Numbers are written in the shortest form that reads back to the same double.
//
// PlainLatticeText(lattice) writes a whole well-formed file from a PlainLattice.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace lattest {

class PlainText {
 public:
  // "#!<path> cxLattice <kind> <version>" and a line end.
  PlainText& Header(std::string_view kind = "plain", std::string_view version = "1.0",
                    std::string_view path = "/usr/explorer/bin/explorer");
  // The text and a line end.
  PlainText& Line(std::string_view text);
  // "#" followed by the text, and a line end.
  PlainText& Comment(std::string_view text);
  // The numbers separated by single spaces, and a line end.
  PlainText& Numbers(std::initializer_list<double> values);
  PlainText& Numbers(const std::vector<double>& values);
  // Exactly the given text.
  PlainText& Raw(std::string_view text);
  PlainText& UseCrLf(bool on);

  const std::string& Text() const { return text_; }
  void WriteTo(const std::string& path) const;

 private:
  void EndLine();
  std::string text_;
  bool crlf_ = false;
};

// The shortest decimal form of a double that reads back to the same value.
std::string FormatNumber(double value);

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
