// The options "BlankMethod" and "FixedBlankValue": the options string with "Defaults" and
// "ForgetOptions", the host's saved options, and what is saved back.
#include "tests/export/ExportHarness.h"

namespace lattest {
namespace {

// What a filter on a fresh host with `saved` as its saved options leaves in the session
// and in the saved store after SetOptions(options).
struct OptionsOutcome {
  std::string session;
  std::string saved;
};

OptionsOutcome AfterSetOptions(const std::string& saved, const char* options) {
  hostfw::IoManager manager;
  manager.LoadSavedOptions(saved);
  LatExportFilter filter(manager);
  filter.SetOptions(options);
  return {filter.GetOptionsInStringForm(), manager.SavedOptionsText()};
}

class ExportOptionsTest : public ExportTest {
 protected:
  std::string Session() { return filter.GetOptionsInStringForm(); }
  std::string Saved() const { return manager.SavedOptionsText(); }
};

TEST_F(ExportOptionsTest, NullOrEmptyOptionsLoadTheSavedOnesAndSaveThemBack) {
  for (const char* options : {static_cast<const char*>(nullptr), ""}) {
    SCOPED_TRACE(options == nullptr ? "null" : "empty");
    const OptionsOutcome outcome = AfterSetOptions("BlankMethod=2\n", options);
    EXPECT_EQ(outcome.session, "BlankMethod=2,FixedBlankValue=0");
    // Saved with persistence: the value that was not saved before is now.
    EXPECT_EQ(outcome.saved, "BlankMethod=2\nFixedBlankValue=0\n");
  }
}

TEST_F(ExportOptionsTest, OptionsStringWinsOverTheSavedOptions) {
  const std::string saved = "BlankMethod=1\nFixedBlankValue=9\n";
  OptionsOutcome outcome = AfterSetOptions(saved, "BlankMethod=4,FixedBlankValue=-2.5");
  EXPECT_EQ(outcome.session, "BlankMethod=4,FixedBlankValue=-2.5");
  EXPECT_EQ(outcome.saved, "BlankMethod=4\nFixedBlankValue=-2.5\n");
  // A key that is absent keeps the saved value.
  outcome = AfterSetOptions(saved, "FixedBlankValue=3");
  EXPECT_EQ(outcome.saved, "BlankMethod=1\nFixedBlankValue=3\n");
  outcome = AfterSetOptions(saved, "BlankMethod=0");
  EXPECT_EQ(outcome.saved, "BlankMethod=0\nFixedBlankValue=9\n");
}

TEST_F(ExportOptionsTest, DefaultsIgnoreTheSavedOptionsUnlessTheStringSetsThem) {
  const std::string saved = "BlankMethod=2\nFixedBlankValue=9\n";
  EXPECT_EQ(AfterSetOptions(saved, "Defaults").saved, "BlankMethod=0\nFixedBlankValue=0\n");
  EXPECT_EQ(AfterSetOptions(saved, "Defaults=true,BlankMethod=1").saved,
            "BlankMethod=1\nFixedBlankValue=0\n");
  EXPECT_EQ(AfterSetOptions(saved, "FixedBlankValue=3,Defaults=yes").saved,
            "BlankMethod=0\nFixedBlankValue=3\n");
  // "Defaults" switched off is no default.
  EXPECT_EQ(AfterSetOptions(saved, "Defaults=false").saved, saved);
}

TEST_F(ExportOptionsTest, UnknownBlankMethodsBecomeThree) {
  EXPECT_EQ(AfterSetOptions("", "BlankMethod=7").saved, "BlankMethod=3\nFixedBlankValue=0\n");
  EXPECT_EQ(AfterSetOptions("", "BlankMethod=-1").saved, "BlankMethod=3\nFixedBlankValue=0\n");
  EXPECT_EQ(AfterSetOptions("", "BlankMethod=4").saved, "BlankMethod=4\nFixedBlankValue=0\n");
  // From the saved options.
  const OptionsOutcome outcome = AfterSetOptions("BlankMethod=7\nFixedBlankValue=1.5\n", "");
  EXPECT_EQ(outcome.session, "BlankMethod=3,FixedBlankValue=1.5");
  EXPECT_EQ(outcome.saved, "BlankMethod=3\nFixedBlankValue=1.5\n");
}

TEST_F(ExportOptionsTest, ForgetOptionsKeepsThemForThisSessionOnly) {
  manager.LoadSavedOptions("BlankMethod=1\nFixedBlankValue=2\n");
  filter.SetOptions("BlankMethod=2,FixedBlankValue=7,ForgetOptions");
  EXPECT_EQ(Session(), "BlankMethod=2,FixedBlankValue=7");
  EXPECT_EQ(Saved(), "BlankMethod=1\nFixedBlankValue=2\n");
  // The session's options come before the saved ones from then on.
  filter.SetOptions("BlankMethod=3,ForgetOptions=false");
  EXPECT_EQ(Saved(), "BlankMethod=3\nFixedBlankValue=7\n");
}

TEST_F(ExportOptionsTest, WordsThatAreNoValuesLeaveTheOptionsAsTheyWere) {
  filter.SetOptions("BlankMethod=1,FixedBlankValue=4.5");
  filter.SetOptions("BlankMethod=max,FixedBlankValue=lots");
  EXPECT_EQ(Session(), "BlankMethod=1,FixedBlankValue=4.5");
}

TEST_F(ExportOptionsTest, GetStringOptionSeparatesByComma) {
  std::string value = "untouched";
  EXPECT_TRUE(
      filter.GetStringOption("BlankMethod=2,FixedBlankValue=1;5", "FixedBlankValue", value));
  EXPECT_EQ(value, "1;5");
  EXPECT_TRUE(filter.GetStringOption("A=1,B=two words", "b", value));
  EXPECT_EQ(value, "two words");
  value = "untouched";
  EXPECT_FALSE(filter.GetStringOption("A=1;B=2", "B", value));
  EXPECT_EQ(value, "untouched");
  EXPECT_FALSE(filter.GetStringOption(nullptr, "A", value));
  EXPECT_EQ(value, "untouched");
}

TEST_F(ExportOptionsTest, SavedOptionsChooseTheBlankValueOfAnExport) {
  ExportLattice lattice = MakeLattice(lat::binary::kUniform, hostbase::CPrimType::Int16, 3, 1, 1);
  lattice.values = {5, -9, 6};
  lattice.blanks = true;
  lattice.blankValue = -9;
  lattice.componentMin = {5};
  lattice.componentMax = {6};
  manager.LoadSavedOptions("BlankMethod=4\nFixedBlankValue=77\n");
  const std::vector<double> fixed = {5, 77, 6};
  EXPECT_TRUE(SameBytes(ExportBytes(lattice), ExpectedFile(lattice, &fixed)));
  // Options of this session (not saved) win over the saved ones.
  filter.SetOptions("BlankMethod=1,ForgetOptions");
  const std::vector<double> maximum = {5, 6, 6};
  EXPECT_TRUE(SameBytes(ExportBytes(lattice), ExpectedFile(lattice, &maximum)));
  // Without any options: method 0, the data minimum.
  hostfw::IoManager fresh;
  LatExportFilter plain(fresh);
  ASSERT_EQ(plain.BeginExportToFile(out.c_str(), false), hostfw::ExportStatus_Accepted);
  header = MakeHeader(lattice);
  ASSERT_EQ(plain.ExportObject(*header), hostfw::ExportStatus_Accepted);
  for (std::size_t s = 0; s < lattice.ScanCount(); ++s)
    ASSERT_EQ(plain.ExportObject(*MakeScan(lattice, *header, s)), hostfw::ExportStatus_Accepted);
  ASSERT_EQ(plain.EndExportToFile(), hostfw::ExportStatus_Accepted);
  const std::vector<double> minimum = {5, 5, 6};
  EXPECT_TRUE(SameBytes(ReadFileBytes(out), ExpectedFile(lattice, &minimum)));
}

}  // namespace
}  // namespace lattest
