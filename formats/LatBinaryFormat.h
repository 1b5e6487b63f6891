// Layout of the binary LAT file: magic bytes, records, reference numbers, value types.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace lat::binary {

// The text line every writer-made binary file starts with (50 bytes, ending in a line feed).
inline constexpr std::string_view kMagicLine =
    "#!/usr/explorer/bin/explorer cxLattice binary 2.0\n";
// The three bytes that follow the whitespace ending the version word.
inline constexpr unsigned char kMagicTail[3] = {0x0C, 0x0C, 0x0A};
inline constexpr std::size_t kMagicTailSize = sizeof(kMagicTail);
// Bytes before the first record of a writer-made file.
inline constexpr std::size_t kMagicSize = kMagicLine.size() + kMagicTailSize;
static_assert(kMagicSize == 53);

// The magic line and the three bytes after it in one piece, as a writer writes them.
constexpr std::array<unsigned char, kMagicSize> MakeMagicBytes() {
  std::array<unsigned char, kMagicSize> bytes{};
  for (std::size_t i = 0; i < kMagicLine.size(); ++i)
    bytes[i] = static_cast<unsigned char>(kMagicLine[i]);
  for (std::size_t i = 0; i < kMagicTailSize; ++i) bytes[kMagicLine.size() + i] = kMagicTail[i];
  return bytes;
}
inline constexpr std::array<unsigned char, kMagicSize> kMagicBytes = MakeMagicBytes();

// Number of dimensions a lattice may have.
inline constexpr std::int32_t kMinDim = 1;
inline constexpr std::int32_t kMaxDim = 3;

// Every integer field, count and coordinate is 4 bytes.
inline constexpr std::size_t kFieldSize = 4;

// A writer always writes three dimensions (a flat lattice has nz 1).
inline constexpr std::int32_t kWriterNDim = 3;
// A uniform lattice's coordinate list: first and last coordinate along each of the axes.
inline constexpr std::int32_t kUniformBoundsCount = 2 * kWriterNDim;

// Records, as four-byte fields each.
struct LatticeRecord {
  std::int32_t nDim = 0;
  std::int32_t dimsRef = 0;
  std::int32_t dataRef = 0;
  std::int32_t geometryRef = 0;
};

struct DataRecord {
  std::int32_t nDim = 0;
  std::int32_t dimsRef = 0;
  std::int32_t nDataVar = 0;
  std::int32_t primType = 0;
  std::int32_t primTypeTag = 0;
  std::int32_t valuesRef = 0;
};

// The last two fields depend on the geometry type: boundsRef (uniform, one field),
// nRectCoord and rectCoordsRef (rectilinear), nCoordVar and nodeCoordsRef (curvilinear).
struct GeometryRecord {
  std::int32_t nDim = 0;
  std::int32_t dimsRef = 0;
  std::int32_t geometryType = 0;
  std::int32_t geometryTypeTag = 0;
  std::int32_t boundsRef = 0;
  std::int32_t nRectCoord = 0;
  std::int32_t rectCoordsRef = 0;
  std::int32_t nCoordVar = 0;
  std::int32_t nodeCoordsRef = 0;
};

// Numbers of the records after the lattice record; in a valid file every reference
// holds the number of the record it points to, which is fixed by the record order.
enum RecordNumber : std::int32_t {
  kLatticeDimsRecord = 0,
  kDataRecordNumber = 1,
  kGeometryRecordNumber = 2,
  kDataDimsRecord = 3,
  kValueListRecord = 4,
  kGeometryDimsRecord = 5,
  kCoordListRecord = 6,
};

// Geometry type codes.
enum GeometryType : std::int32_t {
  kUniform = 0,
  kRectilinear = 1,
  kCurvilinear = 2,
};
inline constexpr std::int32_t kGeometryTypeCount = 3;

// Coordinates per node of a curvilinear file.
inline constexpr std::int32_t kNodeCoordVar = 3;
// Coordinates are 32-bit floats: CPrimType code 7, 4 bytes.
inline constexpr int kCoordPrimType = 7;
inline constexpr int kCoordSize = 4;

// Value type codes of the file and the CPrimType codes they stand for.
struct ValueType {
  std::int32_t fileCode;
  int primType;  // hostbase::CPrimType code
  int size;      // bytes per value
};
inline constexpr ValueType kValueTypes[] = {
    {0, 0, 1},  // 8-bit signed
    {1, 2, 2},  // 16-bit signed
    {2, 4, 4},  // 32-bit signed
    {3, 7, 4},  // 32-bit float
    {4, 8, 8},  // 64-bit double
};
inline constexpr std::int32_t kValueTypeCount = 5;

constexpr bool IsValueTypeCode(std::int32_t code) {
  return code >= 0 && code < kValueTypeCount;
}
// CPrimType code of a file value type code (which must be valid).
constexpr int PrimTypeOfCode(std::int32_t code) {
  return kValueTypes[code].primType;
}
// File value type code of a CPrimType code, or -1 when the format has no such type.
constexpr std::int32_t CodeOfPrimType(int primType) {
  for (const ValueType& t : kValueTypes)
    if (t.primType == primType) return t.fileCode;
  return -1;
}

// Lists hold fewer than 2^31 bytes and values: their counts are 32-bit signed.
inline constexpr std::int64_t kListLimit = std::int64_t{1} << 31;

// Byte offsets of the fields in a writer-made file (always three dimensions).
namespace offset {
inline constexpr std::size_t kLatticeNDim = 53;
inline constexpr std::size_t kLatticeDimsRef = 57;
inline constexpr std::size_t kDataRef = 61;
inline constexpr std::size_t kGeometryRef = 65;
inline constexpr std::size_t kLatticeDimsCount = 69;
inline constexpr std::size_t kLatticeDims = 73;
inline constexpr std::size_t kDataNDim = 85;
inline constexpr std::size_t kDataDimsRef = 89;
inline constexpr std::size_t kNDataVar = 93;
inline constexpr std::size_t kPrimType = 97;
inline constexpr std::size_t kPrimTypeTag = 101;
inline constexpr std::size_t kValuesRef = 105;
inline constexpr std::size_t kGeometryNDim = 109;
inline constexpr std::size_t kGeometryDimsRef = 113;
inline constexpr std::size_t kGeometryType = 117;
inline constexpr std::size_t kGeometryTypeTag = 121;
// boundsRef (uniform), nRectCoord (rectilinear) or nCoordVar (curvilinear).
inline constexpr std::size_t kGeometryField5 = 125;
// rectCoordsRef or nodeCoordsRef (rectilinear and curvilinear only).
inline constexpr std::size_t kGeometryField6 = 129;
inline constexpr std::size_t kUniformDataDimsCount = 129;
inline constexpr std::size_t kDataDimsCount = 133;
inline constexpr std::size_t kUniformValueCount = 145;
inline constexpr std::size_t kValueCount = 149;
inline constexpr std::size_t kUniformFirstValue = 149;
inline constexpr std::size_t kFirstValue = 153;
}  // namespace offset

}  // namespace lat::binary
