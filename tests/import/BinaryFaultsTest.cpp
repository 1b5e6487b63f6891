// Binary LAT files that must be refused: each malformed field with the file position the
// error reports, files cut short at every byte, and sizes the file cannot hold.
#include "tests/import/ImportHarness.h"

namespace lattest {
namespace {

namespace bin = lat::binary;

using BinaryFaultsTest = ImportTest;

// Offsets in the 2 x 3 x 1 float files: lattice record at 53, its dimension list at 69, data
// record at 85, geometry record at 109; uniform: data dimension list at 129, value list at
// 145, geometry dimension list at 173, bounds at 189; the others 4 bytes later from 129 on.
TEST_F(BinaryFaultsTest, RefusesEachMalformedFieldWhereItIsRead) {
  const struct {
    Sample sample;
    BinaryField field;
    std::int32_t value;
    std::int64_t position;
    const char* sequence;  // what reached the host
  } faults[] = {
      {{bin::kUniform}, BinaryField::LatticeNDim, 0, 57, ""},
      {{bin::kUniform}, BinaryField::LatticeNDim, 4, 57, ""},
      {{bin::kUniform}, BinaryField::LatticeDimsRef, -1, 61, ""},  // every reference
      {{bin::kUniform}, BinaryField::LatticeDimsRef, 1, 69, ""},
      {{bin::kUniform}, BinaryField::DataRef, 2, 85, ""},
      {{bin::kUniform}, BinaryField::GeometryRef, 1, 109, ""},
      {{bin::kUniform}, BinaryField::LatticeDimsCount, 2, 73, ""},
      {{bin::kUniform}, BinaryField::LatticeDim0, 0, 85, ""},
      {{bin::kUniform}, BinaryField::DataNDim, 0, 89, ""},
      {{bin::kUniform}, BinaryField::DataNDim, 2, 109, ""},
      {{bin::kUniform}, BinaryField::NDataVar, 0, 97, ""},
      {{bin::kUniform}, BinaryField::PrimType, 4, 109, ""},
      {{bin::kUniform}, BinaryField::PrimTypeTag, 5, 105, ""},
      {{bin::kUniform}, BinaryField::ValuesRef, 3, 145, ""},
      {{bin::kUniform}, BinaryField::GeometryNDim, 4, 113, ""},
      {{bin::kUniform}, BinaryField::GeometryNDim, 1, 121, ""},
      {{bin::kUniform}, BinaryField::GeometryDimsRef, 4, 173, ""},
      {{bin::kUniform}, BinaryField::GeometryTypeTag, 2, 125, ""},
      {{bin::kUniform}, BinaryField::GeometryField5, 5, 189, ""},  // boundsRef
      {{bin::kUniform}, BinaryField::DataDimsCount, 2, 133, ""},
      {{bin::kUniform}, BinaryField::DataDim0 + 1, 4, 145, ""},
      {{bin::kUniform}, BinaryField::ValueCount, 5, 149, ""},
      {{bin::kUniform}, BinaryField::GeometryDim0 + 2, 2, 189, ""},
      {{bin::kUniform}, BinaryField::CoordCount, 4, 193, ""},
      {{bin::kRectilinear}, BinaryField::GeometryField5, 7, 129, ""},  // nRectCoord
      {{bin::kRectilinear}, BinaryField::GeometryField6, 7, 193, ""},  // rectCoordsRef
      {{bin::kRectilinear}, BinaryField::CoordCount, 5, 197, ""},
      {{bin::kCurvilinear}, BinaryField::GeometryField5, 2, 129, ""},  // nCoordVar
      {{bin::kCurvilinear}, BinaryField::GeometryField6, 5, 193, "C"},  // nodeCoordsRef
      {{bin::kCurvilinear}, BinaryField::CoordCount, 12, 197, "C"},
  };
  for (const auto& fault : faults) {
    SCOPED_TRACE(testing::Message() << "kind " << fault.sample.kind << " field "
                                    << static_cast<int>(fault.field) << " = " << fault.value);
    BinaryImage image = EncodeBinary(fault.sample.Binary());
    image.SetInt(fault.field, fault.value);
    host.Clear();
    ExpectBadBinary(Write(image), fault.position);
    EXPECT_EQ(host.Sequence(), fault.sequence);
  }
}

TEST_F(BinaryFaultsTest, RefusesOtherBadHeaders) {
  BinaryLattice lat = Sample{bin::kUniform}.Binary();
  lat.magicTail = {0x0C, 0x0C, 0x0D};
  ExpectBadBinary(Write(EncodeBinary(lat)), 53);
  // The version word cut from its line feed is a number error.
  BinaryImage cut = EncodeBinary(Sample{}.Binary());
  cut.Truncate(bin::kMagicLine.size() - 1);
  ExpectNumberError(Write(cut), 0);
  // An unknown geometry type reads the values, then raises ErrCode 1; a geometry dimension
  // list that disagrees is found first.
  lat = Sample{}.Binary();
  lat.geometryType = 3;
  BinaryImage unknown = EncodeBinary(lat);
  ExpectError(Write(unknown), "LatImpBinary", hostfw::ErrCode::UnknownCode, {});
  unknown.SetInt(BinaryField::GeometryDim0, 7);
  ExpectBadBinary(Write(unknown), std::int64_t(unknown.Offset(BinaryField::CoordCount)));
  EXPECT_TRUE(host.objects.empty());
}

// A file cut at `size` stops at its end, or where a list that the rest of the file cannot
// hold begins (its count was read, its values were not).
TEST_F(BinaryFaultsTest, RefusesAFileCutShortAtAnyByte) {
  for (std::int32_t kind = 0; kind < 3; ++kind) {
    const BinaryImage whole = EncodeBinary(Sample{kind}.Binary());
    for (std::size_t size = bin::kMagicLine.size(); size < whole.Size(); ++size) {
      SCOPED_TRACE(testing::Message() << "kind " << kind << ", cut at " << size);
      std::size_t position = size;
      if (size >= whole.firstValue && size < whole.Offset(BinaryField::GeometryDimsCount))
        position = whole.firstValue;
      else if (kind != bin::kUniform && size >= whole.firstCoord)
        position = whole.firstCoord;
      BinaryImage cut = whole;
      cut.Truncate(size);
      ExpectBadBinary(Write(cut), std::int64_t(position));
    }
  }
}

// Value lists of 2^31 bytes or more are refused before their buffers are allocated (and
// lists larger than the rest of the file, as the cuts above show).
TEST_F(BinaryFaultsTest, RefusesValueListsOf2To31Bytes) {
  const struct {
    std::int32_t code, nx, components;
  } claims[] = {{4, 0x40000000, 1}, {2, 0x20000000, 1}, {0, 0x7FFFFFFF, 0x7FFFFFFF}};
  for (const auto& claim : claims) {
    BinaryLattice lat = Sample{0, claim.code, 1, {1, 1, 1}}.Binary();
    lat.dims[0] = claim.nx;
    lat.nDataVar = claim.components;
    const BinaryImage image = EncodeBinary(lat);
    ExpectBadBinary(Write(image), std::int64_t(image.Offset(BinaryField::ValueCount)));
  }
}

}  // namespace
}  // namespace lattest
