// The filter's face towards the host: recognition, the magic line, the driver's progress
// report and its state across imports, and the module's ImportLAT as a host loads it.
#include <memory>
#include <string>

#include "tests/import/ImportHarness.h"
#include "tests/support/PluginModule.h"

namespace lattest {
namespace {

const std::string kMagic = "#!/usr/explorer/bin/explorer cxLattice plain 1.0\n";

TEST(RecognitionTest, NeedsHashBangThenExplorerThenCxLatticeInTheFirst200Bytes) {
  const std::string padding(200 - 2 - 8 - 9, ' ');
  const struct {
    std::string content;
    bool recognised;
  } cases[] = {
      {kMagic, true},
      {"#!/usr/explorer/bin/explorer cxLattice binary 2.0\n\f\f\n", true},
      {"#!/usr/explorer/bin/explorer cxLattice ascii 1.0\n", true},
      {"#!explorercxLattice", true},
      {"#! some tool\n# by explorer\n# a cxLattice file\n", true},
      {"#!explorer" + padding + "cxLattice", true},    // ends at byte 200
      {"#!explorer" + padding + " cxLattice", false},  // one byte beyond
      {"#!cxLattice /usr/explorer/bin/explorer\n", false},
      {"#!cxLattice explorer cxLattice\n", true},
      {"#!/usr/explorer/bin/explorer cxlattice plain 1.0\n", false},
      {" " + kMagic, false},
      {"\n" + kMagic, false},
      {"\xEF\xBB\xBF" + kMagic, false},
      {"!#/usr/explorer/bin/explorer cxLattice plain 1.0\n", false},
      {"", false},
      {"#", false},
      {"#!", false},
      {std::string("#!\0explorer cxLattice\n", 22), false},  // the search stops at a NUL
      {std::string("#!explorer\0cxLattice\n", 21), false},
  };
  TempDir dir;
  hostfw::IoManager manager;
  LatImportFilter filter(manager);
  for (const auto& c : cases)
    EXPECT_EQ(filter.CanImportFile(dir.Write("probe.lat", c.content).c_str()), c.recognised)
        << c.content;
  EXPECT_FALSE(filter.CanImportFile(dir.File("missing.lat").c_str()));
  EXPECT_FALSE(filter.CanImportFile(dir.Path().c_str()));
}

class MagicLineTest : public ImportTest {};

TEST_F(MagicLineTest, RefusesMalformedLinesAsNotLatFiles) {
  const char* const lines[] = {
      " #!/usr/explorer/bin/explorer cxLattice plain 1.0\n",
      "\xEF\xBB\xBF#!/usr/explorer/bin/explorer cxLattice plain 1.0\n",
      "#/usr/explorer/bin/explorer cxLattice plain 1.0\n",
      "#",
      "#!",
      "#!\n",
      "#!/usr/bin/iris cxLattice plain 1.0\n",
      "#!/usr/explorer/bin/explorer CxLattice plain 1.0\n",
      "#!/usr/explorer/bin/explorer cxLattice",
      "#!/usr/explorer/bin/explorer cxLattice plain",
      "#!/usr/explorer/bin/explorer cxLattice\n",
      "#!/usr/explorer/bin/explorer cxLattice Plain 1.0\n",
      "#!/usr/explorer/bin/explorer cxLattice text 1.0\n",
  };
  int index = 0;
  for (const char* line : lines) {
    SCOPED_TRACE(line);
    ExpectNotLatFile(WritePlain(line, "bad" + std::to_string(index++) + ".lat"));
  }
  EXPECT_TRUE(host.objects.empty());
}

TEST_F(MagicLineTest, AcceptsCarriageReturnsAndExtraBlanks) {
  const std::string text = ExamplePlainText();
  const std::string body = text.substr(text.find('\n') + 1);
  EXPECT_EQ(Import(WritePlain("#!\r  explorer \t cxLattice  plain   7 extra words\r\n" + body)), 0);
  EXPECT_EQ(host.Sequence(), "U S S E");
}

TEST_F(MagicLineTest, RefusesAVersionWordThatIsNoNumber) {
  ExpectNumberError(WritePlain("#!/usr/explorer/bin/explorer cxLattice plain x\n"), 1);
  ExpectNumberError(WritePlain("#!/usr/explorer/bin/explorer cxLattice plain x 1\n"), 0);
  // A version word that runs into the end of the file.
  ExpectNumberError(WritePlain("#!/usr/explorer/bin/explorer cxLattice plain 1.0"), 0);
  ExpectNumberError(WritePlain("#!/usr/explorer/bin/explorer cxLattice plain \n\n"), 2);
}

TEST_F(MagicLineTest, PassesSpreadWordsButTheBodyThenFails) {
  // The words of line 1 continue on line 2; the body reader takes "plain" as nDim.
  std::string text = ExamplePlainText();
  text[text.find(" plain")] = '\n';
  ExpectNumberError(WritePlain(text), 1);
}

class DriverTest : public ImportTest {};

TEST_F(DriverTest, ReportsProgressUnderTheFileName) {
  const std::string path = WritePlain(ExamplePlainText(), "example.lat");
  EXPECT_EQ(Import(path), 0);
  EXPECT_EQ(host.beginMessages,
            std::vector<std::string>{"Importing Iris Explorer LAT file example.lat"});
  EXPECT_EQ(host.fractions, std::vector<double>{0.0});
  EXPECT_EQ(host.stops, 1);
}

TEST_F(DriverTest, CancelAtTheFirstMessageHandsNothingOver) {
  host.cancelAtBegin = true;
  EXPECT_EQ(Import(WritePlain(ExamplePlainText())), 1);
  EXPECT_TRUE(host.objects.empty());
  EXPECT_TRUE(host.fractions.empty());
  EXPECT_EQ(host.stops, 1);
}

TEST_F(DriverTest, EndsTheProgressReportWhenAnImportFails) {
  ExpectNotLatFile(WritePlain("#!/usr/bin/other cxLattice plain 1\n"));
  EXPECT_EQ(host.beginMessages.size(), 1u);
  EXPECT_EQ(host.stops, 1);
}

TEST_F(DriverTest, CountsLinesFromZeroInEachImport) {
  std::string bad = ExamplePlainText();
  bad.replace(bad.find("5.5"), 3, "5.x");
  ExpectNumberError(WritePlain(bad, "bad.lat"), 7);
  // The second file fails on its magic line: its count starts again.
  ExpectNumberError(WritePlain("#!/usr/explorer/bin/explorer cxLattice binary v\n", "b.lat"), 1);
  ExpectNumberError(WritePlain(bad, "bad.lat"), 7);
}

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

}  // namespace
}  // namespace lattest
