// Writer of binary LAT files for tests: valid files of any shape, and broken ones.
//
// How to use it:
//
//   lattest::BinaryLattice lat;           // starts as a valid uniform 1x1x1 float lattice
//   lat.nDim = 3;
//   lat.dims = {2, 3, 1};                 // node counts; a missing one is written as 1
//   lat.nDataVar = 1;
//   lat.primType = 3;                     // file value type code 0..4 (3 = 32-bit float)
//   lat.geometryType = lat::binary::kUniform;
//   lat.values = {1, 2, 3, 4, 5, 6};      // node values, converted to primType when encoded
//   lat.coords = {0, 1, 0, 2, 0, 0};      // coordinate list as written (bounds here)
//   lattest::BinaryImage image = lattest::EncodeBinary(lat);
//   image.SetInt(lattest::BinaryField::PrimTypeTag, 9);   // corrupt any four-byte field
//   image.Truncate(100);                                  // cut the file at any byte
//   image.WriteTo(path);
//
// The encoding follows the record order of the format: magic line, the three bytes after
// it, lattice record, lattice dimension list, data record, geometry record, data dimension
// list, value list, geometry dimension list, coordinate list. All references hold their
// valid record numbers; every count holds the number of elements actually written
// (values.size(), coords.size(), nDim entries per dimension list), so giving the wrong
// number of values or coordinates yields a file whose count is "wrong" for the lattice.
// The geometry record has one extra field for geometry type 0, two for types 1 and 2 and
// none for any other type. Use rawValues for bytes that should be written as they are.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "formats/LatBinaryFormat.h"

namespace lattest {

// What a binary file holds; encoded by EncodeBinary.
struct BinaryLattice {
  std::string magicLine{lat::binary::kMagicLine};
  std::array<std::uint8_t, 3> magicTail{0x0C, 0x0C, 0x0A};
  std::int32_t nDim = 3;
  // Node counts x, y, z. Each dimension list writes nDim entries; entries beyond this
  // vector are written as 1.
  std::vector<std::int32_t> dims{1, 1, 1};
  std::int32_t nDataVar = 1;
  std::int32_t primType = 3;
  std::int32_t geometryType = lat::binary::kUniform;
  // Node values, in the encoding of primType (a valid code 0..4 is needed then).
  std::vector<double> values;
  // When set, written instead of `values`, byte for byte; the count field is the byte
  // count divided by the value size (1 for an invalid primType).
  std::optional<std::vector<std::uint8_t>> rawValues;
  // The coordinate list: bounds (uniform), x then y then z lists (rectilinear), or
  // x, y, z per node (curvilinear).
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

  // Offset of a field, or kAbsent when the layout has no such field.
  std::size_t Offset(BinaryField field) const;
  // Overwrites a field with a big-endian 32-bit value (the field must be present).
  void SetInt(BinaryField field, std::int32_t value);
  void SetIntAt(std::size_t offset, std::int32_t value);
  std::int32_t GetInt(BinaryField field) const;
  // Cuts the file to its first `size` bytes.
  void Truncate(std::size_t size);
  // Appends bytes after the last record.
  void Append(const std::vector<std::uint8_t>& extra);
  std::size_t Size() const { return bytes.size(); }
  void WriteTo(const std::string& path) const;

  std::array<std::size_t, static_cast<std::size_t>(BinaryField::Count)> offsets{};
};

BinaryImage EncodeBinary(const BinaryLattice& lattice);

// Appends big-endian encodings, as the format stores them.
void PutInt32(std::vector<std::uint8_t>& out, std::int32_t value);
void PutFloat(std::vector<std::uint8_t>& out, float value);
// One value of file type code 0..4, rounded and saturated for the integer types.
void PutValue(std::vector<std::uint8_t>& out, std::int32_t primType, double value);

// Convenience: n values 1, 2, 3, ... (or start, start + step, ...).
std::vector<double> Ramp(std::size_t n, double start = 1.0, double step = 1.0);

}  // namespace lattest
