// The saved options file across lattool runs: written when the options are kept, not with
// ForgetOptions, read back by the next run; its place under XDG_CONFIG_HOME or HOME, and
// an unreadable file.
#include <gtest/gtest.h>

#include <filesystem>

#include "ExportTestSupport.h"

namespace lattest {
namespace {

// Six 16-bit values, two of them the blank value -1.
std::string WriteBlanked(const ExportDir& dir) {
  nlohmann::json lat = UniformRow(2, {5, -1, 300, -1, 40, 7});
  lat["flags"] = 1;
  lat["blankValue"] = -1;
  return dir.WriteJson("in.json", lat);
}

// The value the run wrote for the blanked nodes.
int BlankWritten(const std::string& out) {
  return DumpLattice(out)["values"][1].get<int>();
}

TEST(SavedOptions, KeptOptionsAreWrittenAndTheNextRunUsesThem) {
  ExportDir dir;
  const std::string in = WriteBlanked(dir);
  const std::string out = dir.File("out.lat");
  ASSERT_EQ(dir.Run({"create", in, out, "--options", "BlankMethod=4,FixedBlankValue=123"}).exitCode,
            0);
  EXPECT_EQ(ReadText(dir.OptionsFile()), "BlankMethod=4\nFixedBlankValue=123\n");
  EXPECT_EQ(BlankWritten(out), 123);
  // No options given: the saved ones apply.
  ASSERT_EQ(dir.Run({"create", in, out}).exitCode, 0);
  EXPECT_EQ(BlankWritten(out), 123);
  ASSERT_EQ(dir.Run({"create", in, out, "--options", "BlankMethod=1"}).exitCode, 0);
  EXPECT_EQ(BlankWritten(out), 300);  // the data maximum
  EXPECT_EQ(ReadText(dir.OptionsFile()), "BlankMethod=1\nFixedBlankValue=123\n");
}

TEST(SavedOptions, ForgetOptionsKeepsThemForThisRunOnly) {
  ExportDir dir;
  const std::string in = WriteBlanked(dir);
  const std::string out = dir.File("out.lat");
  ASSERT_EQ(dir.Run({"create", in, out, "--options", "BlankMethod=2,ForgetOptions=1"}).exitCode, 0);
  EXPECT_EQ(BlankWritten(out), -32768);
  EXPECT_FALSE(Exists(dir.OptionsFile()));  // nothing was saved, so no file

  ASSERT_EQ(dir.Run({"create", in, out, "--options", "BlankMethod=3"}).exitCode, 0);
  const std::string saved = ReadText(dir.OptionsFile());
  EXPECT_EQ(saved, "BlankMethod=3\nFixedBlankValue=0\n");
  ASSERT_EQ(dir.Run({"create", in, out, "--options", "BlankMethod=0,ForgetOptions=true"}).exitCode,
            0);
  EXPECT_EQ(BlankWritten(out), 5);
  EXPECT_EQ(ReadText(dir.OptionsFile()), saved);
  ASSERT_EQ(dir.Run({"create", in, out}).exitCode, 0);
  EXPECT_EQ(BlankWritten(out), 32767);  // the saved method 3 again
}

TEST(SavedOptions, DefaultsResetTheSavedOptions) {
  ExportDir dir;
  const std::string in = WriteBlanked(dir);
  const std::string out = dir.File("out.lat");
  ASSERT_EQ(dir.Run({"create", in, out, "--options", "BlankMethod=4,FixedBlankValue=9"}).exitCode,
            0);
  ASSERT_EQ(dir.Run({"create", in, out, "--options", "Defaults"}).exitCode, 0);
  EXPECT_EQ(BlankWritten(out), 5);
  EXPECT_EQ(ReadText(dir.OptionsFile()), "BlankMethod=0\nFixedBlankValue=0\n");
}

TEST(SavedOptions, WithoutXdgConfigHomeTheyLiveUnderHome) {
  ExportDir dir;
  const std::string in = WriteBlanked(dir);
  const std::string out = dir.File("out.lat");
  const std::string home = dir.File("home");
  std::filesystem::create_directory(home);
  const ToolResult r = RunTool({"--quiet", "create", in, out, "--options", "BlankMethod=1"},
                               {"XDG_CONFIG_HOME=", "HOME=" + home});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(ReadText(home + "/.config/lattool/options.ini"), "BlankMethod=1\nFixedBlankValue=0\n");
}

TEST(SavedOptions, AFileThatCannotBeReadIsWarnedAboutAndLeftAlone) {
  ExportDir dir;
  const std::string in = WriteBlanked(dir);
  const std::string out = dir.File("out.lat");
  std::filesystem::create_directories(dir.OptionsFile());  // a directory in its place
  const ToolResult r = dir.Run({"create", in, out, "--options", "BlankMethod=1"});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.err, "lattool: warning: saved options not used: cannot read '" + dir.OptionsFile() +
                       "': Is a directory\n");
  EXPECT_EQ(BlankWritten(out), 300);
  EXPECT_TRUE(std::filesystem::is_directory(dir.OptionsFile()));
}

}  // namespace
}  // namespace lattest
