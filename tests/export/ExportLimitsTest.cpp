// Lattices the format cannot hold are refused before anything is opened or written:
// counts below 1, unknown type codes, lists beyond the 32-bit counts; and short scans.
#include "tests/export/ExportHarness.h"

namespace lattest {
namespace {

namespace bin = lat::binary;
using hostbase::CPrimType;

class ExportLimitsTest : public ExportTest {
 protected:
  // The header raises `message`; nothing is opened, reported or written, later scans are
  // ignored and the export ends with 0.
  void ExpectRefusedBeforeOpening(const ExportLattice& lattice, const std::string& message) {
    ASSERT_EQ(Begin(), hostfw::ExportStatus_Accepted);
    ExpectFilterMessage([&] { SendHeader(lattice); }, message);
    ExpectNothingHappened();
  }
  void ExpectNothingHappened() {
    EXPECT_TRUE(DirEntries().empty());
    EXPECT_TRUE(host.beginMessages.empty());
    EXPECT_EQ(filter.OutputPosition(), 0);
    hostfw::TrLatticeScan scan(64);
    EXPECT_EQ(filter.ExportObject(scan), hostfw::ExportStatus_Accepted);
    EXPECT_EQ(filter.EndExportToFile(), hostfw::ExportStatus_Accepted);
    EXPECT_TRUE(DirEntries().empty());
  }
};

TEST_F(ExportLimitsTest, CountsBelowOneAreRefusedByName) {
  struct Case {
    std::int32_t nx, ny, nz, nc;
    const char* message;
  };
  const Case cases[] = {
      {0, 3, 1, 1, "Cannot export a lattice with 0 columns (nx): every count must be at least 1."},
      {2, 0, 1, 1, "Cannot export a lattice with 0 rows (ny): every count must be at least 1."},
      {2, 3, -4, 1, "Cannot export a lattice with -4 planes (nz): every count must be at least 1."},
      {2, 3, 1, 0,
       "Cannot export a lattice with 0 values per node (components): every count must be at "
       "least 1."},
  };
  for (std::int32_t kind : {bin::kUniform, bin::kRectilinear, bin::kCurvilinear}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(testing::Message() << "kind " << kind << ": " << c.message);
      ExportLattice lattice = MakeLattice(kind, CPrimType::Float, 1, 1, 1);
      lattice.nx = c.nx;
      lattice.ny = c.ny;
      lattice.nz = c.nz;
      lattice.numComponents = c.nc;
      ExpectRefusedBeforeOpening(lattice, c.message);
    }
  }
}

TEST_F(ExportLimitsTest, UnknownTypeCodesAreRefused) {
  ExportLattice lattice = MakeLattice(bin::kUniform, CPrimType::Float, 2, 2, 1);
  lattice.dataType = 9;
  ASSERT_EQ(Begin(), hostfw::ExportStatus_Accepted);
  ExpectFilterCode([&] { SendHeader(lattice); }, hostfw::ErrCode::UnknownCode, {});
  ExpectNothingHappened();
  for (std::int32_t kind : {bin::kRectilinear, bin::kCurvilinear}) {
    SCOPED_TRACE(kind);
    lattice = MakeLattice(kind, CPrimType::Float, 2, 2, 1);
    lattice.coordType = -1;
    ASSERT_EQ(Begin(), hostfw::ExportStatus_Accepted);
    ExpectFilterCode([&] { SendHeader(lattice); }, hostfw::ErrCode::UnknownCode, {});
    ExpectNothingHappened();
  }
}

TEST_F(ExportLimitsTest, ValueCountOf2To31IsRefused) {
  // 65536 × 32768 one-byte values: the count itself no longer fits.
  const ExportLattice lattice = MakeLattice(bin::kUniform, CPrimType::Int8, 1, 1, 1);
  ExportLattice big = lattice;
  big.nx = 65536;
  big.ny = 32768;
  ExpectRefusedBeforeOpening(
      big,
      "Cannot export a lattice of 65536 x 32768 x 1 nodes with 1 values each: its value list "
      "would exceed the LAT format's limit of 2147483647 bytes.");
}

TEST_F(ExportLimitsTest, ValueListOf2To31BytesIsRefusedAfterPromotion) {
  // 2^29 values of 16-bit unsigned data become 4-byte values: 2^31 bytes.
  ExportLattice big = MakeLattice(bin::kUniform, CPrimType::UInt16, 1, 1, 1);
  big.nx = 16384;
  big.ny = 16384;
  big.nz = 2;
  ExpectRefusedBeforeOpening(
      big,
      "Cannot export a lattice of 16384 x 16384 x 2 nodes with 1 values each: its value list "
      "would exceed the LAT format's limit of 2147483647 bytes.");
  // Promotions warn before the refusal.
  EXPECT_EQ(host.warnings.size(), 1u);
}

TEST_F(ExportLimitsTest, ValueListOfManyComponentsIsRefused) {
  ExportLattice big = MakeLattice(bin::kRectilinear, CPrimType::Double, 1, 1, 1);
  big.nx = 1024;
  big.ny = 1024;
  big.numComponents = 256;
  big.xs.assign(1024, 0.0);
  big.ys.assign(1024, 0.0);
  ExpectRefusedBeforeOpening(
      big,
      "Cannot export a lattice of 1024 x 1024 x 1 nodes with 256 values each: its value list "
      "would exceed the LAT format's limit of 2147483647 bytes.");
}

TEST_F(ExportLimitsTest, CurvilinearCoordinateListOf2To31BytesIsRefused) {
  // 178956971 nodes of one byte each: the values fit, 12 bytes of coordinates per node do not.
  ExportLattice big = MakeLattice(bin::kCurvilinear, CPrimType::Int8, 1, 1, 1);
  big.nx = 178956971;
  ExpectRefusedBeforeOpening(
      big,
      "Cannot export a lattice of 178956971 x 1 x 1 nodes with 1 values each: its coordinate "
      "list would exceed the LAT format's limit of 2147483647 bytes.");
}

TEST_F(ExportLimitsTest, ShortScansAreRefused) {
  const ExportLattice lattice = MakeLattice(bin::kCurvilinear, CPrimType::Int16, 4, 2, 1);
  ASSERT_EQ(Begin(), hostfw::ExportStatus_Accepted);
  ASSERT_EQ(SendHeader(lattice), hostfw::ExportStatus_Accepted);
  hostfw::TrLatticeScan shortCoords(4 * 3 * 4 - 1);
  ExpectFilterMessage([&] { filter.ExportObject(shortCoords); },
                      "Lattice scan 0 holds 47 bytes, fewer than the 48 bytes of a row.");
  ASSERT_EQ(SendScans(lattice, 0, 1), hostfw::ExportStatus_Accepted);
  hostfw::TrLatticeScan shortData(7);
  ExpectFilterMessage([&] { filter.ExportObject(shortData); },
                      "Lattice scan 1 holds 7 bytes, fewer than the 8 bytes of a row.");
  hostfw::TrLatticeScan empty(0);
  ExpectFilterMessage([&] { filter.ExportObject(empty); },
                      "Lattice scan 1 holds 0 bytes, fewer than the 8 bytes of a row.");
  // The refused scans were not counted: the rest of the lattice follows as usual.
  ASSERT_EQ(SendScans(lattice, 1, lattice.ScanCount()), hostfw::ExportStatus_Accepted);
  EXPECT_EQ(filter.EndExportToFile(), hostfw::ExportStatus_Accepted);
  EXPECT_TRUE(SameBytes(ReadFileBytes(out), ExpectedFile(lattice)));
}

}  // namespace
}  // namespace lattest
