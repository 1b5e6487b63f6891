// The options dialog and page as a text form on a terminal, end to end: choosing a method
// and a value, a value the type cannot hold, OK, Cancel, Apply, Ctrl-C and the end of input.
#include <gtest/gtest.h>

#include "LattoolTestSupport.h"

namespace lattest {
namespace {

ToolResult CreateOnTerminal(const ExportDir& dir, const std::string& flag, const std::string& typed,
                            const std::string& interruptAfter = "") {
  return dir.Terminal({"create", flag, dir.WriteJson("in.json", BlankedRow()), dir.File("out.lat")},
                      typed, interruptAfter);
}

TEST(TerminalForm, TakesAMethodAndAValueInTheTypeRangeAndOk) {
  for (const std::string flag : {"--interactive", "--page"}) {
    SCOPED_TRACE(flag);
    ExportDir dir;
    // A whole label ("ok") does what its key does.
    const ToolResult r = CreateOnTerminal(dir, flag, "5\n6 40000\n6 -32769\n6 300\nok\n");
    EXPECT_EQ(r.exitCode, 0);
    for (const char* shown :
         {"LAT Export Options - out.lat", "[1] (*) Data min  [5]", "[3] ( ) Type min  [-32768]",
          "[5] (*) Fixed     [6] <300>", "-32769 lies outside the range of the written type",
          "40000 lies outside the range of the written type, -32768 to "
          "32767; the value stays 0"}) {
      EXPECT_NE(r.out.find(shown), std::string::npos) << shown << "\n" << r.out;
    }
    const std::string prompt = "Choose 1-5, 6 to type a value, d Defaults, o OK, c Cancel, ";
    std::size_t prompts = 0;
    for (std::size_t at = r.out.find(prompt); at != std::string::npos;
         at = r.out.find(prompt, at + 1)) {
      ++prompts;
    }
    EXPECT_EQ(prompts, 5u) << r.out;
    EXPECT_EQ(DumpLattice(dir.File("out.lat"))["values"],
              nlohmann::json({5, 300, 300, 300, 40, 7}));
    EXPECT_EQ(ReadText(dir.OptionsFile()), "BlankMethod=4\nFixedBlankValue=300\n");
  }
}

// A sheet closed with Cancel after Apply reports itself accepted; the export is still off.
TEST(TerminalForm, CancelTheEndOfInputAndCtrlCWriteNothingAndExitWithThree) {
  const struct {
    const char* flag;
    std::string typed;
    std::string interruptAfter;
  } cases[] = {{"--interactive", "3\nc\n", ""},
               {"--interactive", "2\n", ""},
               {"--interactive", "o\n", "Choose 1-5"},
               {"--page", "3\nc\n", ""},
               {"--page", "3\na\nc\n", ""}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.flag + (" " + c.typed));
    ExportDir dir;
    const ToolResult r = CreateOnTerminal(dir, c.flag, c.typed, c.interruptAfter);
    EXPECT_EQ(r.exitCode, 3) << r.out;  // not ended by the signal
    EXPECT_FALSE(Exists(dir.File("out.lat")));
    if (c.typed.find('a') == std::string::npos) {  // the choice of type min was not applied
      EXPECT_EQ(ReadText(dir.OptionsFile()).find("BlankMethod=2"), std::string::npos);
    }
  }
}

}  // namespace
}  // namespace lattest
