// Binary LAT files that must be refused: each malformed field with the file position the
// error reports, files cut short at every byte, and sizes the file cannot hold.
#include <array>

#include "formats/LatBinaryFormat.h"
#include "tests/import/ImportHarness.h"

namespace lattest {
namespace {

namespace bin = lat::binary;

// One field set to a bad value, and where reading stands when the fault is seen.
struct FieldFault {
  BinaryField field;
  std::int32_t value;
  std::int64_t position;  // in the writer-made file of SmallBinary
  const char* what;
};

class BinaryFaultsTest : public ImportTest {
 protected:
  void ExpectFault(std::int32_t geometry, const FieldFault& fault) {
    SCOPED_TRACE(fault.what);
    BinaryImage image = EncodeBinary(SmallBinary(geometry));
    image.SetInt(fault.field, fault.value);
    host.Clear();
    ExpectBadBinary(WriteBinary(image), fault.position);
  }
};

// Offsets in the uniform 2 x 3 x 1 float file: lattice record at 53, its dimension list at
// 69, data record at 85, geometry record at 109, data dimension list at 129, value list at
// 145 (values 149..172), geometry dimension list at 173, bounds at 189 (values 193..216).
TEST_F(BinaryFaultsTest, RefusesEachMalformedFieldWhereItIsRead) {
  const FieldFault faults[] = {
      {BinaryField::LatticeNDim, 0, 57, "lattice nDim 0"},
      {BinaryField::LatticeNDim, 4, 57, "lattice nDim 4"},
      {BinaryField::LatticeDimsRef, -1, 61, "negative dimsRef"},
      {BinaryField::LatticeDimsRef, 1, 69, "dimsRef not 0"},
      {BinaryField::DataRef, -1, 65, "negative dataRef"},
      {BinaryField::DataRef, 2, 85, "dataRef not 1"},
      {BinaryField::GeometryRef, -3, 69, "negative geometryRef"},
      {BinaryField::GeometryRef, 1, 109, "geometryRef not 2"},
      {BinaryField::LatticeDimsCount, 2, 73, "lattice dimension count"},
      {BinaryField::LatticeDim0, 0, 85, "node count 0"},
      {BinaryField::LatticeDim0 + 2, -5, 85, "negative node count"},
      {BinaryField::DataNDim, 0, 89, "data nDim 0"},
      {BinaryField::DataNDim, 2, 109, "data nDim differs"},
      {BinaryField::DataDimsRef, -1, 93, "negative data dimsRef"},
      {BinaryField::NDataVar, 0, 97, "nDataVar 0"},
      {BinaryField::NDataVar, -2, 97, "negative nDataVar"},
      {BinaryField::PrimType, 4, 109, "primType differs from its tag"},
      {BinaryField::PrimTypeTag, 5, 105, "tag 5"},
      {BinaryField::PrimTypeTag, -1, 105, "tag -1"},
      {BinaryField::ValuesRef, -1, 109, "negative valuesRef"},
      {BinaryField::ValuesRef, 3, 145, "valuesRef not 4"},
      {BinaryField::GeometryNDim, 4, 113, "geometry nDim 4"},
      {BinaryField::GeometryNDim, 1, 121, "geometry nDim differs"},
      {BinaryField::GeometryDimsRef, -1, 117, "negative geometry dimsRef"},
      {BinaryField::GeometryDimsRef, 4, 173, "geometry dimsRef not 5"},
      {BinaryField::GeometryType, 1, 125, "geometry type differs from its tag"},
      {BinaryField::GeometryTypeTag, 2, 125, "geometry tag differs"},
      {BinaryField::GeometryField5, -1, 129, "negative boundsRef"},
      {BinaryField::GeometryField5, 5, 189, "boundsRef not 6"},
      {BinaryField::DataDimsCount, 2, 133, "data dimension count"},
      {BinaryField::DataDim0 + 1, 4, 145, "data dimension list differs"},
      {BinaryField::ValueCount, 5, 149, "value count"},
      {BinaryField::GeometryDimsCount, 4, 177, "geometry dimension count"},
      {BinaryField::GeometryDim0 + 2, 2, 189, "geometry dimension list differs"},
      {BinaryField::CoordCount, 4, 193, "bounds count"},
  };
  for (const FieldFault& fault : faults) ExpectFault(bin::kUniform, fault);
  EXPECT_TRUE(host.objects.empty());
}

// Rectilinear 2 x 3 x 1: geometry record 109..132, data dimension list at 133, value list
// at 149 (values 153..176), geometry dimension list at 177, coordinates at 193 (197..220).
TEST_F(BinaryFaultsTest, RefusesMalformedRectilinearFields) {
  const FieldFault faults[] = {
      {BinaryField::GeometryField5, 7, 129, "nRectCoord not the sum of the node counts"},
      {BinaryField::GeometryField6, -1, 133, "negative rectCoordsRef"},
      {BinaryField::GeometryField6, 7, 193, "rectCoordsRef not 6"},
      {BinaryField::GeometryDimsRef, 6, 177, "geometry dimsRef not 5"},
      {BinaryField::CoordCount, 5, 197, "coordinate count"},
  };
  for (const FieldFault& fault : faults) ExpectFault(bin::kRectilinear, fault);
  EXPECT_TRUE(host.objects.empty());
}

TEST_F(BinaryFaultsTest, RefusesAnIncompleteRectilinearListOfATwoDimensionalFile) {
  BinaryLattice lat = SmallBinary(bin::kRectilinear);
  lat.nDim = 2;
  BinaryImage image = EncodeBinary(lat);
  EXPECT_EQ(image.GetInt(BinaryField::GeometryField5), 6);  // 2 + 3 + 1: z is counted
  image.SetInt(BinaryField::GeometryField5, 5);
  ExpectBadBinary(WriteBinary(image),
                  static_cast<std::int64_t>(image.Offset(BinaryField::GeometryField5)) + 4);
}

// Curvilinear 2 x 3 x 1: the coordinate list is checked after the header was delivered.
TEST_F(BinaryFaultsTest, RefusesMalformedCurvilinearFields) {
  ExpectFault(bin::kCurvilinear, {BinaryField::GeometryField5, 2, 129, "nCoordVar not 3"});
  ExpectFault(bin::kCurvilinear, {BinaryField::GeometryField6, -1, 133, "negative nodeCoordsRef"});
  EXPECT_TRUE(host.objects.empty());
  ExpectFault(bin::kCurvilinear, {BinaryField::GeometryField6, 5, 193, "nodeCoordsRef not 6"});
  EXPECT_EQ(host.Sequence(), "C");
  ExpectFault(bin::kCurvilinear, {BinaryField::CoordCount, 12, 197, "coordinate count"});
  EXPECT_EQ(host.Sequence(), "C");
}

TEST_F(BinaryFaultsTest, RefusesWrongBytesAfterTheMagicLine) {
  const std::array<std::uint8_t, 3> tails[] = {
      {0x0C, 0x0C, 0x0D}, {0x0C, 0x0A, 0x0A}, {0x0A, 0x0C, 0x0C}};
  const std::int64_t positions[] = {53, 52, 51};
  for (std::size_t i = 0; i < 3; ++i) {
    BinaryLattice lat = SmallBinary(bin::kUniform);
    lat.magicTail = tails[i];
    ExpectBadBinary(WriteBinary(EncodeBinary(lat)), positions[i]);
  }
}

TEST_F(BinaryFaultsTest, UnknownGeometryTypeReadsTheValuesThenRaisesErrCode1) {
  BinaryLattice lat = SmallBinary(bin::kUniform);
  lat.geometryType = 3;
  lat.coords.clear();
  const BinaryImage image = EncodeBinary(lat);
  ExpectError(WriteBinary(image), "LatImpBinary", hostfw::ErrCode::UnknownCode, {});
  EXPECT_TRUE(host.objects.empty());
  // A geometry dimension list that disagrees is found first: it is read before.
  BinaryImage broken = image;
  broken.SetInt(BinaryField::GeometryDim0, 7);
  ExpectBadBinary(WriteBinary(broken),
                  static_cast<std::int64_t>(broken.Offset(BinaryField::CoordCount)));
}

// Where a file cut at `size` stops: at its end, or where a list that the rest of the
// file cannot hold begins (its count was read, its values were not).
std::int64_t CutPosition(const BinaryImage& image, std::int32_t geometry, std::size_t size) {
  const std::size_t valuesEnd = image.Offset(BinaryField::GeometryDimsCount);
  if (size >= image.firstValue && size < valuesEnd)
    return static_cast<std::int64_t>(image.firstValue);
  if (geometry != bin::kUniform && size >= image.firstCoord)
    return static_cast<std::int64_t>(image.firstCoord);
  return static_cast<std::int64_t>(size);
}

TEST_F(BinaryFaultsTest, RefusesAFileCutShortAtAnyByte) {
  for (std::int32_t geometry = 0; geometry < 3; ++geometry) {
    const BinaryImage whole = EncodeBinary(SmallBinary(geometry));
    for (std::size_t size = bin::kMagicLine.size(); size < whole.Size(); ++size) {
      SCOPED_TRACE(testing::Message() << "geometry " << geometry << ", cut at " << size);
      BinaryImage cut = whole;
      cut.Truncate(size);
      ExpectBadBinary(WriteBinary(cut), CutPosition(whole, geometry, size));
    }
  }
}

TEST_F(BinaryFaultsTest, VersionWordCutFromItsLineFeedIsANumberError) {
  BinaryImage cut = EncodeBinary(SmallBinary(bin::kUniform));
  cut.Truncate(bin::kMagicLine.size() - 1);
  ExpectNumberError(WriteBinary(cut), 0);
}

// A header that promises more than the file holds.
class BinarySizeLimitTest : public BinaryFaultsTest {
 protected:
  BinaryImage Claim(std::int32_t nx, std::int32_t nDataVar, std::int32_t primType) {
    BinaryLattice lat;
    lat.dims = {nx, 1, 1};
    lat.nDataVar = nDataVar;
    lat.primType = primType;
    lat.values = Ramp(4);
    lat.coords.assign(6, 0.0f);
    return EncodeBinary(lat);
  }
};

// 2^31 - 1 one-byte values in 200 bytes: the fault tests, under an address-space limit.
TEST_F(BinarySizeLimitTest, RefusesAValueListOneByteLargerThanTheFile) {
  BinaryImage tight = Claim(5, 1, 0);
  tight.SetInt(BinaryField::ValueCount, 5);
  tight.Truncate(tight.firstValue + 4);
  ExpectBadBinary(WriteBinary(tight), static_cast<std::int64_t>(tight.firstValue));
}

TEST_F(BinarySizeLimitTest, RefusesValueListsOf2To31BytesOrMore) {
  const struct {
    std::int32_t nx, nDataVar, primType;
  } claims[] = {
      {0x40000000, 1, 4},           // 2^30 doubles: 2^33 bytes
      {0x20000000, 1, 2},           // 2^29 ints: exactly 2^31 bytes
      {0x7FFFFFFF, 0x7FFFFFFF, 0},  // a count beyond 32 bits
  };
  for (const auto& claim : claims) {
    BinaryImage image = Claim(claim.nx, claim.nDataVar, claim.primType);
    ExpectBadBinary(WriteBinary(image),
                    static_cast<std::int64_t>(image.Offset(BinaryField::ValueCount)));
  }
}

TEST_F(BinarySizeLimitTest, RefusesCoordinateListsLargerThanTheFile) {
  BinaryImage rectilinear = EncodeBinary(SmallBinary(bin::kRectilinear));
  rectilinear.Truncate(rectilinear.firstCoord + 20);
  ExpectBadBinary(WriteBinary(rectilinear), static_cast<std::int64_t>(rectilinear.firstCoord));
  EXPECT_TRUE(host.objects.empty());
  BinaryImage curvilinear = EncodeBinary(SmallBinary(bin::kCurvilinear));
  curvilinear.Truncate(curvilinear.firstCoord + 68);
  ExpectBadBinary(WriteBinary(curvilinear), static_cast<std::int64_t>(curvilinear.firstCoord));
  EXPECT_EQ(host.Sequence(), "C");
}

}  // namespace
}  // namespace lattest
