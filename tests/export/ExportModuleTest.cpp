// The plug-in module as a host loads it: ExportLAT is found by its plain name and makes a
// working export filter; the filter's own classes stay inside the module.
#include <memory>

#include "hostfw/IoFilter.h"
#include "tests/export/ExportHarness.h"
#include "tests/support/PluginModule.h"

namespace lattest {
namespace {

using ExportFactory = hostfw::IoExportFilter* (*)(hostfw::IoManager&);

TEST(ExportModuleTest, ExportLATMakesAFilterThatExports) {
  const PluginModule module(LAT_PLUGIN_PATH);
  const auto factory = reinterpret_cast<ExportFactory>(module.Find("ExportLAT"));
  ASSERT_NE(factory, nullptr);
  TempDir dir;
  const std::string path = dir.File("module.lat");
  hostfw::IoManager manager;
  RecordingHost host(manager);
  const std::unique_ptr<hostfw::IoExportFilter> filter(factory(manager));
  ASSERT_NE(filter, nullptr);
  EXPECT_EQ(&filter->GetManager(), &manager);
  EXPECT_TRUE(filter->IsObjectTypeSupported(hostfw::TrLatticeScan::GetClassTypeId()));
  const ExportLattice lattice =
      MakeLattice(lat::binary::kUniform, hostbase::CPrimType::UInt8, 2, 3, 1);
  ASSERT_EQ(filter->BeginExportToFile(path.c_str(), false), hostfw::ExportStatus_Accepted);
  const std::unique_ptr<hostfw::TrLattice> header = MakeHeader(lattice);
  ASSERT_EQ(filter->ExportObject(*header), hostfw::ExportStatus_Accepted);
  for (std::size_t s = 0; s < lattice.ScanCount(); ++s)
    ASSERT_EQ(filter->ExportObject(*MakeScan(lattice, *header, s)), hostfw::ExportStatus_Accepted);
  EXPECT_EQ(filter->EndExportToFile(), hostfw::ExportStatus_Accepted);
  EXPECT_TRUE(SameBytes(ReadFileBytes(path), ExpectedFile(lattice)));
  EXPECT_EQ(host.warnings.size(), 1u);
  // Export to memory is not offered.
  std::vector<std::uint8_t> bytes;
  EXPECT_EQ(filter->BeginExportToMemory(bytes, false), hostfw::ExportStatus_NotHandled);
}

TEST(ExportModuleTest, HidesTheExportFilterClass) {
  const PluginModule module(LAT_PLUGIN_PATH);
  EXPECT_NE(module.Find("ExportLAT"), nullptr);
  EXPECT_NE(module.Find("ImportLAT"), nullptr);
  EXPECT_EQ(module.Find("_ZTV15LatExportFilter"), nullptr);
  EXPECT_EQ(module.Find("_Z9ExportLATRN6hostfw9IoManagerE"), nullptr);
}

}  // namespace
}  // namespace lattest
