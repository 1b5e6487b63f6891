// The export's lifecycle: status values, the hidden file that replaces the output only when
// the lattice is complete, progress, the second lattice, a restarting header, and the
// lattices and scans the format cannot hold, refused before anything is opened.
#include "tests/export/ExportHarness.h"

namespace lattest {
namespace {

namespace bin = lat::binary;
using hostbase::CPrimType;
using ExportLifecycleTest = ExportTest;

TEST_F(ExportLifecycleTest, OnlyACompleteLatticeReplacesTheFileAndEndingTwiceRaises) {
  const std::string precious = "precious bytes";
  dir.Write("out.lat", precious);
  const ExportLattice lattice = MakeLattice(bin::kCurvilinear, CPrimType::Int16, 3, 2, 2);
  for (std::size_t received = 0; received <= lattice.ScanCount(); ++received) {
    SCOPED_TRACE(received);
    ASSERT_EQ(Begin(), hostfw::ExportStatus_Accepted);
    ASSERT_EQ(SendHeader(lattice), hostfw::ExportStatus_Accepted);
    const std::vector<std::string> during = DirEntries();
#if defined(_WIN32)
    ASSERT_EQ(during.size(), 2u);
    EXPECT_EQ(during[0].rfind(".out.lat.", 0), 0u) << during[0];
    EXPECT_EQ(during[0].size(), std::string(".out.lat.").size() + 6);
#else
    EXPECT_EQ(during, std::vector<std::string>{"out.lat"});  // the new file has no name yet
#endif
    ASSERT_EQ(SendScans(lattice, 0, received), hostfw::ExportStatus_Accepted);
    if (received < lattice.ScanCount()) {
      EXPECT_EQ(filter.EndExportToFile(), hostfw::ExportStatus_NoLattice);
      EXPECT_EQ(ReadFileBytes(out), std::vector<std::uint8_t>(precious.begin(), precious.end()));
      EXPECT_EQ(DirEntries(), std::vector<std::string>{"out.lat"});
    }
  }
  EXPECT_EQ(filter.EndExportToFile(), hostfw::ExportStatus_Accepted);
  EXPECT_EQ(DirEntries(), std::vector<std::string>{"out.lat"});
  EXPECT_TRUE(SameBytes(ReadFileBytes(out), ExpectedFile(lattice)));
  ASSERT_FALSE(host.beginMessages.empty());
  EXPECT_EQ(host.beginMessages.back(), "Exporting Iris Explorer LAT file out.lat");
  EXPECT_EQ(host.stops, static_cast<int>(lattice.ScanCount()) + 1);
  ExpectFilterError([&] { filter.EndExportToFile(); }, "", hostfw::ErrCode::ExportFileNotOpen);
  EXPECT_TRUE(SameBytes(ReadFileBytes(out), ExpectedFile(lattice)));
}

TEST_F(ExportLifecycleTest, ProgressIsReportedEveryTenRows) {
  const struct {
    std::int32_t kind, ny, nz;
    std::vector<double> fractions;
  } cases[] = {
      {bin::kUniform, 9, 1, {}},         {bin::kUniform, 5, 5, {0.4, 0.8}},
      {bin::kRectilinear, 10, 1, {1.0}}, {bin::kCurvilinear, 4, 5, {0.0, 0.5, 0.5, 1.0}},
      {bin::kCurvilinear, 3, 3, {0.0}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "kind " << c.kind << " rows " << c.ny * c.nz);
    host.Clear();
    const ExportLattice lattice = MakeLattice(c.kind, CPrimType::Float, 2, c.ny, c.nz);
    EXPECT_TRUE(SameBytes(ExportBytes(lattice), ExpectedFile(lattice)));
    EXPECT_EQ(host.fractions, c.fractions);
    EXPECT_EQ(host.stops, 1);
  }
}

TEST_F(ExportLifecycleTest, SecondLatticeIsRefusedAndAHeaderRestartsAnUnfinishedOne) {
  const ExportLattice first = MakeLattice(bin::kCurvilinear, CPrimType::Double, 3, 2, 2);
  const ExportLattice second = MakeLattice(bin::kUniform, CPrimType::UInt16, 2, 2, 1);
  ASSERT_EQ(Begin(), hostfw::ExportStatus_Accepted);
  ASSERT_EQ(SendHeader(first), hostfw::ExportStatus_Accepted);
  ASSERT_EQ(SendScans(first, 0, 3), hostfw::ExportStatus_Accepted);
  ASSERT_EQ(SendLattice(second), hostfw::ExportStatus_Accepted);
  EXPECT_EQ(host.stops, 1);  // the first report was stopped before the second began
  ExpectFilterError([&] { SendHeader(first); },
                    "Export of multiple lattices to one Iris LAT file is not supported.");
  EXPECT_EQ(SendScans(first, 0, first.ScanCount()), hostfw::ExportStatus_Accepted);  // ignored
  EXPECT_EQ(host.warnings.size(), 1u);  // the promotion of the lattice written, once
  EXPECT_EQ(filter.EndExportToFile(), hostfw::ExportStatus_Accepted);
  EXPECT_EQ(DirEntries(), std::vector<std::string>{"out.lat"});
  EXPECT_TRUE(SameBytes(ReadFileBytes(out), ExpectedFile(second)));
}

TEST_F(ExportLifecycleTest, LatticesTheFormatCannotHoldAreRefusedBeforeOpening) {
  const struct {
    std::int32_t kind, type, nx, ny, nz, nc;
    std::string message;
  } cases[] = {
      {bin::kUniform, CPrimType::Float, 0, 3, 1, 1, "0 columns (nx)"},
      {bin::kRectilinear, CPrimType::Float, 2, 0, 1, 1, "0 rows (ny)"},
      {bin::kCurvilinear, CPrimType::Float, 2, 3, -4, 1, "-4 planes (nz)"},
      {bin::kUniform, CPrimType::Float, 2, 3, 1, 0, "0 values per node (components)"},
      {bin::kUniform, CPrimType::Int8, 65536, 32768, 1, 1, "value"},  // the count itself
      {bin::kUniform, CPrimType::UInt16, 16384, 16384, 2, 1, "value"},  // after promotion
      {bin::kCurvilinear, CPrimType::Int8, 178956971, 1, 1, 1, "coordinate"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.message);
    ExportLattice lattice = MakeLattice(c.kind, c.type, 1, 1, 1);
    lattice.nx = c.nx;
    lattice.ny = c.ny;
    lattice.nz = c.nz;
    lattice.numComponents = c.nc;
    ASSERT_EQ(Begin(), hostfw::ExportStatus_Accepted);
    if (c.message == "value" || c.message == "coordinate")
      ExpectFilterError([&] { SendHeader(lattice); },
                        "Cannot export a lattice of " + std::to_string(c.nx) + " x " +
                            std::to_string(c.ny) + " x " + std::to_string(c.nz) +
                            " nodes with 1 values each: its " + c.message +
                            " list would exceed the LAT format's limit of 2147483647 bytes.");
    else
      ExpectFilterError([&] { SendHeader(lattice); }, "Cannot export a lattice with " + c.message +
                                                          ": every count must be at least 1.");
    lattice = MakeLattice(c.kind, c.type, 1, 1, 1);  // unknown type codes
    (c.kind == bin::kUniform ? lattice.dataType : lattice.coordType) = -1;
    ExpectFilterError([&] { SendHeader(lattice); }, "", hostfw::ErrCode::UnknownCode);
    EXPECT_TRUE(DirEntries().empty());
    EXPECT_TRUE(host.beginMessages.empty());
    hostfw::TrLatticeScan scan(64);
    EXPECT_EQ(filter.ExportObject(scan), hostfw::ExportStatus_Accepted);
    EXPECT_EQ(filter.EndExportToFile(), hostfw::ExportStatus_Accepted);
    EXPECT_TRUE(DirEntries().empty());
  }
}

TEST_F(ExportLifecycleTest, ShortScansAreRefusedAndNotCounted) {
  const ExportLattice lattice = MakeLattice(bin::kCurvilinear, CPrimType::Int16, 4, 2, 1);
  ASSERT_EQ(Begin(), hostfw::ExportStatus_Accepted);
  ASSERT_EQ(SendHeader(lattice), hostfw::ExportStatus_Accepted);
  hostfw::TrLatticeScan shortCoords(4 * 3 * 4 - 1), shortData(7), empty(0);
  ExpectFilterError([&] { filter.ExportObject(shortCoords); },
                    "Lattice scan 0 holds 47 bytes, fewer than the 48 bytes of a row.");
  ASSERT_EQ(SendScans(lattice, 0, 1), hostfw::ExportStatus_Accepted);
  ExpectFilterError([&] { filter.ExportObject(shortData); },
                    "Lattice scan 1 holds 7 bytes, fewer than the 8 bytes of a row.");
  ExpectFilterError([&] { filter.ExportObject(empty); },
                    "Lattice scan 1 holds 0 bytes, fewer than the 8 bytes of a row.");
  ASSERT_EQ(SendScans(lattice, 1, lattice.ScanCount()), hostfw::ExportStatus_Accepted);
  EXPECT_EQ(filter.EndExportToFile(), hostfw::ExportStatus_Accepted);
  EXPECT_TRUE(SameBytes(ReadFileBytes(out), ExpectedFile(lattice)));
}

}  // namespace
}  // namespace lattest
