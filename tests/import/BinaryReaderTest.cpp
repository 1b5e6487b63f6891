// Binary LAT files that read: layout, geometries and dimensions, values and byte order,
// the object stream, progress, and a host that stops the import.
#include <array>
#include <cstring>

#include "formats/LatBinaryFormat.h"
#include "tests/import/ImportHarness.h"

namespace lattest {
namespace {

namespace bin = lat::binary;

class BinaryReaderTest : public ImportTest {
 protected:
  hostfw::ImportStatus ImportImage(const BinaryImage& image) { return Import(WriteBinary(image)); }
  const RecordedObject& Object(std::size_t i) const { return host.objects.at(i); }
};

TEST_F(BinaryReaderTest, WriterMadeFilesFollowTheDocumentedLayout) {
  const BinaryImage uniform = EncodeBinary(SmallBinary(bin::kUniform));
  EXPECT_EQ(uniform.Size(), 217u);
  EXPECT_EQ(uniform.Size(), static_cast<std::size_t>(bin::UniformFileSize(6, 4)));
  EXPECT_EQ(uniform.firstValue, bin::offset::kUniformFirstValue);
  EXPECT_EQ(uniform.firstCoord, uniform.Size() - 24);
  EXPECT_EQ(uniform.Offset(BinaryField::PrimTypeTag), bin::offset::kPrimTypeTag);
  EXPECT_EQ(uniform.Offset(BinaryField::GeometryField5), bin::offset::kGeometryField5);
  EXPECT_EQ(uniform.Offset(BinaryField::DataDimsCount), bin::offset::kUniformDataDimsCount);
  EXPECT_EQ(uniform.Offset(BinaryField::ValueCount), bin::offset::kUniformValueCount);
  const BinaryImage curvilinear = EncodeBinary(SmallBinary(bin::kCurvilinear));
  EXPECT_EQ(curvilinear.Size(), static_cast<std::size_t>(bin::CurvilinearFileSize(6, 4, 6)));
  EXPECT_EQ(curvilinear.Offset(BinaryField::GeometryField6), bin::offset::kGeometryField6);
  EXPECT_EQ(curvilinear.Offset(BinaryField::ValueCount), bin::offset::kValueCount);
  EXPECT_EQ(curvilinear.firstValue, bin::offset::kFirstValue);
  const BinaryImage rectilinear = EncodeBinary(SmallBinary(bin::kRectilinear));
  EXPECT_EQ(rectilinear.Size(), static_cast<std::size_t>(bin::RectilinearFileSize(6, 4, 2, 3, 1)));
  EXPECT_EQ(rectilinear.GetInt(BinaryField::GeometryField5), 6);  // nRectCoord 2 + 3 + 1
}

TEST_F(BinaryReaderTest, UniformLatticeArrivesAsHeaderRowsAndEnd) {
  ASSERT_EQ(ImportImage(EncodeBinary(SmallBinary(bin::kUniform))), 0);
  ASSERT_EQ(host.Sequence(), "U S S S E");
  const RecordedObject& header = Object(0);
  EXPECT_EQ(header.nx, 2);
  EXPECT_EQ(header.ny, 3);
  EXPECT_EQ(header.nz, 1);
  EXPECT_EQ(header.numComponents, 1);
  EXPECT_EQ(header.dataType, 7);
  EXPECT_EQ(header.scanMode, 0);
  EXPECT_EQ(header.scanParam, 0);
  EXPECT_EQ(header.origin, (std::array<double, 3>{0, 0, 0}));
  EXPECT_EQ(header.spacing, (std::array<double, 3>{1, 1, 0}));
  EXPECT_TRUE(header.hasLatticeInfo);
  EXPECT_EQ(Object(1).Values<float>(), (std::vector<float>{1, 2}));
  EXPECT_EQ(Object(2).Values<float>(), (std::vector<float>{3, 4}));
  EXPECT_EQ(Object(3).Values<float>(), (std::vector<float>{5, 6}));
  EXPECT_EQ(host.fractions, std::vector<double>{0.0});
}

TEST_F(BinaryReaderTest, RowsRunYFastestThenZ) {
  BinaryLattice lat;
  lat.dims = {2, 2, 3};
  lat.nDataVar = 2;
  lat.primType = 2;
  lat.values = Ramp(24, 0);
  lat.coords = {0, 1, 0, 1, 0, 1};
  ASSERT_EQ(ImportImage(EncodeBinary(lat)), 0);
  ASSERT_EQ(host.Count(Kind::Scan), 6u);
  for (std::size_t row = 0; row < 6; ++row) {
    const std::int32_t first = static_cast<std::int32_t>(row) * 4;
    EXPECT_EQ(Object(1 + row).Values<std::int32_t>(),
              (std::vector<std::int32_t>{first, first + 1, first + 2, first + 3}));
  }
}

TEST_F(BinaryReaderTest, UniformBoundsGiveOriginAndSpacingInSinglePrecision) {
  BinaryLattice lat;
  lat.dims = {11, 1, 4};
  lat.values = Ramp(44);
  lat.coords = {0, 10, 2, 5, 0.1f, 1.0f};
  ASSERT_EQ(ImportImage(EncodeBinary(lat)), 0);
  const RecordedObject& header = Object(0);
  EXPECT_EQ(header.origin, (std::array<double, 3>{0, 2, 0.1f}));
  const float dz = (1.0f - 0.1f) / 3.0f;
  EXPECT_EQ(header.spacing, (std::array<double, 3>{1, 3, dz}));
  EXPECT_NE(header.spacing[2], (1.0 - 0.1) / 3.0);
}

TEST_F(BinaryReaderTest, NegativeBoundsGiveNegativeSpacing) {
  BinaryLattice lat;
  lat.dims = {3, 1, 1};
  lat.values = Ramp(3);
  lat.coords = {4, -2, 0, 0, 0, 0};
  ASSERT_EQ(ImportImage(EncodeBinary(lat)), 0);
  EXPECT_EQ(Object(0).origin[0], 4.0);
  EXPECT_EQ(Object(0).spacing[0], -3.0);
}

// A lattice of nDim dimensions with node counts 3, 2, 2 (as far as given).
BinaryLattice DimensionedLattice(std::int32_t geometry, std::int32_t nDim) {
  BinaryLattice lat;
  lat.nDim = nDim;
  lat.dims.assign({3, 2, 2});
  lat.dims.resize(static_cast<std::size_t>(nDim));
  lat.geometryType = geometry;
  const std::size_t nodes = nDim == 1 ? 3 : nDim == 2 ? 6 : 12;
  lat.values = Ramp(nodes);
  if (geometry == bin::kUniform) {
    const std::vector<float> bounds = {0, 4, 1, 5, 2, 6};
    lat.coords.assign(bounds.begin(), bounds.begin() + 2 * nDim);
  } else if (geometry == bin::kRectilinear) {
    // One coordinate for each axis the file does not give.
    lat.coords = {0, 1, 2, 10, 11, 20, 21};
    if (nDim < 3) lat.coords = {0, 1, 2, 10, 11, 7};
    if (nDim < 2) lat.coords = {0, 1, 2, 7, 8};
  } else {
    for (std::size_t i = 0; i < 3 * nodes; ++i) lat.coords.push_back(static_cast<float>(i) / 2);
  }
  return lat;
}

TEST_F(BinaryReaderTest, ReadsEveryGeometryInOneTwoAndThreeDimensions) {
  for (std::int32_t geometry = 0; geometry < 3; ++geometry) {
    for (std::int32_t nDim = 1; nDim <= 3; ++nDim) {
      SCOPED_TRACE(testing::Message() << "geometry " << geometry << ", nDim " << nDim);
      host.Clear();
      const BinaryLattice lat = DimensionedLattice(geometry, nDim);
      ASSERT_EQ(ImportImage(EncodeBinary(lat)), 0);
      const std::int32_t ny = nDim >= 2 ? 2 : 1, nz = nDim == 3 ? 2 : 1;
      const RecordedObject& header = Object(0);
      EXPECT_EQ(header.nx, 3);
      EXPECT_EQ(header.ny, ny);
      EXPECT_EQ(header.nz, nz);
      const std::size_t rows = static_cast<std::size_t>(ny * nz);
      const std::size_t scansPerRow = geometry == bin::kCurvilinear ? 2 : 1;
      EXPECT_EQ(host.Count(Kind::Scan), rows * scansPerRow);
      EXPECT_EQ(host.objects.back().kind, Kind::End);
      std::vector<float> values;
      for (double v : lat.values) values.push_back(static_cast<float>(v));
      const std::vector<std::uint8_t> data = host.ScanBytes(scansPerRow - 1, scansPerRow);
      ASSERT_EQ(data.size(), values.size() * 4);
      EXPECT_EQ(std::memcmp(data.data(), values.data(), data.size()), 0);
      if (geometry == bin::kUniform) {
        const std::array<double, 3> origin = {0, nDim >= 2 ? 1.0 : 0.0, nDim == 3 ? 2.0 : 0.0};
        const std::array<double, 3> spacing = {2, nDim >= 2 ? 4.0 : 0.0, nDim == 3 ? 4.0 : 0.0};
        EXPECT_EQ(header.origin, origin);
        EXPECT_EQ(header.spacing, spacing);
      } else if (geometry == bin::kRectilinear) {
        EXPECT_EQ(header.coordType, 7);
        const std::vector<float> all(lat.coords.begin(), lat.coords.end());
        EXPECT_EQ(header.xCoords, (std::vector<float>(all.begin(), all.begin() + 3)));
        EXPECT_EQ(header.yCoords, (std::vector<float>(all.begin() + 3, all.begin() + 3 + ny)));
        EXPECT_EQ(header.zCoords, (std::vector<float>(all.begin() + 3 + ny, all.end())));
      } else {
        const std::vector<std::uint8_t> coords = host.ScanBytes(0, 2);
        ASSERT_EQ(coords.size(), lat.coords.size() * 4);
        EXPECT_EQ(std::memcmp(coords.data(), lat.coords.data(), coords.size()), 0);
      }
    }
  }
}

TEST_F(BinaryReaderTest, CurvilinearRowsPairCoordinatesWithValues) {
  ASSERT_EQ(ImportImage(EncodeBinary(SmallBinary(bin::kCurvilinear))), 0);
  ASSERT_EQ(host.Sequence(), "C S S S S S S E");
  EXPECT_EQ(Object(0).coordType, 7);
  EXPECT_EQ(Object(1).Values<float>(), (std::vector<float>{0, 0, 0, 1, 0, 1}));
  EXPECT_EQ(Object(2).Values<float>(), (std::vector<float>{1, 2}));
  EXPECT_EQ(Object(5).Values<float>(), (std::vector<float>{0, 2, 2, 1, 2, 3}));
  EXPECT_EQ(Object(6).Values<float>(), (std::vector<float>{5, 6}));
}

TEST_F(BinaryReaderTest, ConvertsEveryValueTypeFromBigEndian) {
  const std::vector<double> values = {-1, 2, 100, -128, 127, 0};
  for (std::int32_t code = 0; code < 5; ++code) {
    SCOPED_TRACE(code);
    host.Clear();
    BinaryLattice lat;
    lat.dims = {3, 2, 1};
    lat.primType = code;
    lat.values = values;
    lat.coords.assign(6, 0.0f);
    ASSERT_EQ(ImportImage(EncodeBinary(lat)), 0);
    EXPECT_EQ(Object(0).dataType, bin::PrimTypeOfCode(code));
    const std::vector<std::uint8_t> bytes = host.ScanBytes();
    std::vector<double> read;
    switch (code) {
      case 0:
        for (auto v : Object(1).Values<std::int8_t>()) read.push_back(v);
        break;
      case 1:
        for (auto v : Object(1).Values<std::int16_t>()) read.push_back(v);
        break;
      case 2:
        for (auto v : Object(1).Values<std::int32_t>()) read.push_back(v);
        break;
      case 3:
        for (auto v : Object(1).Values<float>()) read.push_back(v);
        break;
      case 4:
        for (auto v : Object(1).Values<double>()) read.push_back(v);
        break;
    }
    EXPECT_EQ(read, (std::vector<double>{-1, 2, 100}));
    EXPECT_EQ(bytes.size(), 6u * static_cast<std::size_t>(bin::kValueTypes[code].size));
  }
}

TEST_F(BinaryReaderTest, KeepsBytesOfOneByteValuesAndReversesWiderOnes) {
  const std::vector<std::uint8_t> raw = {0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08};
  const std::vector<std::vector<std::uint8_t>> expected = {
      raw,
      {0x02, 0x01, 0x04, 0x03, 0x06, 0x05, 0x08, 0x07},
      {0x04, 0x03, 0x02, 0x01, 0x08, 0x07, 0x06, 0x05},
      {0x04, 0x03, 0x02, 0x01, 0x08, 0x07, 0x06, 0x05},
      {0x08, 0x07, 0x06, 0x05, 0x04, 0x03, 0x02, 0x01},
  };
  for (std::int32_t code = 0; code < 5; ++code) {
    SCOPED_TRACE(code);
    host.Clear();
    BinaryLattice lat;
    lat.primType = code;
    lat.nDataVar = 8 / bin::kValueTypes[code].size;
    lat.rawValues = raw;
    lat.coords.assign(6, 0.0f);
    ASSERT_EQ(ImportImage(EncodeBinary(lat)), 0);
    EXPECT_EQ(host.ScanBytes(), expected[static_cast<std::size_t>(code)]);
  }
}

TEST_F(BinaryReaderTest, AcceptsAnyNonNegativeDataDimsRef) {
  BinaryImage image = EncodeBinary(SmallBinary(bin::kUniform));
  image.SetInt(BinaryField::DataDimsRef, 9);
  EXPECT_EQ(ImportImage(image), 0);
  EXPECT_EQ(host.Sequence(), "U S S S E");
}

TEST_F(BinaryReaderTest, AcceptsCarriageReturnLineFeedAfterTheMagicLine) {
  BinaryLattice lat = SmallBinary(bin::kRectilinear);
  lat.magicLine = "#!/usr/explorer/bin/explorer cxLattice binary 2.0\r\n";
  EXPECT_EQ(ImportImage(EncodeBinary(lat)), 0);
  EXPECT_EQ(host.Sequence(), "R S S S E");
}

TEST_F(BinaryReaderTest, IgnoresBytesAfterTheCoordinateList) {
  for (std::int32_t geometry = 0; geometry < 3; ++geometry) {
    host.Clear();
    BinaryImage image = EncodeBinary(SmallBinary(geometry));
    image.Append({0xFF, 0x00, 0x13, 0x37, 0x0A});
    EXPECT_EQ(ImportImage(image), 0);
    EXPECT_EQ(host.objects.back().kind, Kind::End);
  }
}

TEST_F(BinaryReaderTest, ReportsProgressEveryTenthRow) {
  BinaryLattice lat;
  lat.dims = {1, 25, 1};
  lat.values = Ramp(25);
  lat.coords.assign(6, 0.0f);
  ASSERT_EQ(ImportImage(EncodeBinary(lat)), 0);
  EXPECT_EQ(host.fractions, (std::vector<double>{0.0, 0.4, 0.8}));
  EXPECT_EQ(host.stops, 1);
}

TEST_F(BinaryReaderTest, CancelAtTheFirstProgressReportStopsAfterTheFirstRow) {
  host.cancelAtProportion = 0;
  EXPECT_EQ(ImportImage(EncodeBinary(SmallBinary(bin::kUniform))), 1);
  EXPECT_EQ(host.Sequence(), "U S");
  host.Clear();
  EXPECT_EQ(ImportImage(EncodeBinary(SmallBinary(bin::kCurvilinear))), 1);
  EXPECT_EQ(host.Sequence(), "C S S");
}

TEST_F(BinaryReaderTest, StopsAtOnceWhenTheHostRefusesAnObject) {
  const BinaryImage image = EncodeBinary(SmallBinary(bin::kRectilinear));
  const char* const expected[] = {"R", "R S", "R S S", "R S S S", "R S S S E"};
  for (int refused = 0; refused < 5; ++refused) {
    SCOPED_TRACE(refused);
    host.Clear();
    host.refuseObject = refused;
    EXPECT_EQ(ImportImage(image), 1);
    EXPECT_EQ(host.Sequence(), expected[refused]);
  }
}

TEST_F(BinaryReaderTest, RefusedCurvilinearHeaderEndsBeforeTheCoordinates) {
  host.refuseObject = 0;
  BinaryImage image = EncodeBinary(SmallBinary(bin::kCurvilinear));
  image.SetInt(BinaryField::CoordCount, 5);  // never reached
  EXPECT_EQ(ImportImage(image), 1);
  EXPECT_EQ(host.Sequence(), "C");
}

}  // namespace
}  // namespace lattest
