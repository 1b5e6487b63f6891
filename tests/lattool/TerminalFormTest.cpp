// The options dialog and page as a text form on a terminal, end to end: choosing a method
// and a value, OK, Cancel, Ctrl-C and the end of input; and the refusal of --interactive and
// --page when there is no terminal.
#include <gtest/gtest.h>

#include "LattoolTestSupport.h"
#include "TerminalRun.h"

namespace lattest {
namespace {

std::string WriteBlanked(const ExportDir& dir) {
  return dir.WriteJson("in.json", BlankedRow());
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

TEST(TerminalForm, AFixedValueOutsideTheTypeRangeShownIsRefusedAtOnce) {
  for (const std::string flag : {"--interactive", "--page"}) {
    ExportDir dir;
    const TerminalResult r = CreateOnTerminal(dir, flag, "5\n6 40000\n6 -32769\n6 32767\no\n");
    EXPECT_EQ(r.exitCode, 0) << r.shown;
    EXPECT_NE(r.shown.find("40000 lies outside the range of the written type, -32768 to 32767; "
                           "the value stays 0"),
              std::string::npos)
        << r.shown;
    EXPECT_NE(r.shown.find("-32769 lies outside"), std::string::npos) << r.shown;
    EXPECT_EQ(DumpLattice(dir.File("out.lat"))["values"],
              nlohmann::json({5, 32767, 300, 32767, 40, 7}));
    EXPECT_EQ(ReadText(dir.OptionsFile()), "BlankMethod=4\nFixedBlankValue=32767\n");
  }
}

TEST(TerminalForm, CancelTheEndOfInputAndCtrlCWriteNothingAndExitWithThree) {
  for (const auto& [typed, interruptAfter] : std::vector<std::pair<std::string, std::string>>{
           {"3\nc\n", ""}, {"2\n", ""}, {"o\n", "Choose 1-5"}}) {
    ExportDir dir;
    const TerminalResult r =
        RunOnTerminal({"--quiet", "create", "--interactive", WriteBlanked(dir), dir.File("out.lat")},
                      dir.Environment(), typed, interruptAfter);
    EXPECT_EQ(r.exitCode, 3) << r.shown;  // not ended by the signal
    EXPECT_FALSE(Exists(dir.File("out.lat")));
    // The choice made before Cancel was not kept.
    EXPECT_EQ(ReadText(dir.OptionsFile()).find("BlankMethod=2"), std::string::npos);
  }
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
