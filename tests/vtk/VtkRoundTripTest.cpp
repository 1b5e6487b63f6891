// Lattices exported by the VTK module and imported again, for every kind, value type,
// encoding and blank setting, and a few shapes (many zlib blocks, a flat lattice, integer
// coordinates); also under the sanitizers and on Windows. With VTK_REFEREE_DIR set, the
// files are kept there, named after their case, for vtk_check.py (VTK's own readers).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ostream>
#include <string>
#include <tuple>
#include <vector>

#include "formats/VtkXmlFormat.h"
#include "hostbase/PrimType.h"
#include "tests/support/RecordingHost.h"
#include "tests/support/TempDir.h"
#include "tests/vtk/VtkPattern.h"
#include "vtk/VtkExportFilter.h"
#include "vtk/VtkImportFilter.h"

namespace {

using hostbase::CPrimType;

// vtk_check.py expects this array name in the zlib files and the default in the others.
constexpr const char* kMarkupName = "a<b & \"c\"";

struct Case {
  vtktest::Pattern pattern;
  bool zlib = false;
};

std::string CaseName(const Case& c) {
  const vtktest::Pattern& p = c.pattern;
  char name[80];
  std::snprintf(name, sizeof name, "k%d-t%d-c%d-%dx%dx%d-ct%d-b%d-z%d", p.kind, p.type,
                p.components, p.nx, p.ny, p.nz, p.coordType, p.blanks, c.zlib);
  return name;
}

// Named by its fields: printed as bytes, the padding would be read uninitialised.
void PrintTo(const Case& c, std::ostream* os) {
  *os << CaseName(c);
}

std::vector<Case> Cases() {
  std::vector<Case> cases;
  for (int kind = 0; kind < 3; ++kind)
    for (int type = 0; type < 9; ++type)
      for (const bool zlib : {false, true})
        for (const bool blanks : {false, true}) {
          const int coordType = type % 2 == 0 ? CPrimType::Float : CPrimType::Double;
          cases.push_back({{kind, type, 1 + (type + kind) % 4, 5, 4, 3, coordType, blanks}, zlib});
        }
  cases.push_back({{0, CPrimType::Double, 3, 70, 60, 3, CPrimType::Float, true}, true});
  cases.push_back({{2, CPrimType::Float, 2, 64, 64, 4, CPrimType::Double, true}, true});
  cases.push_back({{1, CPrimType::Int32, 4, 33, 17, 1, CPrimType::Int16, true}, true});
  cases.push_back({{2, CPrimType::UInt8, 1, 7, 5, 1, CPrimType::Int16, true}, false});
  return cases;
}

class VtkRoundTrip : public testing::TestWithParam<Case> {};

TEST_P(VtkRoundTrip, ImportGivesBackWhatWasExported) {
  const Case& c = GetParam();
  const vtktest::Pattern& p = c.pattern;
  lattest::TempDir dir;
  const char* keep = std::getenv("VTK_REFEREE_DIR");
  const std::string path = (keep != nullptr ? std::string(keep) : dir.Path()) + "/" + CaseName(c) +
                           std::string(vtkxml::kExtensions[p.kind]);
  hostfw::IoManager manager;
  std::vector<lattest::RecordedObject> sent;
  {
    VtkExportFilter exporter(manager);
    exporter.SetOptions(c.zlib ? ("Compress=zlib,ArrayName=" + std::string(kMarkupName)).c_str()
                               : "");
    ASSERT_EQ(exporter.BeginExportToFile(path.c_str(), false), 0);
    ASSERT_EQ(vtktest::PatternLattice(p).SendAll([&](hostfw::TrBase& object) {
      sent.push_back(lattest::RecordObject(object));
      return static_cast<int>(exporter.ExportObject(object));
    }),
              0);
    ASSERT_EQ(exporter.EndExportToFile(), 0);
  }
  lattest::RecordingHost host(manager);
  VtkImportFilter importer(manager);
  ASSERT_TRUE(importer.CanImportFile(path.c_str()));
  ASSERT_EQ(importer.ImportFromFile(path.c_str()), 0);
  ASSERT_EQ(host.objects.size(), sent.size());
  const lattest::RecordedObject& header = host.objects[0];
  const lattest::RecordedObject& want = sent[0];
  EXPECT_EQ(
      std::tie(header.kind, header.nx, header.ny, header.nz, header.numComponents, header.dataType,
               header.origin, header.spacing, header.xCoords, header.yCoords, header.zCoords),
      std::tie(want.kind, want.nx, want.ny, want.nz, want.numComponents, want.dataType, want.origin,
               want.spacing, want.xCoords, want.yCoords, want.zCoords));
  EXPECT_EQ(header.flags, p.blanks ? 1 : 0);
  // Data scans come back as sent, except that a node holding the marker in any component
  // comes back whole as the import's blank value; coordinates as floats or doubles.
  const auto n = static_cast<std::size_t>(p.components);
  const auto size = static_cast<std::size_t>(CPrimType::TypeSize[p.type]);
  std::vector<std::uint8_t> blank(size);
  CPrimType::CastArray(CPrimType::Double, &header.blankValue, p.type, blank.data(), 1, 1);
  for (std::size_t s = 1; s + 1 < sent.size(); ++s) {
    SCOPED_TRACE("object " + std::to_string(s));
    if (p.kind == 2 && s % 2 == 1) {
      EXPECT_EQ(lattest::AsDoubles(header.coordType, host.objects[s].bytes),
                lattest::AsDoubles(p.coordType, sent[s].bytes));
      continue;
    }
    const auto values = lattest::AsDoubles(p.type, sent[s].bytes);
    std::vector<std::uint8_t> expected = sent[s].bytes;
    for (std::size_t i = 0; p.blanks && i < values.size(); i += n) {
      if (std::count(&values[i], &values[i] + n, vtktest::BlankMarker(p.type)) == 0) continue;
      for (std::size_t k = i; k < i + n; ++k)
        std::copy(blank.begin(), blank.end(), &expected[k * size]);
    }
    EXPECT_EQ(host.objects[s].bytes, expected);
  }
}

INSTANTIATE_TEST_SUITE_P(EveryKindTypeEncoding, VtkRoundTrip, testing::ValuesIn(Cases()));

}  // namespace
