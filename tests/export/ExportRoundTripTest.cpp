// Lattices exported and imported again by the plug-in's own import filter arrive with
// their shape, type, values and coordinates, for every geometry and every written type.
#include "import/LatImportFilter.h"
#include "tests/export/ExportHarness.h"

namespace lattest {
namespace {

namespace bin = lat::binary;
using hostbase::CPrimData;
using hostbase::CPrimType;
using Kind = RecordedObject::Kind;

// The values of a scan's bytes of `type`, widened to doubles.
std::vector<double> Widened(const std::vector<std::uint8_t>& bytes, std::int32_t type) {
  const auto size = static_cast<std::size_t>(CPrimType::TypeSize[type]);
  std::vector<double> values;
  for (std::size_t at = 0; at + size <= bytes.size(); at += size)
    values.push_back(CPrimData::GetWideReal(type, bytes.data() + at));
  return values;
}

std::vector<float> Floats(const std::vector<double>& values) {
  return std::vector<float>(values.begin(), values.end());
}

class ExportRoundTripTest : public ExportTest {
 protected:
  // Exports `lattice` and imports the file; the import's host holds what arrived.
  void RoundTrip(const ExportLattice& lattice) {
    ExportBytes(lattice);
    LatImportFilter importer(importManager);
    ASSERT_EQ(importer.ImportFromFile(out.c_str()), hostfw::ImportStatus_Complete);
  }

  hostfw::IoManager importManager;
  RecordingHost imported{importManager};
};

TEST_F(ExportRoundTripTest, EveryGeometryAndWrittenTypeComesBack) {
  const Kind kinds[] = {Kind::Uniform, Kind::Rectilinear, Kind::Curvilinear};
  for (std::int32_t kind : {bin::kUniform, bin::kRectilinear, bin::kCurvilinear}) {
    for (std::int32_t type : {CPrimType::Int8, CPrimType::Int16, CPrimType::Int32, CPrimType::Float,
                              CPrimType::Double}) {
      SCOPED_TRACE(testing::Message() << "kind " << kind << " type " << type);
      imported.Clear();
      ExportLattice lattice = MakeLattice(kind, type, 3, 2, 2, 2);
      for (std::size_t i = 0; i < lattice.values.size(); i += 2) lattice.values[i] *= -1;
      if (type == CPrimType::Float || type == CPrimType::Double) lattice.values[3] = 0.375;
      if (type == CPrimType::Double) lattice.values[5] = 1e-300;
      RoundTrip(lattice);
      const bool curvilinear = kind == bin::kCurvilinear;
      const std::size_t scans = curvilinear ? 8 : 4;
      ASSERT_EQ(imported.objects.size(), 1 + scans + 1);
      const RecordedObject& head = imported.objects[0];
      EXPECT_EQ(head.kind, kinds[kind]);
      EXPECT_EQ(head.nx, 3);
      EXPECT_EQ(head.ny, 2);
      EXPECT_EQ(head.nz, 2);
      EXPECT_EQ(head.numComponents, 2);
      EXPECT_EQ(head.dataType, type);
      if (kind == bin::kUniform) {
        EXPECT_EQ(head.origin, lattice.origin);
        EXPECT_EQ(head.spacing, lattice.spacing);
      }
      if (kind == bin::kRectilinear) {
        EXPECT_EQ(head.xCoords, Floats(lattice.xs));
        EXPECT_EQ(head.yCoords, Floats(lattice.ys));
        EXPECT_EQ(head.zCoords, Floats(lattice.zs));
      }
      const std::vector<std::uint8_t> values =
          curvilinear ? imported.ScanBytes(1, 2) : imported.ScanBytes();
      EXPECT_EQ(Widened(values, type), lattice.values);
      if (curvilinear) {
        const std::vector<std::uint8_t> coords = imported.ScanBytes(0, 2);
        EXPECT_EQ(Widened(coords, CPrimType::Float), lattice.nodeCoords);
      }
      EXPECT_EQ(imported.objects.back().kind, Kind::End);
    }
  }
}

TEST_F(ExportRoundTripTest, PromotedTypesComeBackAsTheWrittenType) {
  ExportLattice lattice = MakeLattice(bin::kUniform, CPrimType::UInt16, 2, 2, 2);
  lattice.values = {0, 1, 65535, 40000, 2, 3, 4, 5};
  RoundTrip(lattice);
  ASSERT_EQ(imported.objects.size(), 6u);
  EXPECT_EQ(imported.objects[0].dataType, CPrimType::Int32);
  EXPECT_EQ(Widened(imported.ScanBytes(), CPrimType::Int32), lattice.values);
}

TEST_F(ExportRoundTripTest, BlankedNodesComeBackReplaced) {
  ExportLattice lattice = MakeLattice(bin::kRectilinear, CPrimType::Float, 2, 2, 2);
  lattice.values = {1, -999, 3, 4, -999, 6, 7, -999};
  lattice.blanks = true;
  lattice.blankValue = -999;
  lattice.componentMin = {1};
  lattice.componentMax = {7};
  filter.SetOptions("BlankMethod=1");
  RoundTrip(lattice);
  ASSERT_EQ(imported.objects.size(), 6u);
  EXPECT_EQ(Widened(imported.ScanBytes(), CPrimType::Float),
            (std::vector<double>{1, 7, 3, 4, 7, 6, 7, 7}));
}

}  // namespace
}  // namespace lattest
