// Lattices exported by the VTK module and imported again, for every kind, value type,
// encoding and blank setting: the check that also runs under the sanitizers and on Windows,
// where VTK's own readers are not at hand.
#include <gtest/gtest.h>

#include <cmath>
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
using Kind = lattest::RecordedObject::Kind;

class VtkRoundTrip : public testing::TestWithParam<std::tuple<int, int, bool, bool>> {};

TEST_P(VtkRoundTrip, ImportGivesBackWhatWasExported) {
  const auto [kind, type, zlib, blanks] = GetParam();
  vtktest::Pattern pattern;
  pattern.kind = kind;
  pattern.type = type;
  pattern.components = 1 + (type + kind) % 4;
  pattern.coordType = kind == 2 ? CPrimType::Double : CPrimType::Float;
  pattern.blanks = blanks;
  lattest::TempDir dir;
  const std::string path = dir.File("a" + std::string(vtkxml::kExtensions[kind]));
  hostfw::IoManager manager;
  std::vector<lattest::RecordedObject> sent;
  {
    VtkExportFilter exporter(manager);
    exporter.SetOptions(zlib ? "Compress=zlib" : "Compress=none");
    ASSERT_EQ(exporter.BeginExportToFile(path.c_str(), false), 0);
    ASSERT_EQ(vtktest::SendPattern(pattern,
                                   [&](hostfw::TrBase& object) {
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
  EXPECT_EQ(header.flags, blanks ? 1 : 0);
  // Nodes holding the marker come back whole as the import's blank value.
  const auto size = static_cast<std::size_t>(CPrimType::TypeSize[type]);
  const auto components = static_cast<std::size_t>(pattern.components);
  for (std::size_t s = 1; s < sent.size(); ++s) {
    const auto& got = host.objects[s].bytes;
    const auto& bytes = sent[s].bytes;
    ASSERT_EQ(got.size(), bytes.size()) << "object " << s;
    const bool data = sent[s].kind == Kind::Scan && (kind != 2 || s % 2 == 0);
    if (!data || !blanks) {
      EXPECT_EQ(got, bytes) << "object " << s;
      continue;
    }
    for (std::size_t node = 0; node < bytes.size() / (components * size); ++node) {
      bool hidden = false;
      for (std::size_t c = 0; c < components; ++c)
        hidden = hidden ||
                 hostbase::CPrimData::GetWideReal(type, &bytes[(node * components + c) * size]) ==
                     vtktest::BlankMarker(type);
      for (std::size_t c = 0; c < components; ++c) {
        const std::size_t at = (node * components + c) * size;
        const double value = hostbase::CPrimData::GetWideReal(type, &got[at]);
        const double expected =
            hidden ? header.blankValue : hostbase::CPrimData::GetWideReal(type, &bytes[at]);
        EXPECT_TRUE(value == expected || (std::isnan(value) && std::isnan(expected)))
            << "object " << s << " node " << node << ": " << value << " for " << expected;
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(EveryKindTypeEncoding, VtkRoundTrip,
                         testing::Combine(testing::Range(0, 3), testing::Range(0, 9),
                                          testing::Bool(), testing::Bool()));

}  // namespace
