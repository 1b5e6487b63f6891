// A lattice held in memory: what an import delivers and what an export takes.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <vector>

#include "hostbase/PageBuffer.h"
#include "latclient/Api.h"

namespace latclient {

enum class Kind { Uniform, Rectilinear, Curvilinear };

// "uniform", "rectilinear", "curvilinear".
LATCLIENT_API const char* KindName(Kind kind) noexcept;

struct LATCLIENT_API Lattice {
  Kind kind = Kind::Uniform;
  int dataType = 7;  // hostbase::CPrimType code of the values
  int nx = 1, ny = 1, nz = 1;
  int components = 1;

  // Uniform: node (0,0,0) and the distance between neighbours along x, y, z.
  std::array<double, 3> origin{0.0, 0.0, 0.0};
  std::array<double, 3> spacing{1.0, 1.0, 1.0};
  // Rectilinear: nx, ny and nz axis coordinates.
  std::vector<float> x, y, z;
  // Curvilinear: x, y, z of every node, in the values' node order.
  std::vector<float> coords;

  // Every value in row order (x fastest, then y, then z, the components of a node
  // adjacent), in the data type's native byte order. Owned; a host may move it out.
  // A large buffer is backed by huge pages where the system offers them, as filling it
  // page by page otherwise costs more than the import itself.
  hostbase::PageBuffer values;
  std::size_t valueBytes = 0;

  bool mayHaveBlanks = false;
  double blankValue = 0.0;  // the value marking a blanked node, when mayHaveBlanks
  std::string info;         // the import's "LatticeInfo" summary text
  bool complete = false;    // every row and the end marker arrived

  std::size_t NodeCount() const noexcept;
  // Bytes the values of nx x ny x nz x components of dataType take, or 0 when the counts
  // are not positive, the type is unknown or the size overflows.
  static std::size_t ValueBytesFor(int dataType, int nx, int ny, int nz, int components) noexcept;
};

}  // namespace latclient
