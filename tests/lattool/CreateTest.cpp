// lattool create end to end: data types, blank methods, component ranges, saved options,
// input it cannot use, and the options dialog and page as a text form on a terminal.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <cstdint>
#include <cstdlib>

#include "LattoolTestSupport.h"
#include "SavedOptionsFile.h"

namespace lattest {
namespace {

// dump prints integers in full, reals in their shortest form and NaN as a string.
TEST(Create, EachTypeAndBlankMethodIsWrittenAsTheFormatHoldsItAndUnknownKeysAreWarnedOf) {
  const std::int64_t big = (std::int64_t{1} << 53) + 1;
  const std::string fromInt64 =
      "lattool: warning: This file format does not support 64-bit integer data.  Export will "
      "proceed by converting to 64-bit floating-point data.  Some data values may be truncated "
      "during conversion.\n";
  const auto unknown = [](const std::string& key) {
    return "lattool: warning: --options: the export filter does not know the key '" + key +
           "', which is ignored (it knows BlankMethod, Defaults, FixedBlankValue, "
           "ForgetOptions)\n";
  };
  const struct {
    nlohmann::json lattice;
    const char* options;
    int written;
    const char* printed;  // the values as dump prints them
    std::string err;
  } cases[] = {
      // 2^53 + 1 is no double.
      {Uniform(6, {-5, big, 7}), "", 8, "[-5, 9007199254740992, 7]", fromInt64},
      {Uniform(8, {0.1, 1.0 / 3.0, -1e300, 5e-324}), "", 8,
       "[0.1, 0.3333333333333333, -1e+300, 5e-324]", ""},
      // Printed through double, 0.1f would read back as 0.10000000149011612.
      {Uniform(7, {0.1, 1.0 / 3.0, 1e-45, 3e38}), "", 7, "[0.1, 0.33333334, 1e-45, 3e+38]", ""},
      {Uniform(7, {"NaN", "Infinity", "-Infinity", 2}), "", 7,
       R"(["NaN", "Infinity", "-Infinity", 2])", ""},
      {Uniform(0, {-128, 127, 0, -1}), "", 0, "[-128, 127, 0, -1]", ""},
      {Uniform(4, {-2147483648, 2147483647, -3}), "", 4, "[-2147483648, 2147483647, -3]", ""},
      // The data minimum, blanks left out.
      {BlankedRow(), "BlankMethod=0", 2, "[5, 5, 300, 5, 40, 7]", ""},
      {BlankedRow(), " blankmethod = 4 ,FIXEDBLANKVALUE=-3,defaults", 2, "[5, -3, 300, -3, 40, 7]",
       ""},
      {BlankedRow(), "Frobnicate=1,BlankMethod=7,x", 2, "[5, 32767, 300, 32767, 40, 7]",
       unknown("Frobnicate") + unknown("x")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.lattice.dump() + " " + c.options);
    ExportDir dir;  // with fresh saved options
    const ToolResult r = dir.Run({"create", dir.WriteJson("in.json", c.lattice),
                                  dir.File("out.lat"), "--options", c.options});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.err, c.err);
    ToolResult dumped;
    EXPECT_EQ(Dump(dir.File("out.lat"), &dumped)["lattices"][0]["dataType"], c.written);
    EXPECT_NE(dumped.out.find(std::string("\"values\": ") + c.printed), std::string::npos)
        << dumped.out;
  }
}

TEST(Create, GivenRangesAreHandedOverAndComputedOnesLeaveOutBlanksOnlyWhenTheLatticeMayHaveThem) {
  ExportDir dir;
  nlohmann::json lat = Uniform(4, {-1, 9, 4, -1, -3, 2}, 2);
  lat["blankValue"] = -1;
  nlohmann::json flagged = lat, given = BlankedRow();
  flagged["flags"] = 1;
  given["componentMin"] = {-50};  // componentMax is computed
  const struct {
    nlohmann::json lattice;
    std::string header;
  } cases[] = {
      {lat, "uniform 3x1x1 components=2 dataType=4 flags=0 blank=-1 min=[-3,-1] max=[4,9]"},
      {flagged, "uniform 3x1x1 components=2 dataType=4 flags=1 blank=-1 min=[-3,2] max=[4,9]"},
      {given, "uniform 6x1x1 components=1 dataType=2 flags=1 blank=-1 min=[-50] max=[300]"},
  };
  const std::string out = dir.File("out.lat");
  for (const auto& c : cases) {
    ASSERT_EQ(dir.Fake({"create", dir.WriteJson("in.json", c.lattice), out}).exitCode, 0);
    EXPECT_EQ(dir.TakeCalls().at(2), "ExportObject " + c.header);
  }
}

// A saved fixed value the type cannot hold fails every later export with blanks, though
// not typed this time: the error says where it comes from. An unreadable file stays.
TEST(SavedOptions, KeptForTheNextRunUnlessForgottenAndASavedFixedValueIsNamed) {
  ExportDir dir;
  const std::string out = dir.File("out.lat");
  const auto create = [&](const ExportDir& in, const std::string& options) {
    return in.Run({"create", in.WriteJson("in.json", BlankedRow()), in.File("out.lat"), "--options",
                   options});
  };
  const auto blankWritten = [&] { return DumpLattice(out)["values"][1].get<int>(); };
  ASSERT_EQ(create(dir, "BlankMethod=2,ForgetOptions=1").exitCode, 0);
  EXPECT_EQ(blankWritten(), -32768);
  EXPECT_FALSE(Exists(dir.OptionsFile()));  // nothing was saved, so no file
  ASSERT_EQ(create(dir, "BlankMethod=4,FixedBlankValue=123").exitCode, 0);
  ASSERT_EQ(create(dir, "").exitCode, 0);
  EXPECT_EQ(blankWritten(), 123);  // no options: the saved ones apply
  ASSERT_EQ(create(dir, "BlankMethod=0,ForgetOptions=true").exitCode, 0);
  EXPECT_EQ(blankWritten(), 5);
  EXPECT_EQ(ReadFile(dir.OptionsFile()), "BlankMethod=4\nFixedBlankValue=123\n");

  std::filesystem::remove(out);
  const std::string error =
      "lattool: error: The data type '16-bit signed integer' cannot be exported: the fixed "
      "blank value lies outside its range.\n";
  const ToolResult given = create(dir, "BlankMethod=4,FixedBlankValue=40000");
  EXPECT_EQ(given.exitCode, 2);
  EXPECT_EQ(given.err, error);
  const ToolResult saved = create(dir, "BlankMethod=4");
  EXPECT_EQ(saved.exitCode, 2);
  EXPECT_EQ(saved.err, error +
                           "lattool: error: the fixed blank value is the saved option "
                           "FixedBlankValue=40000 in '" +
                           dir.OptionsFile() +
                           "': change or remove the key FixedBlankValue there, or give "
                           "--options BlankMethod=N or FixedBlankValue=V\n");
  EXPECT_FALSE(Exists(out));
  EXPECT_EQ(create(dir, "FixedBlankValue=12").exitCode, 0);
  EXPECT_EQ(ReadFile(dir.OptionsFile()), "BlankMethod=4\nFixedBlankValue=12\n");

  ExportDir other;
  std::filesystem::create_directories(other.OptionsFile());  // a folder in its place
  const ToolResult r = create(other, "BlankMethod=1");
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.err, "lattool: warning: saved options not used: cannot read '" + other.OptionsFile() +
                       "': Is a directory\n");
  EXPECT_EQ(DumpLattice(other.File("out.lat"))["values"][1], 300);
  EXPECT_TRUE(std::filesystem::is_directory(other.OptionsFile()));
  // A value typed into the dialog (past the form's check) is no saved one.
  const ToolResult typed = other.Terminal(
      {"create", "--interactive", other.File("in.json"), other.File("t.lat")}, "5\n6 1e999\no\n");
  EXPECT_EQ(typed.exitCode, 2);
  EXPECT_EQ(typed.out.find("is the saved option"), std::string::npos) << typed.out;
}

// A write that fails part way (the file may not grow past 1 KiB) raises; the file stays.
TEST(SavedOptions, AFailedWriteRaisesAndKeepsTheFile) {
  ExportDir dir;
  const lattool::SavedOptionsFile file(dir.OptionsFile());
  file.Save("BlankMethod=1\n");
  const auto saveTooMuch = [&] {
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{1024, 1024};
    if (setrlimit(RLIMIT_FSIZE, &limit) != 0) std::_Exit(3);
    try {
      file.Save("Note=" + std::string(4096, 'x') + "\n");
    } catch (const lattool::SavedOptionsError& error) {
      std::_Exit(std::string(error.what()).ends_with(": File too large") ? 0 : 2);
    }
    std::_Exit(1);
  };
  EXPECT_EXIT(saveTooMuch(), ::testing::ExitedWithCode(0), "");
  EXPECT_EQ(file.Load(), "BlankMethod=1\n");
}

TEST(CreateErrors, MalformedMissingWrongAndUnfitMembersAreNamed) {
  const std::string lattice = R"({"kind": "uniform", "dataType": 2, "nx": 2, "ny": 2, "nz": 1,
      "components": 1, "origin": [0, 0, 0], "spacing": [1, 1, 1])";
  const std::string rect = R"({"kind": "rectilinear", "dataType": 7, "nx": 2, "ny": 1, "nz": 1,
      "components": 1, "yCoords": [0], "zCoords": [0], "values": [1, 2], )";
  const struct {
    std::string text;
    std::string said;  // the whole message, or its start when it ends in ": "
  } cases[] = {
      {R"({"kind": "uniform",)", "malformed JSON: parse error at line 1, column 20: "},
      {"[]", "the document is not a JSON object"},
      {R"({"lattices": []})", "\"lattices\" holds no lattice"},
      {lattice + "}", "missing member \"values\""},
      {lattice + R"(, "values": [1, 2, 3]})",
       "\"values\" holds 3 numbers, expected 4 (nx x ny x nz x components)"},
      {lattice + R"(, "values": [1, 2, 3, 4], "componentMin": [0, 1]})",
       "\"componentMin\" holds 2 numbers, expected 1 (one per component)"},
      {lattice + R"(, "values": [1, 2, 3, 4], "flags": -1})",
       "\"flags\" must be from 0 to 255, not -1"},
      {lattice + R"(, "values": [1, 2, 3, 4], "flags": 0.5})", "\"flags\" must be an integer"},
      {lattice + R"(, "values": [1, 2, 40000, 4]})",
       "\"values\"[2]: 40000 does not fit 16-bit signed integer"},
      {lattice + R"(, "values": [1, 2.5, 3, 4]})",
       "\"values\"[1]: 2.5 does not fit 16-bit signed integer"},
      {rect + R"("coordType": 0, "xCoords": [0, 128]})",
       "\"xCoords\"[1]: 128 does not fit 8-bit signed integer"},
      // 2^63 is the first number past the 64-bit integers.
      {rect + R"("coordType": 6, "xCoords": [0, 9223372036854775808]})",
       "\"xCoords\"[1]: 9223372036854775808 does not fit 64-bit integer"},
      // The last row's coordinates are checked before anything is exported.
      {R"({"kind": "curvilinear", "dataType": 7, "nx": 1, "ny": 2, "nz": 1, "components": 1,
          "coordType": 7, "coords": [0, 0, 0, 0, 1e39, 0], "values": [1, 2]})",
       "\"coords\"[4]: 1e+39 does not fit 32-bit float"},
  };
  ExportDir dir;
  const std::string in = dir.File("in.json");
  const std::string out = dir.Write("out.lat", "keep me");  // an existing output stays
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    dir.Write("in.json", c.text);
    const ToolResult r = dir.Run({"create", in, out});
    EXPECT_EQ(r.exitCode, 2);
    const bool start = c.said.ends_with(": ");
    const std::string said = "lattool: error: " + in + ": " + c.said + (start ? "" : "\n");
    EXPECT_EQ(r.err.substr(0, start ? said.size() : std::string::npos), said);
    EXPECT_EQ(ReadFile(out), "keep me");
    EXPECT_FALSE(Exists(dir.File("config")));
  }
}

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
    for (std::size_t at = 0; (at = r.out.find(prompt, at)) != std::string::npos; ++at) ++prompts;
    EXPECT_EQ(prompts, 5u) << r.out;
    EXPECT_EQ(DumpLattice(dir.File("out.lat"))["values"],
              nlohmann::json({5, 300, 300, 300, 40, 7}));
    EXPECT_EQ(ReadFile(dir.OptionsFile()), "BlankMethod=4\nFixedBlankValue=300\n");
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
      EXPECT_EQ(ReadFile(dir.OptionsFile()).find("BlankMethod=2"), std::string::npos);
    }
  }
}

}  // namespace
}  // namespace lattest
