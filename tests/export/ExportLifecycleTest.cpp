// The export's lifecycle through the host contract: status values, progress, cancel, the
// second lattice, objects outside a lattice, and a lattice header that restarts an
// unfinished one.
#include "hostbase/TypeInfo.h"
#include "tests/export/ExportHarness.h"

namespace lattest {
namespace {

namespace bin = lat::binary;
using hostbase::CPrimType;

// A transfer object of a class the filter does not know.
class ForeignObject final : public hostfw::TrBase {
 public:
  const hostbase::CTypeInfo* GetTypeId() const override { return &kIdentity; }
  static inline const hostbase::CTypeInfo kIdentity{"ForeignObject", nullptr,
                                                    hostfw::TrBase::GetClassTypeId()};
};

using ExportLifecycleTest = ExportTest;

TEST_F(ExportLifecycleTest, CompleteExportAcceptsEveryObject) {
  const ExportLattice lattice = MakeLattice(bin::kCurvilinear, CPrimType::Int16, 3, 2, 2);
  ASSERT_EQ(Begin(), hostfw::ExportStatus_Accepted);
  ASSERT_EQ(SendHeader(lattice), hostfw::ExportStatus_Accepted);
  for (std::size_t s = 0; s < lattice.ScanCount(); ++s)
    EXPECT_EQ(SendScans(lattice, s, s + 1), hostfw::ExportStatus_Accepted) << s;
  EXPECT_EQ(SendEnd(), hostfw::ExportStatus_Accepted);
  EXPECT_EQ(filter.EndExportToFile(), hostfw::ExportStatus_Accepted);
  EXPECT_EQ(DirEntries(), std::vector<std::string>{"out.lat"});
  EXPECT_TRUE(SameBytes(ReadFileBytes(out), ExpectedFile(lattice)));
  EXPECT_EQ(host.beginMessages,
            std::vector<std::string>{"Exporting Iris Explorer LAT file out.lat"});
  EXPECT_EQ(host.stops, 1);
  EXPECT_TRUE(host.warnings.empty());
}

TEST_F(ExportLifecycleTest, NothingExportedReturnsZeroAndMakesNoFile) {
  ASSERT_EQ(Begin(), hostfw::ExportStatus_Accepted);
  EXPECT_EQ(filter.EndExportToFile(), hostfw::ExportStatus_Accepted);
  EXPECT_TRUE(DirEntries().empty());
  EXPECT_TRUE(host.beginMessages.empty());
  EXPECT_EQ(host.stops, 0);
}

TEST_F(ExportLifecycleTest, UnfinishedLatticeReturnsOneAndLeavesNoFile) {
  const ExportLattice lattice = MakeLattice(bin::kUniform, CPrimType::Float, 2, 3, 1);
  for (std::size_t received = 0; received < lattice.ScanCount(); ++received) {
    SCOPED_TRACE(received);
    host.Clear();
    ASSERT_EQ(Begin(), hostfw::ExportStatus_Accepted);
    ASSERT_EQ(SendHeader(lattice), hostfw::ExportStatus_Accepted);
    ASSERT_EQ(SendScans(lattice, 0, received), hostfw::ExportStatus_Accepted);
    EXPECT_EQ(filter.EndExportToFile(), hostfw::ExportStatus_NoLattice);
    EXPECT_TRUE(DirEntries().empty());
    EXPECT_EQ(host.stops, 1);
  }
}

TEST_F(ExportLifecycleTest, ForeignObjectReturnsThreeAndChangesNothing) {
  const ExportLattice lattice = MakeLattice(bin::kUniform, CPrimType::Float, 2, 3, 1);
  ForeignObject foreign;
  ASSERT_EQ(Begin(), hostfw::ExportStatus_Accepted);
  EXPECT_EQ(filter.ExportObject(foreign), hostfw::ExportStatus_NotHandled);
  ASSERT_EQ(SendHeader(lattice), hostfw::ExportStatus_Accepted);
  ASSERT_EQ(SendScans(lattice, 0, 1), hostfw::ExportStatus_Accepted);
  EXPECT_EQ(filter.ExportObject(foreign), hostfw::ExportStatus_NotHandled);
  ASSERT_EQ(SendScans(lattice, 1, lattice.ScanCount()), hostfw::ExportStatus_Accepted);
  EXPECT_EQ(filter.ExportObject(foreign), hostfw::ExportStatus_NotHandled);
  EXPECT_EQ(filter.EndExportToFile(), hostfw::ExportStatus_Accepted);
  EXPECT_TRUE(SameBytes(ReadFileBytes(out), ExpectedFile(lattice)));
}

TEST_F(ExportLifecycleTest, HeaderScanFieldsAreReset) {
  const ExportLattice lattice = MakeLattice(bin::kRectilinear, CPrimType::Float, 2, 2, 1);
  ASSERT_EQ(Begin(), hostfw::ExportStatus_Accepted);
  std::unique_ptr<hostfw::TrLattice> made = MakeHeader(lattice);
  made->scanMode = 5;
  made->scanParam = -7;
  ASSERT_EQ(filter.ExportObject(*made), hostfw::ExportStatus_Accepted);
  EXPECT_EQ(made->scanMode, 0);
  EXPECT_EQ(made->scanParam, 0);
}

TEST_F(ExportLifecycleTest, ProgressIsReportedEveryTenRows) {
  struct Case {
    std::int32_t kind, ny, nz;
    std::vector<double> fractions;
  };
  const Case cases[] = {
      {bin::kUniform, 9, 1, {}},         {bin::kUniform, 5, 5, {0.4, 0.8}},
      {bin::kRectilinear, 10, 1, {1.0}}, {bin::kCurvilinear, 4, 5, {0.0, 0.5, 0.5, 1.0}},
      {bin::kCurvilinear, 3, 3, {0.0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "kind " << c.kind << " rows " << c.ny * c.nz);
    host.Clear();
    const ExportLattice lattice = MakeLattice(c.kind, CPrimType::Float, 2, c.ny, c.nz);
    ASSERT_EQ(Begin(), hostfw::ExportStatus_Accepted);
    ASSERT_EQ(SendLattice(lattice), hostfw::ExportStatus_Accepted);
    EXPECT_EQ(host.fractions, c.fractions);
    EXPECT_EQ(host.stops, 0);
    EXPECT_EQ(filter.EndExportToFile(), hostfw::ExportStatus_Accepted);
    EXPECT_EQ(host.stops, 1);
    EXPECT_TRUE(SameBytes(ReadFileBytes(out), ExpectedFile(lattice)));
  }
}

TEST_F(ExportLifecycleTest, CancelAtProgressReturnsTwoAndTheEndRemovesTheFile) {
  const ExportLattice lattice = MakeLattice(bin::kUniform, CPrimType::Float, 2, 30, 1);
  host.cancelAtProportion = 1;  // at row 20
  ASSERT_EQ(Begin(), hostfw::ExportStatus_Accepted);
  ASSERT_EQ(SendHeader(lattice), hostfw::ExportStatus_Accepted);
  EXPECT_EQ(SendScans(lattice, 0, 19), hostfw::ExportStatus_Accepted);
  EXPECT_EQ(SendScans(lattice, 19, 20), hostfw::ExportStatus_Cancelled);
  EXPECT_EQ(host.fractions, (std::vector<double>{1.0 / 3.0, 2.0 / 3.0}));
  EXPECT_EQ(filter.EndExportToFile(), hostfw::ExportStatus_NoLattice);
  EXPECT_TRUE(DirEntries().empty());
  EXPECT_EQ(host.stops, 1);
}

TEST_F(ExportLifecycleTest, CancelWhenTheProgressReportBeginsReturnsTwo) {
  const ExportLattice lattice = MakeLattice(bin::kUniform, CPrimType::Float, 2, 3, 1);
  host.cancelAtBegin = true;
  ASSERT_EQ(Begin(), hostfw::ExportStatus_Accepted);
  EXPECT_EQ(SendHeader(lattice), hostfw::ExportStatus_Cancelled);
  EXPECT_EQ(filter.OutputPosition(), 0);
  // The scans the host may still send are not taken for a lattice.
  EXPECT_EQ(SendScans(lattice, 0, lattice.ScanCount()), hostfw::ExportStatus_Accepted);
  EXPECT_EQ(filter.EndExportToFile(), hostfw::ExportStatus_NoLattice);
  EXPECT_TRUE(DirEntries().empty());
  EXPECT_EQ(host.stops, 1);
}

TEST_F(ExportLifecycleTest, SecondLatticeIsRefusedAndTheFirstIsKept) {
  const ExportLattice first = MakeLattice(bin::kUniform, CPrimType::Int16, 2, 3, 1);
  const ExportLattice second = MakeLattice(bin::kRectilinear, CPrimType::Float, 4, 4, 1);
  ASSERT_EQ(Begin(), hostfw::ExportStatus_Accepted);
  ASSERT_EQ(SendLattice(first), hostfw::ExportStatus_Accepted);
  ExpectFilterMessage([&] { SendHeader(second); },
                      "Export of multiple lattices to one Iris LAT file is not supported.");
  // Its scans are not taken either.
  EXPECT_EQ(SendScans(second, 0, second.ScanCount()), hostfw::ExportStatus_Accepted);
  EXPECT_EQ(filter.EndExportToFile(), hostfw::ExportStatus_Accepted);
  EXPECT_TRUE(SameBytes(ReadFileBytes(out), ExpectedFile(first)));
  EXPECT_EQ(host.beginMessages.size(), 1u);
}

TEST_F(ExportLifecycleTest, EndingTwiceRaisesFileNotOpenAndKeepsTheFile) {
  const ExportLattice lattice = MakeLattice(bin::kUniform, CPrimType::Float, 2, 3, 1);
  ASSERT_EQ(Begin(), hostfw::ExportStatus_Accepted);
  ASSERT_EQ(SendLattice(lattice), hostfw::ExportStatus_Accepted);
  ASSERT_EQ(filter.EndExportToFile(), hostfw::ExportStatus_Accepted);
  ExpectFilterCode([&] { filter.EndExportToFile(); }, hostfw::ErrCode::ExportFileNotOpen, {});
  EXPECT_TRUE(SameBytes(ReadFileBytes(out), ExpectedFile(lattice)));
}

TEST_F(ExportLifecycleTest, ScansOutsideALatticeAreIgnored) {
  const ExportLattice lattice = MakeLattice(bin::kUniform, CPrimType::Float, 2, 3, 1);
  ASSERT_EQ(Begin(), hostfw::ExportStatus_Accepted);
  // Before any header.
  header = MakeHeader(lattice);
  EXPECT_EQ(SendScans(lattice, 0, 2), hostfw::ExportStatus_Accepted);
  EXPECT_TRUE(DirEntries().empty());
  EXPECT_EQ(filter.OutputPosition(), 0);
  // After the last row.
  ASSERT_EQ(SendLattice(lattice), hostfw::ExportStatus_Accepted);
  const std::int64_t complete = filter.OutputPosition();
  ExportLattice other = lattice;
  other.values = Ramp(6, -50.0);
  EXPECT_EQ(SendScans(other, 0, 3), hostfw::ExportStatus_Accepted);
  EXPECT_EQ(filter.OutputPosition(), complete);
  EXPECT_EQ(host.fractions.size(), 0u);
  EXPECT_EQ(filter.EndExportToFile(), hostfw::ExportStatus_Accepted);
  EXPECT_TRUE(SameBytes(ReadFileBytes(out), ExpectedFile(lattice)));
  // After the export ended.
  EXPECT_EQ(SendScans(other, 0, 1), hostfw::ExportStatus_Accepted);
  EXPECT_TRUE(SameBytes(ReadFileBytes(out), ExpectedFile(lattice)));
}

TEST_F(ExportLifecycleTest, HeaderOfAnUnfinishedLatticeRestartsTheExport) {
  const ExportLattice first = MakeLattice(bin::kCurvilinear, CPrimType::Double, 3, 2, 2);
  ExportLattice second = MakeLattice(bin::kUniform, CPrimType::UInt16, 2, 2, 1);
  ASSERT_EQ(Begin(), hostfw::ExportStatus_Accepted);
  ASSERT_EQ(SendHeader(first), hostfw::ExportStatus_Accepted);
  ASSERT_EQ(SendScans(first, 0, 3), hostfw::ExportStatus_Accepted);
  ASSERT_EQ(SendLattice(second), hostfw::ExportStatus_Accepted);
  // The first report was stopped before the second began.
  EXPECT_EQ(host.beginMessages.size(), 2u);
  EXPECT_EQ(host.stops, 1);
  // The second lattice still counts as the first written: its promotion warns.
  EXPECT_EQ(host.warnings.size(), 1u);
  EXPECT_EQ(filter.EndExportToFile(), hostfw::ExportStatus_Accepted);
  EXPECT_EQ(host.stops, 2);
  EXPECT_EQ(DirEntries(), std::vector<std::string>{"out.lat"});
  EXPECT_TRUE(SameBytes(ReadFileBytes(out), ExpectedFile(second)));
}

TEST_F(ExportLifecycleTest, RefusedHeaderEndsAnUnfinishedLattice) {
  const ExportLattice lattice = MakeLattice(bin::kUniform, CPrimType::Float, 2, 3, 1);
  ExportLattice empty = lattice;
  empty.ny = 0;
  ASSERT_EQ(Begin(), hostfw::ExportStatus_Accepted);
  ASSERT_EQ(SendHeader(lattice), hostfw::ExportStatus_Accepted);
  ASSERT_EQ(SendScans(lattice, 0, 1), hostfw::ExportStatus_Accepted);
  const std::unique_ptr<hostfw::TrLattice> kept = std::move(header);
  ExpectFilterMessage([&] { SendHeader(empty); },
                      "Cannot export a lattice with 0 rows (ny): every count must be at least 1.");
  // The rest of the first lattice no longer completes it.
  header = MakeHeader(lattice);
  EXPECT_EQ(SendScans(lattice, 1, lattice.ScanCount()), hostfw::ExportStatus_Accepted);
  EXPECT_EQ(filter.EndExportToFile(), hostfw::ExportStatus_NoLattice);
  EXPECT_TRUE(DirEntries().empty());
}

TEST_F(ExportLifecycleTest, FilterServesOneExportAfterAnother) {
  const ExportLattice first = MakeLattice(bin::kUniform, CPrimType::Int8, 2, 2, 1);
  const ExportLattice second = MakeLattice(bin::kRectilinear, CPrimType::Int32, 3, 1, 2);
  const std::string firstPath = out;
  EXPECT_TRUE(SameBytes(ExportBytes(first), ExpectedFile(first)));
  out = dir.File("second.lat");
  EXPECT_TRUE(SameBytes(ExportBytes(second), ExpectedFile(second)));
  EXPECT_TRUE(SameBytes(ReadFileBytes(firstPath), ExpectedFile(first)));
  EXPECT_EQ(host.beginMessages,
            (std::vector<std::string>{"Exporting Iris Explorer LAT file out.lat",
                                      "Exporting Iris Explorer LAT file second.lat"}));
}

TEST_F(ExportLifecycleTest, IsObjectTypeSupportedKnowsTheFiveTransferClasses) {
  EXPECT_TRUE(filter.IsObjectTypeSupported(hostfw::TrUniformLattice::GetClassTypeId()));
  EXPECT_TRUE(filter.IsObjectTypeSupported(hostfw::TrRectilinearLattice::GetClassTypeId()));
  EXPECT_TRUE(filter.IsObjectTypeSupported(hostfw::TrCurvilinearLattice::GetClassTypeId()));
  EXPECT_TRUE(filter.IsObjectTypeSupported(hostfw::TrLatticeScan::GetClassTypeId()));
  EXPECT_TRUE(filter.IsObjectTypeSupported(hostfw::TrLatticeEnd::GetClassTypeId()));
  EXPECT_FALSE(filter.IsObjectTypeSupported(hostfw::TrLattice::GetClassTypeId()));
  EXPECT_FALSE(filter.IsObjectTypeSupported(hostfw::TrBase::GetClassTypeId()));
  EXPECT_FALSE(filter.IsObjectTypeSupported(&ForeignObject::kIdentity));
  EXPECT_FALSE(filter.IsObjectTypeSupported(nullptr));
}

}  // namespace
}  // namespace lattest
