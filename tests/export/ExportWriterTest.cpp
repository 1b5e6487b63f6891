// The binary writer: files byte for byte for every geometry and written type, their sizes,
// what is on file before the last scan, byte order and coordinates.
#include <cstring>

#include "tests/export/ExportHarness.h"

namespace lattest {
namespace {

namespace bin = lat::binary;
using hostbase::CPrimType;

constexpr std::int32_t kKinds[] = {bin::kUniform, bin::kRectilinear, bin::kCurvilinear};
constexpr std::int32_t kWrittenTypes[] = {CPrimType::Int8, CPrimType::Int16, CPrimType::Int32,
                                          CPrimType::Float, CPrimType::Double};

// The file length the layout gives for N values of s bytes.
std::int64_t LayoutSize(const ExportLattice& lattice) {
  const auto n = static_cast<std::int64_t>(lattice.ValueCount());
  const std::int64_t s = CPrimType::TypeSize[WrittenType(lattice.dataType)];
  const std::int64_t nodes = static_cast<std::int64_t>(lattice.Nodes());
  if (lattice.kind == bin::kUniform) return 193 + n * s;
  if (lattice.kind == bin::kRectilinear)
    return 173 + n * s + 4 * (lattice.nx + lattice.ny + lattice.nz);
  return 173 + n * s + 12 * nodes;
}

using ExportWriterTest = ExportTest;

TEST_F(ExportWriterTest, SmallUniformFloatLatticeIsThe217ByteFile) {
  ExportLattice lattice = MakeLattice(bin::kUniform, CPrimType::Float, 2, 3, 1);
  lattice.origin = {1.0, 2.0, 0.0};
  lattice.spacing = {0.5, 2.0, 3.0};
  const std::vector<std::uint8_t> bytes = ExportBytes(lattice);
  ASSERT_EQ(bytes.size(), 217u);
  EXPECT_TRUE(SameBytes(bytes, ExpectedFile(lattice)));
  EXPECT_EQ(std::memcmp(bytes.data(), bin::kMagicLine.data(), 50), 0);
  EXPECT_EQ(bytes[50], 0x0C);
  EXPECT_EQ(bytes[51], 0x0C);
  EXPECT_EQ(bytes[52], 0x0A);
  EXPECT_EQ(IntAt(bytes, 145), 6);  // value count
  // The first value, 1.0f, most significant byte first.
  EXPECT_EQ(bytes[149], 0x3F);
  EXPECT_EQ(bytes[150], 0x80);
  EXPECT_EQ(bytes[151], 0x00);
  EXPECT_EQ(FloatAt(bytes, 149 + 5 * 4), 6.0f);
  // The bounds: the last 24 bytes, after the count 6.
  EXPECT_EQ(IntAt(bytes, 217 - 28), 6);
  const float bounds[6] = {1.0f, 1.5f, 2.0f, 6.0f, 0.0f, 0.0f};
  for (std::size_t i = 0; i < 6; ++i) EXPECT_EQ(FloatAt(bytes, 193 + 4 * i), bounds[i]) << i;
}

TEST_F(ExportWriterTest, HeaderRecordsStandAtTheirOffsets) {
  for (std::int32_t kind : kKinds) {
    SCOPED_TRACE(kind);
    const ExportLattice lattice = MakeLattice(kind, CPrimType::Int16, 4, 3, 2, 2);
    const std::vector<std::uint8_t> bytes = ExportBytes(lattice);
    ASSERT_GT(bytes.size(), 160u);
    const std::int32_t lead[] = {3, 0, 1, 2, 3, 4, 3, 2, 3, 3, 2, 1, 1, 4, 3, 5, kind, kind};
    for (std::size_t i = 0; i < std::size(lead); ++i)
      EXPECT_EQ(IntAt(bytes, 53 + 4 * i), lead[i]) << "field at " << 53 + 4 * i;
    const bool uniform = kind == bin::kUniform;
    // boundsRef 6, nRectCoord nx + ny + nz or nCoordVar 3; then the coordinate reference.
    const std::int32_t field5 = uniform ? 6 : (kind == bin::kRectilinear ? 4 + 3 + 2 : 3);
    EXPECT_EQ(IntAt(bytes, 125), field5);
    if (!uniform) {
      EXPECT_EQ(IntAt(bytes, 129), 6);
    }
    const std::size_t dims = uniform ? 129 : 133;
    EXPECT_EQ(IntAt(bytes, dims), 3);
    EXPECT_EQ(IntAt(bytes, dims + 4), 4);
    EXPECT_EQ(IntAt(bytes, dims + 8), 3);
    EXPECT_EQ(IntAt(bytes, dims + 12), 2);
    EXPECT_EQ(IntAt(bytes, dims + 16), 4 * 3 * 2 * 2);
  }
}

TEST_F(ExportWriterTest, EveryGeometryAndWrittenTypeIsByteExact) {
  for (std::int32_t kind : kKinds) {
    for (std::int32_t type : kWrittenTypes) {
      SCOPED_TRACE(testing::Message() << "kind " << kind << " type " << type);
      TempDir here;
      out = here.File("lattice.lat");
      ExportLattice lattice = MakeLattice(kind, type, 3, 2, 2, 2);
      // Negative values and values beyond one byte show the byte order.
      for (std::size_t i = 0; i < lattice.values.size(); i += 3)
        lattice.values[i] = -lattice.values[i];
      if (type != CPrimType::Int8) lattice.values[1] = 300.5;
      const std::vector<std::uint8_t> bytes = ExportBytes(lattice);
      EXPECT_EQ(static_cast<std::int64_t>(bytes.size()), LayoutSize(lattice));
      std::vector<double> written = lattice.values;
      if (type == CPrimType::Int16 || type == CPrimType::Int32) written[1] = 301.0;
      EXPECT_TRUE(SameBytes(bytes, ExpectedFile(lattice, &written)));
    }
  }
}

TEST_F(ExportWriterTest, OnlyTheHeaderIsOnFileUntilTheLastScan) {
  for (std::int32_t kind : kKinds) {
    SCOPED_TRACE(kind);
    const ExportLattice lattice = MakeLattice(kind, CPrimType::Float, 2, 3, 1);
    const std::int64_t headerBytes = kind == bin::kUniform ? 145 : 149;
    ASSERT_EQ(Begin(), hostfw::ExportStatus_Accepted);
    EXPECT_EQ(filter.OutputPosition(), 0);
    ASSERT_EQ(SendHeader(lattice), hostfw::ExportStatus_Accepted);
    EXPECT_EQ(filter.OutputPosition(), headerBytes);
    for (std::size_t s = 0; s + 1 < lattice.ScanCount(); ++s) {
      ASSERT_EQ(SendScans(lattice, s, s + 1), hostfw::ExportStatus_Accepted);
      EXPECT_EQ(filter.OutputPosition(), headerBytes) << "after scan " << s;
    }
    ASSERT_EQ(SendScans(lattice, lattice.ScanCount() - 1, lattice.ScanCount()),
              hostfw::ExportStatus_Accepted);
    EXPECT_EQ(filter.OutputPosition(), LayoutSize(lattice));
    EXPECT_EQ(filter.EndExportToFile(), hostfw::ExportStatus_Accepted);
    EXPECT_TRUE(SameBytes(ReadFileBytes(out), ExpectedFile(lattice)));
  }
}

TEST_F(ExportWriterTest, OneByteValuesAreWrittenAsTheyAre) {
  ExportLattice lattice = MakeLattice(bin::kUniform, CPrimType::Int8, 3, 1, 1);
  lattice.values = {-1, 127, -128};
  const std::vector<std::uint8_t> bytes = ExportBytes(lattice);
  ASSERT_EQ(bytes.size(), 193u + 3);
  EXPECT_EQ(IntAt(bytes, 97), 0);  // primType
  EXPECT_EQ(bytes[149], 0xFF);
  EXPECT_EQ(bytes[150], 0x7F);
  EXPECT_EQ(bytes[151], 0x80);
}

TEST_F(ExportWriterTest, WiderValuesHaveTheirMostSignificantByteFirst) {
  struct Case {
    std::int32_t type, primType;
    double value;
    std::vector<std::uint8_t> bytes;
  };
  const Case cases[] = {
      {CPrimType::Int16, 1, 0x0102, {0x01, 0x02}},
      {CPrimType::Int32, 2, -2, {0xFF, 0xFF, 0xFF, 0xFE}},
      {CPrimType::Float, 3, -2.0, {0xC0, 0x00, 0x00, 0x00}},
      {CPrimType::Double, 4, 1.0, {0x3F, 0xF0, 0, 0, 0, 0, 0, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.type);
    TempDir here;
    out = here.File("value.lat");
    ExportLattice lattice = MakeLattice(bin::kUniform, c.type, 1, 1, 1);
    lattice.values = {c.value};
    const std::vector<std::uint8_t> bytes = ExportBytes(lattice);
    ASSERT_EQ(bytes.size(), 193 + c.bytes.size());
    EXPECT_EQ(IntAt(bytes, 97), c.primType);
    EXPECT_EQ(IntAt(bytes, 101), c.primType);
    EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin() + 149,
                                        bytes.begin() + 149 + static_cast<long>(c.bytes.size())),
              c.bytes);
  }
}

TEST_F(ExportWriterTest, UniformBoundsFollowNegativeSpacings) {
  ExportLattice lattice = MakeLattice(bin::kUniform, CPrimType::Float, 3, 2, 2);
  lattice.origin = {0.0, 0.0, 0.0};
  lattice.spacing = {0.5, -1.0, 2.0};
  const std::vector<std::uint8_t> bytes = ExportBytes(lattice);
  ASSERT_EQ(bytes.size(), 193u + 12 * 4);
  const float bounds[6] = {0.0f, 1.0f, 0.0f, -1.0f, 0.0f, 2.0f};
  for (std::size_t i = 0; i < 6; ++i)
    EXPECT_EQ(FloatAt(bytes, bytes.size() - 24 + 4 * i), bounds[i]) << i;
}

TEST_F(ExportWriterTest, UniformBoundsAreRoundedToFloat) {
  ExportLattice lattice = MakeLattice(bin::kUniform, CPrimType::Float, 2, 1, 1);
  lattice.origin = {0.1, 1e-50, 1e300};
  lattice.spacing = {0.2, 0.0, 0.0};
  const std::vector<std::uint8_t> bytes = ExportBytes(lattice);
  ASSERT_EQ(bytes.size(), 193u + 2 * 4);
  EXPECT_EQ(FloatAt(bytes, bytes.size() - 24), 0.1f);
  EXPECT_EQ(FloatAt(bytes, bytes.size() - 20), static_cast<float>(0.1 + 0.2));
  EXPECT_EQ(FloatAt(bytes, bytes.size() - 16), 0.0f);
  EXPECT_EQ(FloatAt(bytes, bytes.size() - 8), static_cast<float>(1e300));
}

TEST_F(ExportWriterTest, RectilinearDoubleAxesAreWrittenAsFloats) {
  ExportLattice lattice = MakeLattice(bin::kRectilinear, CPrimType::Int32, 3, 2, 1);
  lattice.coordType = CPrimType::Double;
  lattice.xs = {0.1, 0.2, 1e10};
  lattice.ys = {-5.0, 5.0};
  lattice.zs = {7.25};
  const std::vector<std::uint8_t> bytes = ExportBytes(lattice);
  ASSERT_EQ(static_cast<std::int64_t>(bytes.size()), LayoutSize(lattice));
  EXPECT_TRUE(SameBytes(bytes, ExpectedFile(lattice)));
  const std::size_t list = bytes.size() - 4 * 6;
  EXPECT_EQ(IntAt(bytes, list - 4), 6);  // count nx + ny + nz
  const float coords[6] = {0.1f, 0.2f, 1e10f, -5.0f, 5.0f, 7.25f};
  for (std::size_t i = 0; i < 6; ++i) EXPECT_EQ(FloatAt(bytes, list + 4 * i), coords[i]) << i;
}

TEST_F(ExportWriterTest, RectilinearIntegerAxesAreConverted) {
  ExportLattice lattice = MakeLattice(bin::kRectilinear, CPrimType::Float, 2, 2, 1);
  lattice.coordType = CPrimType::Int16;
  lattice.xs = {-300, 300};
  lattice.ys = {1, 2};
  lattice.zs = {0};
  EXPECT_TRUE(SameBytes(ExportBytes(lattice), ExpectedFile(lattice)));
}

TEST_F(ExportWriterTest, CurvilinearWritesAllValuesBeforeAnyCoordinate) {
  ExportLattice lattice = MakeLattice(bin::kCurvilinear, CPrimType::Double, 2, 2, 2);
  lattice.coordType = CPrimType::Double;
  const std::vector<std::uint8_t> bytes = ExportBytes(lattice);
  ASSERT_EQ(static_cast<std::int64_t>(bytes.size()), LayoutSize(lattice));
  EXPECT_TRUE(SameBytes(bytes, ExpectedFile(lattice)));
  // Values 1..8 as doubles from 153, then dims, then 24 coordinates.
  double first = 0.0;
  std::uint64_t bits = 0;
  for (std::size_t i = 0; i < 8; ++i) bits = (bits << 8) | bytes[153 + i];
  std::memcpy(&first, &bits, 8);
  EXPECT_EQ(first, 1.0);
  const std::size_t coords = 153 + 8 * 8 + 16;
  EXPECT_EQ(IntAt(bytes, coords), 24);
  // Node (1, 1, 1) is the last: x = 1 + 0.25, y = 1, z = 1 - 1.
  EXPECT_EQ(FloatAt(bytes, bytes.size() - 12), 1.25f);
  EXPECT_EQ(FloatAt(bytes, bytes.size() - 8), 1.0f);
  EXPECT_EQ(FloatAt(bytes, bytes.size() - 4), 0.0f);
}

TEST_F(ExportWriterTest, RowsFollowYFastestThenZ) {
  // Every value names its node: 100 z + 10 y + x.
  ExportLattice lattice = MakeLattice(bin::kUniform, CPrimType::Int16, 2, 3, 2);
  lattice.values.clear();
  for (int z = 0; z < 2; ++z)
    for (int y = 0; y < 3; ++y)
      for (int x = 0; x < 2; ++x) lattice.values.push_back(100 * z + 10 * y + x);
  const std::vector<std::uint8_t> bytes = ExportBytes(lattice);
  ASSERT_EQ(bytes.size(), 193u + 12 * 2);
  for (std::size_t i = 0; i < 12; ++i) {
    const int value = bytes[149 + 2 * i] << 8 | bytes[150 + 2 * i];
    EXPECT_EQ(value, lattice.values[i]) << i;
  }
}

}  // namespace
}  // namespace lattest
