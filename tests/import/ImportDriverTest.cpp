// The filter's face towards the host: recognition, the magic line, the driver's progress
// report and state across imports, and the small virtual operations.
#include <string>

#include "hostfw/Transfer.h"
#include "tests/import/ImportHarness.h"

namespace lattest {
namespace {

const std::string kMagic = "#!/usr/explorer/bin/explorer cxLattice plain 1.0\n";

class RecognitionTest : public ImportTest {
 protected:
  bool Recognises(const std::string& content) {
    return filter.CanImportFile(dir.Write("probe.lat", content).c_str());
  }
};

TEST_F(RecognitionTest, AcceptsTheMagicLineOfEveryKind) {
  EXPECT_TRUE(Recognises(kMagic));
  EXPECT_TRUE(Recognises("#!/usr/explorer/bin/explorer cxLattice binary 2.0\n\f\f\n"));
  EXPECT_TRUE(Recognises("#!/usr/explorer/bin/explorer cxLattice ascii 1.0\n"));
  EXPECT_TRUE(Recognises("#!explorer cxLattice"));
  EXPECT_TRUE(Recognises("#!explorercxLattice"));
}

TEST_F(RecognitionTest, FindsTheWordsAnywhereInTheFirst200Bytes) {
  EXPECT_TRUE(Recognises("#! some tool\n# by explorer\n# a cxLattice file\n"));
  const std::string padding(200 - 2 - 8 - 9, ' ');
  EXPECT_TRUE(Recognises("#!explorer" + padding + "cxLattice"));    // ends at byte 200
  EXPECT_FALSE(Recognises("#!explorer" + padding + " cxLattice"));  // one byte beyond
}

TEST_F(RecognitionTest, NeedsCxLatticeAtOrAfterTheFirstExplorer) {
  EXPECT_FALSE(Recognises("#!cxLattice /usr/explorer/bin/explorer\n"));
  EXPECT_TRUE(Recognises("#!cxLattice explorer cxLattice\n"));
  EXPECT_FALSE(Recognises("#!/usr/explorer/bin/explorer cxlattice plain 1.0\n"));
}

TEST_F(RecognitionTest, RefusesFilesThatDoNotStartWithHashBang) {
  EXPECT_FALSE(Recognises(" " + kMagic));
  EXPECT_FALSE(Recognises("\n" + kMagic));
  EXPECT_FALSE(Recognises("\xEF\xBB\xBF" + kMagic));
  EXPECT_FALSE(Recognises("!#/usr/explorer/bin/explorer cxLattice plain 1.0\n"));
  EXPECT_FALSE(Recognises(""));
  EXPECT_FALSE(Recognises("#"));
  EXPECT_FALSE(Recognises("#!"));
}

TEST_F(RecognitionTest, StopsSearchingAtTheFirstNulByte) {
  EXPECT_FALSE(Recognises(std::string("#!\0explorer cxLattice\n", 22)));
  EXPECT_FALSE(Recognises(std::string("#!explorer\0cxLattice\n", 21)));
}

TEST_F(RecognitionTest, AnswersFalseForWhatCannotBeRead) {
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

TEST_F(MagicLineTest, RefusesTheAsciiKind) {
  const std::string path = WritePlain("#!/usr/explorer/bin/explorer cxLattice ascii 1.0\n");
  EXPECT_TRUE(filter.CanImportFile(path.c_str()));
  ExpectError(
      path, "LatImportFilter", hostfw::ErrCode::UnsupportedFeature,
      {std::string("Iris Explorer LAT"), std::string("import of 'ASCII' format files"), path});
  EXPECT_TRUE(host.objects.empty());
  EXPECT_EQ(host.stops, 1);
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

TEST_F(DriverTest, MissingFileRaisesTheOpenError) {
  const std::string path = dir.File("missing.lat");
  const std::optional<hostbase::CError> error = ImportError(path);
  ASSERT_TRUE(error);
  EXPECT_EQ(error->Code(), hostbase::kErrFileOpen);
  EXPECT_TRUE(host.beginMessages.empty());
}

TEST_F(DriverTest, KeepsTheFileOpenUntilTheNextImport) {
  const std::string first = WritePlain(ExamplePlainText(), "first.lat");
  const std::string second = WritePlain(ExamplePlainText(), "second.lat");
  EXPECT_EQ(Import(first), 0);
  EXPECT_TRUE(IsFileOpen(first));
  EXPECT_EQ(Import(second), 0);
  EXPECT_FALSE(IsFileOpen(first));
  EXPECT_TRUE(IsFileOpen(second));
}

TEST_F(DriverTest, CountsLinesFromZeroInEachImport) {
  std::string bad = ExamplePlainText();
  bad.replace(bad.find("5.5"), 3, "5.x");
  ExpectNumberError(WritePlain(bad, "bad.lat"), 7);
  // The second file fails on its magic line: its count starts again.
  ExpectNumberError(WritePlain("#!/usr/explorer/bin/explorer cxLattice binary v\n", "b.lat"), 1);
  ExpectNumberError(WritePlain(bad, "bad.lat"), 7);
}

TEST_F(DriverTest, FileOfAFailedImportStaysOpen) {
  const std::string path = WritePlain("#!/usr/explorer/bin/explorer cxLattice text 1.0\n");
  ExpectNotLatFile(path);
  EXPECT_TRUE(IsFileOpen(path));
}

TEST(ImportFilterOperations, SupportsTheLatticeTransferClassesOnly) {
  hostfw::IoManager manager;
  LatImportFilter filter(manager);
  EXPECT_TRUE(filter.IsObjectTypeSupported(hostfw::TrUniformLattice::GetClassTypeId()));
  EXPECT_TRUE(filter.IsObjectTypeSupported(hostfw::TrRectilinearLattice::GetClassTypeId()));
  EXPECT_TRUE(filter.IsObjectTypeSupported(hostfw::TrCurvilinearLattice::GetClassTypeId()));
  EXPECT_TRUE(filter.IsObjectTypeSupported(hostfw::TrLatticeScan::GetClassTypeId()));
  EXPECT_TRUE(filter.IsObjectTypeSupported(hostfw::TrLatticeEnd::GetClassTypeId()));
  EXPECT_FALSE(filter.IsObjectTypeSupported(hostfw::TrLattice::GetClassTypeId()));
  EXPECT_FALSE(filter.IsObjectTypeSupported(hostfw::TrBase::GetClassTypeId()));
  EXPECT_FALSE(filter.IsObjectTypeSupported(nullptr));
}

TEST(ImportFilterOperations, ReadsStringOptionsWithCommas) {
  hostfw::IoManager manager;
  LatImportFilter filter(manager);
  std::string value = "untouched";
  EXPECT_TRUE(
      filter.GetStringOption("Defaults,BlankMethod=2,FixedBlankValue=1.5", "BlankMethod", value));
  EXPECT_EQ(value, "2");
  EXPECT_FALSE(filter.GetStringOption("BlankMethod=2;Other=3", "Other", value));
  EXPECT_EQ(value, "2");
  EXPECT_FALSE(filter.GetStringOption("", "BlankMethod", value));
}

TEST(ImportFilterOperations, HasNoOptions) {
  hostfw::IoManager manager;
  LatImportFilter filter(manager);
  filter.SetOptions("BlankMethod=2");
  EXPECT_EQ(filter.GetOptionsInStringForm(), "");
}

}  // namespace
}  // namespace lattest
