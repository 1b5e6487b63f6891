// Binary LAT files that read: the object stream, bounds in single precision, what the
// reader tolerates, progress, and a host that stops the import. Every geometry, value
// type and byte order is proved by the export round trip.
#include <array>

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
  // Bounds from high to low give a negative spacing.
  host.Clear();
  lat.dims = {3, 1, 1};
  lat.values = Ramp(3);
  lat.coords = {4, -2, 0, 0, 0, 0};
  ASSERT_EQ(ImportImage(EncodeBinary(lat)), 0);
  EXPECT_EQ(Object(0).origin[0], 4.0);
  EXPECT_EQ(Object(0).spacing[0], -3.0);
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
