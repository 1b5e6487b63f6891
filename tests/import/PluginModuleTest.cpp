// The plug-in module as a host loads it: ImportLAT is found by its plain name and makes a
// working filter; the filter's own classes stay inside the module.
#include <memory>

#include "hostfw/IoFilter.h"
#include "tests/import/ImportHarness.h"
#include "tests/support/PluginModule.h"

namespace lattest {
namespace {

TEST(PluginModuleTest, ImportLATMakesAFilterThatImports) {
  const PluginModule module(LAT_PLUGIN_PATH);
  const PluginModule::ImportFactory factory = module.FindImportLAT();
  ASSERT_NE(factory, nullptr);
  TempDir dir;
  const std::string path = dir.Write("example.lat", ExamplePlainText());
  hostfw::IoManager manager;
  RecordingHost host(manager);
  const std::unique_ptr<hostfw::IoImportFilter> filter(factory(manager));
  ASSERT_NE(filter, nullptr);
  EXPECT_TRUE(filter->CanImportFile(path.c_str()));
  EXPECT_EQ(filter->ImportFromFile(path.c_str()), 0);
  EXPECT_EQ(host.Sequence(), "U S S E");
  EXPECT_EQ(&filter->GetManager(), &manager);
}

TEST(PluginModuleTest, HidesEverythingButTheFactories) {
  const PluginModule module(LAT_PLUGIN_PATH);
  EXPECT_NE(module.Find("ImportLAT"), nullptr);
  EXPECT_EQ(module.Find("_ZN15LatImportFilter13CanImportFileEPKc"), nullptr);
  EXPECT_EQ(module.Find("_ZTV15LatImportFilter"), nullptr);
  EXPECT_EQ(module.Find("_Z9ImportLATRN6hostfw9IoManagerE"), nullptr);
}

}  // namespace
}  // namespace lattest
