// The writer byte for byte for every geometry and written type, what is on file before the
// last scan, the promotions of the types the format lacks, the data range, round trips
// through the import filter, and the module as a host loads it.
#include <cstring>
#include <limits>

#include "hostfw/IoFilter.h"
#include "import/LatImportFilter.h"
#include "tests/export/ExportHarness.h"
#include "tests/support/PluginModule.h"

namespace lattest {
namespace {

namespace bin = lat::binary;
using hostbase::CPrimType;

constexpr std::int32_t kKinds[] = {bin::kUniform, bin::kRectilinear, bin::kCurvilinear};
constexpr std::int32_t kWrittenTypes[] = {CPrimType::Int8, CPrimType::Int16, CPrimType::Int32,
                                          CPrimType::Float, CPrimType::Double};

std::vector<double> Widened(const std::vector<std::uint8_t>& bytes, std::int32_t type) {
  const auto size = static_cast<std::size_t>(CPrimType::TypeSize[type]);
  std::vector<double> values;
  for (std::size_t at = 0; at + size <= bytes.size(); at += size)
    values.push_back(hostbase::CPrimData::GetWideReal(type, bytes.data() + at));
  return values;
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
  EXPECT_EQ((std::vector<int>{bytes[50], bytes[51], bytes[52]}), (std::vector<int>{12, 12, 10}));
  // Value count, 1.0f most significant byte first, bounds count, bounds 1 1.5 2 6 0 0.
  const std::int32_t fields[9] = {6, 0x3F800000, 6, 0x3F800000, 0x3FC00000, 0x40000000,
                                  0x40C00000, 0, 0};
  const std::size_t at[9] = {145, 149, 189, 193, 197, 201, 205, 209, 213};
  for (std::size_t i = 0; i < 9; ++i) EXPECT_EQ(IntAt(bytes, at[i]), fields[i]) << at[i];
}

TEST_F(ExportWriterTest, EveryGeometryAndTypeIsByteExactAndOnlyTheHeaderPrecedesTheLastScan) {
  for (std::int32_t kind : kKinds) {
    for (std::int32_t type : kWrittenTypes) {
      SCOPED_TRACE(testing::Message() << "kind " << kind << " type " << type);
      TempDir here;
      out = here.File("lattice.lat");
      ExportLattice lattice = MakeLattice(kind, type, 3, 2, 2, 2);
      // Negative values and values beyond one byte show the byte order.
      for (std::size_t i = 0; i < lattice.values.size(); i += 3) lattice.values[i] *= -1;
      if (type != CPrimType::Int8) lattice.values[1] = 300.5;
      ASSERT_EQ(Begin(), hostfw::ExportStatus_Accepted);
      ASSERT_EQ(SendHeader(lattice), hostfw::ExportStatus_Accepted);
      const std::int64_t headerBytes = kind == bin::kUniform ? 145 : 149;
      EXPECT_EQ(filter.OutputPosition(), headerBytes);
      ASSERT_EQ(SendScans(lattice, 0, lattice.ScanCount() - 1), hostfw::ExportStatus_Accepted);
      EXPECT_EQ(filter.OutputPosition(), headerBytes);
      ASSERT_EQ(SendLattice(lattice), hostfw::ExportStatus_Accepted);  // restarts it
      ASSERT_EQ(filter.EndExportToFile(), hostfw::ExportStatus_Accepted);
      std::vector<double> written = lattice.values;
      if (type == CPrimType::Int16 || type == CPrimType::Int32) written[1] = 301.0;
      EXPECT_TRUE(SameBytes(ReadFileBytes(out), ExpectedFile(lattice, &written)));
    }
  }
}

TEST_F(ExportWriterTest, EveryReceivedTypeIsWrittenAsTheFormatsTypeWithItsWarning) {
  const struct {
    std::int32_t received, primType;
    std::vector<double> values;
    const char* warning;  // null: none
  } cases[] = {
      {CPrimType::Int8, 0, {-128, 0, 127}, nullptr},
      {CPrimType::UInt8, 1, {0, 200, 255},
       "This file format does not support 8-bit unsigned integer data.  Export will proceed by "
       "converting to 16-bit signed data."},
      {CPrimType::Int16, 1, {-32768, 0, 32767}, nullptr},
      {CPrimType::UInt16, 2, {0, 40000, 65535},
       "This file format does not support 16-bit unsigned integer data.  Export will proceed by "
       "converting to 32-bit signed data."},
      {CPrimType::Int32, 2, {-2147483648.0, 0, 2147483647}, nullptr},
      {CPrimType::UInt32, 4, {0, 3e9, 4294967295.0},
       "This file format does not support 32-bit unsigned integer data.  Export will proceed by "
       "converting to double-precision floating-point data."},
      {CPrimType::Int64, 4, {-5, 1e18, 3},
       "This file format does not support 64-bit integer data.  Export will proceed by converting "
       "to 64-bit floating-point data.  Some data values may be truncated during conversion."},
      {CPrimType::Float, 3, {-2, 0.5, 1e38}, nullptr},
      {CPrimType::Double, 4, {-2, 1e-300, 1e300}, nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.received);
    host.Clear();
    ExportLattice lattice = MakeLattice(bin::kUniform, c.received, 3, 1, 1);
    lattice.values = c.values;
    const std::vector<std::uint8_t> bytes = ExportBytes(lattice);
    ASSERT_GT(bytes.size(), 105u);
    EXPECT_EQ(IntAt(bytes, 97), c.primType);
    EXPECT_EQ(IntAt(bytes, 101), c.primType);
    EXPECT_TRUE(SameBytes(bytes, ExpectedFile(lattice)));
    EXPECT_EQ(host.warnings, c.warning ? std::vector<std::string>{c.warning}
                                       : std::vector<std::string>{});
  }
}

TEST_F(ExportWriterTest, Int64IsTruncatedToTheNearestDouble) {
  ExportLattice lattice = MakeLattice(bin::kUniform, CPrimType::Int64, 3, 1, 1);
  ASSERT_EQ(Begin(), hostfw::ExportStatus_Accepted);
  ASSERT_EQ(SendHeader(lattice), hostfw::ExportStatus_Accepted);
  // Doubles cannot carry 2^53 + 1 into the scan; write the 64-bit values directly.
  hostfw::TrLatticeScan scan(*header);
  const std::int64_t raw[3] = {-5, 9007199254740993, 1000000000000000000};
  std::memcpy(scan.data, raw, sizeof raw);
  ASSERT_EQ(filter.ExportObject(scan), hostfw::ExportStatus_Accepted);
  ASSERT_EQ(filter.EndExportToFile(), hostfw::ExportStatus_Accepted);
  const std::vector<double> written = {-5, 9007199254740992.0, 1e18};
  EXPECT_TRUE(SameBytes(ReadFileBytes(out), ExpectedFile(lattice, &written)));
}

// A blanked node with method 0 (data minimum) and 1 (data maximum) shows the data range.
TEST_F(ExportWriterTest, DataRangeSpansTheComponentsAndIsConvertedToTheWrittenType) {
  const double max = std::numeric_limits<double>::max();
  const struct {
    std::int32_t type;
    std::vector<double> minima, maxima, written;
  } cases[] = {
      {CPrimType::Int32, {3, 1}, {5, 9}, {1, 9}},
      {CPrimType::Int32, {7}, {7}, {8, 7}},  // a single value: the range is inverted
      {CPrimType::Double, {-8, -6}, {-5, -3}, {-8, -3}},
      {CPrimType::Double, {}, {}, {max, -max}},
      {CPrimType::Int32, {}, {}, {2147483647.0, -2147483648.0}},
      {CPrimType::Int32, {3, 1, 2}, {5}, {1, 5}},  // shorter maxima are not read past
      {CPrimType::Int32, {-2.5}, {7.4}, {-3, 7}},  // halves away from zero
  };
  for (const auto& c : cases) {
    for (std::size_t method : {0, 1}) {
      SCOPED_TRACE(testing::Message() << "type " << c.type << " method " << method);
      ExportLattice lattice = MakeLattice(bin::kUniform, c.type, 1, 1, 1);
      lattice.values = {-99};
      lattice.blanks = true;
      lattice.blankValue = -99;
      lattice.componentMin = c.minima;
      lattice.componentMax = c.maxima;
      filter.SetOptions(method == 0 ? "BlankMethod=0" : "BlankMethod=1");
      const std::vector<double> written = {c.written[method]};
      EXPECT_TRUE(SameBytes(ExportBytes(lattice), ExpectedFile(lattice, &written)));
    }
  }
}

TEST_F(ExportWriterTest, EveryGeometryAndWrittenTypeComesBackThroughTheImportFilter) {
  using Kind = RecordedObject::Kind;
  const Kind kinds[] = {Kind::Uniform, Kind::Rectilinear, Kind::Curvilinear};
  for (std::int32_t kind : kKinds) {
    for (std::int32_t type : {CPrimType::Int8, CPrimType::Int16, CPrimType::UInt16,
                              CPrimType::Float, CPrimType::Double}) {
      SCOPED_TRACE(testing::Message() << "kind " << kind << " type " << type);
      ExportLattice lattice = MakeLattice(kind, type, 3, 2, 2, 2);
      if (type != CPrimType::UInt16)
        for (std::size_t i = 0; i < lattice.values.size(); i += 2) lattice.values[i] *= -1;
      if (type == CPrimType::UInt16) lattice.values[2] = 65535;
      if (type == CPrimType::Float || type == CPrimType::Double) lattice.values[3] = 0.375;
      if (type == CPrimType::Double) lattice.values[5] = 1e-300;
      ExportBytes(lattice);
      hostfw::IoManager importManager;
      RecordingHost imported{importManager};
      LatImportFilter importer(importManager);
      ASSERT_EQ(importer.ImportFromFile(out.c_str()), hostfw::ImportStatus_Complete);
      ASSERT_EQ(imported.objects.size(), 1 + lattice.ScanCount() + 1);
      const RecordedObject& head = imported.objects[0];
      const std::int32_t written = type == CPrimType::UInt16 ? CPrimType::Int32 : type;
      EXPECT_EQ(head.kind, kinds[kind]);
      EXPECT_EQ((std::vector<int>{head.nx, head.ny, head.nz, head.numComponents, head.dataType}),
                (std::vector<int>{3, 2, 2, 2, written}));
      if (kind == bin::kUniform) {
        EXPECT_EQ(head.origin, lattice.origin);
        EXPECT_EQ(head.spacing, lattice.spacing);
      }
      if (kind == bin::kRectilinear) {
        EXPECT_EQ(head.xCoords, std::vector<float>(lattice.xs.begin(), lattice.xs.end()));
        EXPECT_EQ(head.yCoords, std::vector<float>(lattice.ys.begin(), lattice.ys.end()));
        EXPECT_EQ(head.zCoords, std::vector<float>(lattice.zs.begin(), lattice.zs.end()));
      }
      const bool curvilinear = kind == bin::kCurvilinear;
      EXPECT_EQ(Widened(curvilinear ? imported.ScanBytes(1, 2) : imported.ScanBytes(), written),
                lattice.values);
      if (curvilinear) {
        EXPECT_EQ(Widened(imported.ScanBytes(0, 2), CPrimType::Float), lattice.nodeCoords);
      }
      EXPECT_EQ(imported.objects.back().kind, Kind::End);
    }
  }
}

TEST(ExportModuleTest, ExportLATMakesAFilterOnTheManagerAndTheClassesStayHidden) {
  const PluginModule module(LAT_PLUGIN_PATH);
  EXPECT_NE(module.Find("ImportLAT"), nullptr);
  EXPECT_EQ(module.Find("_ZTV15LatExportFilter"), nullptr);
  EXPECT_EQ(module.Find("_Z9ExportLATRN6hostfw9IoManagerE"), nullptr);
  using Factory = hostfw::IoExportFilter* (*)(hostfw::IoManager&);
  const auto factory = reinterpret_cast<Factory>(module.Find("ExportLAT"));
  ASSERT_NE(factory, nullptr);
  hostfw::IoManager manager;
  const std::unique_ptr<hostfw::IoExportFilter> filter(factory(manager));
  ASSERT_NE(filter, nullptr);
  EXPECT_EQ(&filter->GetManager(), &manager);
  EXPECT_TRUE(filter->IsObjectTypeSupported(hostfw::TrLatticeScan::GetClassTypeId()));
  std::vector<std::uint8_t> bytes;  // export to memory is not offered
  EXPECT_EQ(filter->BeginExportToMemory(bytes, false), hostfw::ExportStatus_NotHandled);
}

}  // namespace
}  // namespace lattest
