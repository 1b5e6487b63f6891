// The options dialog and page as a text form on a terminal, end to end: choosing a method
// and a value, OK, Cancel, Help and the end of input; and the refusal of --interactive and
// --page when there is no terminal.
#include <gtest/gtest.h>

#include "ExportTestSupport.h"
#include "TerminalRun.h"

namespace lattest {
namespace {

// Six 16-bit values, two of them the blank value -1 (data range 5 to 300).
std::string WriteBlanked(const ExportDir& dir) {
  nlohmann::json lat = UniformRow(2, {5, -1, 300, -1, 40, 7});
  lat["flags"] = 1;
  lat["blankValue"] = -1;
  return dir.WriteJson("in.json", lat);
}

TerminalResult CreateOnTerminal(const ExportDir& dir, const std::string& flag,
                                const std::string& typed) {
  return RunOnTerminal({"--quiet", "create", flag, WriteBlanked(dir), dir.File("out.lat")},
                       dir.Environment(), typed);
}

std::size_t Count(const std::string& text, const std::string& part) {
  std::size_t n = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
    ++n;
  }
  return n;
}

TEST(TerminalForm, TheDialogTakesAMethodAValueAndOk) {
  ExportDir dir;
  const TerminalResult r = CreateOnTerminal(dir, "--interactive", "5\n6 300\no\n");
  EXPECT_EQ(r.exitCode, 0) << r.shown;
  EXPECT_NE(r.shown.find("LAT Export Options - out.lat"), std::string::npos) << r.shown;
  EXPECT_NE(r.shown.find("[1] (*) Data min  [5]"), std::string::npos) << r.shown;
  EXPECT_NE(r.shown.find("[2] ( ) Data max  [300]"), std::string::npos) << r.shown;
  EXPECT_NE(r.shown.find("[3] ( ) Type min  [-32768]"), std::string::npos) << r.shown;
  EXPECT_NE(r.shown.find("[5] (*) Fixed     [6] <300>"), std::string::npos) << r.shown;
  EXPECT_EQ(Count(r.shown, "Choose 1-5, 6 to type a value, d Defaults, o OK, c Cancel, h Help"),
            3u);
  EXPECT_EQ(DumpLattice(dir.File("out.lat"))["values"], nlohmann::json({5, 300, 300, 300, 40, 7}));
  EXPECT_EQ(ReadText(dir.OptionsFile()), "BlankMethod=4\nFixedBlankValue=300\n");
}

TEST(TerminalForm, ValuesCanBeTypedOnTheirOwnLineAndDefaultsReset) {
  ExportDir dir;
  const TerminalResult r =
      RunOnTerminal({"--quiet", "create", "--interactive", "--options",
                     "BlankMethod=4,FixedBlankValue=7", WriteBlanked(dir), dir.File("out.lat")},
                    dir.Environment(), "6\n-12\nd\n2\no\n");
  EXPECT_EQ(r.exitCode, 0) << r.shown;
  // The form opens with the options given, then shows each change in turn.
  const std::size_t opened = r.shown.find("[5] (*) Fixed     [6] <7>");
  const std::size_t asked = r.shown.find("Value: ", opened);
  const std::size_t typed = r.shown.find("[5] (*) Fixed     [6] <-12>", asked);
  const std::size_t reset = r.shown.find("[1] (*) Data min", typed);
  const std::size_t cleared = r.shown.find("[5] ( ) Fixed     [6] <0>", reset);
  EXPECT_NE(opened, std::string::npos) << r.shown;
  EXPECT_NE(asked, std::string::npos) << r.shown;
  EXPECT_NE(typed, std::string::npos) << r.shown;
  EXPECT_NE(reset, std::string::npos) << r.shown;
  EXPECT_NE(cleared, std::string::npos) << r.shown;
  EXPECT_EQ(DumpLattice(dir.File("out.lat"))["values"][1], 300);
}

TEST(TerminalForm, CancelWritesNothingAndExitsWithThree) {
  ExportDir dir;
  const TerminalResult r = CreateOnTerminal(dir, "--interactive", "3\nc\n");
  EXPECT_EQ(r.exitCode, 3) << r.shown;
  EXPECT_FALSE(Exists(dir.File("out.lat")));
  // The choice made before Cancel was not kept.
  EXPECT_EQ(ReadText(dir.OptionsFile()).find("BlankMethod=2"), std::string::npos);
}

TEST(TerminalForm, TheEndOfInputCancels) {
  ExportDir dir;
  const TerminalResult r = CreateOnTerminal(dir, "--interactive", "2\n");
  EXPECT_EQ(r.exitCode, 3) << r.shown;
  EXPECT_FALSE(Exists(dir.File("out.lat")));
}

TEST(TerminalForm, CtrlCWhileTheDialogWaitsCancelsTheExport) {
  ExportDir dir;
  const TerminalResult r =
      RunOnTerminal({"--quiet", "create", "--interactive", WriteBlanked(dir), dir.File("out.lat")},
                    dir.Environment(), "o\n", "Choose 1-5");
  EXPECT_EQ(r.exitCode, 3) << r.shown;  // not ended by the signal
  EXPECT_FALSE(Exists(dir.File("out.lat")));
}

TEST(TerminalForm, HelpNamesTheTopicAndUnknownChoicesAreSaidSo) {
  ExportDir dir;
  const TerminalResult r = CreateOnTerminal(dir, "--interactive", "h\nzz\n9\no\n");
  EXPECT_EQ(r.exitCode, 0) << r.shown;
  EXPECT_NE(r.shown.find("lattool: help: Lat-Export.htm"), std::string::npos) << r.shown;
  EXPECT_NE(r.shown.find("Not a choice: zz"), std::string::npos) << r.shown;
  EXPECT_NE(r.shown.find("Not a choice: 9"), std::string::npos) << r.shown;
  EXPECT_EQ(DumpLattice(dir.File("out.lat"))["values"][1], 5);
}

TEST(TerminalForm, ALatticeWithoutBlanksShowsNoDialog) {
  ExportDir dir;
  const std::string in = dir.WriteJson("in.json", UniformRow(7, {1, 2}));
  const TerminalResult r = RunOnTerminal(
      {"--quiet", "create", "--interactive", in, dir.File("out.lat")}, dir.Environment(), "");
  EXPECT_EQ(r.exitCode, 0) << r.shown;
  EXPECT_EQ(r.shown.find("LAT Export Options"), std::string::npos) << r.shown;
  EXPECT_TRUE(Exists(dir.File("out.lat")));
}

TEST(TerminalForm, ThePageComesBeforeTheExport) {
  ExportDir dir;
  const TerminalResult r = CreateOnTerminal(dir, "--page", "h\n2\no\n");
  EXPECT_EQ(r.exitCode, 0) << r.shown;
  EXPECT_NE(r.shown.find("[o] OK  [c] Cancel  [a] Apply  [h] Help"), std::string::npos) << r.shown;
  EXPECT_NE(r.shown.find("[2] ( ) Data max  [300]"), std::string::npos) << r.shown;
  EXPECT_NE(r.shown.find("lattool: help: Lat-Export.htm"), std::string::npos) << r.shown;
  EXPECT_EQ(DumpLattice(dir.File("out.lat"))["values"][1], 300);
  EXPECT_EQ(ReadText(dir.OptionsFile()), "BlankMethod=1\nFixedBlankValue=0\n");
}

TEST(TerminalForm, ThePageCancelledWritesNothingEvenAfterApply) {
  ExportDir dir;
  const TerminalResult cancelled = CreateOnTerminal(dir, "--page", "2\nc\n");
  EXPECT_EQ(cancelled.exitCode, 3) << cancelled.shown;
  EXPECT_FALSE(Exists(dir.File("out.lat")));
  // Apply hands the values over (and they are saved); Cancel still ends the export.
  const TerminalResult applied = CreateOnTerminal(dir, "--page", "3\na\nc\n");
  EXPECT_EQ(applied.exitCode, 3) << applied.shown;
  EXPECT_FALSE(Exists(dir.File("out.lat")));
  EXPECT_EQ(ReadText(dir.OptionsFile()), "BlankMethod=2\nFixedBlankValue=0\n");
}

TEST(TerminalForm, TheHostAsksForThePagesBeforeBeginning) {
  ExportDir dir;
  const std::string out = dir.File("out.lat");
  const TerminalResult r =
      RunOnTerminal({"--plugin", FAKE_EXPORT_PATH, "--quiet", "convert", "--page", "--interactive",
                     ExamplePath("uniform-3x2.lat"), out},
                    dir.Environment(), "");
  EXPECT_EQ(r.exitCode, 0) << r.shown;
  const auto log = ReadLines(dir.LogFile());
  ASSERT_GE(log.size(), 3u);
  EXPECT_EQ(log[0], "SetOptions ");
  EXPECT_EQ(log[1], "GetPropertyPages " + out);
  EXPECT_EQ(log[2], "BeginExportToFile " + out + " interactive");
}

TEST(TerminalForm, WithoutATerminalDialogsAreRefusedBeforeAnythingIsWritten) {
  ExportDir dir;
  const std::string json = WriteBlanked(dir);
  const std::string out = dir.File("out.lat");
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"create", "--interactive", json, out},
        std::vector<std::string>{"create", "--page", json, out},
        std::vector<std::string>{"convert", "--interactive", ExamplePath("uniform-3x2.lat"), out},
        std::vector<std::string>{"convert", "--page", ExamplePath("uniform-3x2.lat"), out}}) {
    const ToolResult r = dir.Run(args);
    EXPECT_EQ(r.exitCode, 1) << args[1];
    EXPECT_EQ(r.err,
              "lattool: error: --interactive and --page show their dialogs on a terminal, and "
              "there is none\n");
    EXPECT_FALSE(Exists(out));
    EXPECT_FALSE(Exists(dir.ConfigHome()));
  }
}

}  // namespace
}  // namespace lattest
