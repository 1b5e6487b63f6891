// Writer of binary LAT files for tests, valid ones of any shape and broken ones: encode a
// BinaryLattice, then corrupt a field (SetInt), cut the file or add bytes. References hold
// their record numbers, counts the number of elements written.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "formats/LatBinaryFormat.h"

namespace lattest {

struct BinaryLattice {
  std::string magicLine{lat::binary::kMagicLine};
  std::array<std::uint8_t, 3> magicTail{0x0C, 0x0C, 0x0A};
  std::int32_t nDim = 3;
  // Node counts x, y, z; each dimension list writes nDim entries, 1 beyond these.
  std::vector<std::int32_t> dims{1, 1, 1};
  std::int32_t nDataVar = 1;
  std::int32_t primType = 3;
  std::int32_t geometryType = lat::binary::kUniform;
  // Node values, in the encoding of primType (a valid code 0..4 is needed then).
  std::vector<double> values;
  // When set, written instead of `values`, byte for byte; the count field is the byte
  // count divided by the value size (1 for an invalid primType).
  std::optional<std::vector<std::uint8_t>> rawValues;
  // Bounds (uniform), the x, y, z lists (rectilinear) or x, y, z per node (curvilinear).
  std::vector<float> coords;
  // Curvilinear nCoordVar as written (the format requires 3).
  std::int32_t nCoordVar = lat::binary::kNodeCoordVar;
};

// The four-byte fields of an encoded file.
enum class BinaryField : int {
  LatticeNDim,
  LatticeDimsRef,
  DataRef,
  GeometryRef,
  LatticeDimsCount,
  LatticeDim0,  // LatticeDim0 + i is entry i of the lattice dimension list
  DataNDim = LatticeDim0 + 8,
  DataDimsRef,
  NDataVar,
  PrimType,
  PrimTypeTag,
  ValuesRef,
  GeometryNDim,
  GeometryDimsRef,
  GeometryType,
  GeometryTypeTag,
  GeometryField5,  // boundsRef, nRectCoord or nCoordVar
  GeometryField6,  // rectCoordsRef or nodeCoordsRef
  DataDimsCount,
  DataDim0,
  ValueCount = DataDim0 + 8,
  GeometryDimsCount,
  GeometryDim0,
  CoordCount = GeometryDim0 + 8,
  Count
};
constexpr BinaryField operator+(BinaryField f, int i) {
  return static_cast<BinaryField>(static_cast<int>(f) + i);
}

// An encoded file: its bytes and where each field stands.
class BinaryImage {
 public:
  static constexpr std::size_t kAbsent = static_cast<std::size_t>(-1);

  std::vector<std::uint8_t> bytes;
  std::size_t firstValue = kAbsent;  // offset of the first byte of the value list's values
  std::size_t firstCoord = kAbsent;  // offset of the first coordinate
  std::array<std::size_t, static_cast<std::size_t>(BinaryField::Count)> offsets{};

  // Offset of a field, or kAbsent when the layout has no such field.
  std::size_t Offset(BinaryField field) const { return offsets[static_cast<std::size_t>(field)]; }
  // Overwrites a present field with a big-endian 32-bit value.
  void SetInt(BinaryField field, std::int32_t value);
  void Truncate(std::size_t size) { bytes.resize(std::min(size, bytes.size())); }
  void Append(const std::vector<std::uint8_t>& extra) {
    bytes.insert(bytes.end(), extra.begin(), extra.end());
  }
  std::size_t Size() const { return bytes.size(); }
  void WriteTo(const std::string& path) const;
};

BinaryImage EncodeBinary(const BinaryLattice& lattice);

}  // namespace lattest
