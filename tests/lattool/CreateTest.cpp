// lattool create end to end: every geometry from the JSON that dump prints, each data
// type with its promotion, blanks under each method, given and computed component
// ranges, coordinate types; and input it cannot use, which is exit code 2 with the member
// named on stderr and nothing written: no output file, no saved options.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "LattoolTestSupport.h"

namespace lattest {
namespace {

// Creates OUT from `json` with `options` (none when empty); returns the run.
ToolResult Create(const ExportDir& dir, const nlohmann::json& json, const std::string& out,
                  const std::string& options = "") {
  const std::string in = dir.WriteJson("in.json", json);
  std::vector<std::string> args{"create", in, out};
  if (!options.empty()) args.insert(args.end(), {"--options", options});
  return dir.Run(args);
}

TEST(Create, EachExampleComesBackFromItsDump) {
  ExportDir dir;
  for (const char* name : kExamples) {
    ToolResult dumped;
    const nlohmann::json doc = Dump(ExamplePath(name), dumped);
    const std::string out = dir.File(std::string("made-") + name);
    // The whole dump document, whose first lattice is used.
    const ToolResult r = Create(dir, doc, out);
    ASSERT_EQ(r.exitCode, 0) << name << ": " << r.err;
    EXPECT_EQ(r.err, "");
    ExpectSameLattice(doc["lattices"][0], DumpLattice(out), name);
  }
}

struct TypeCase {
  int dataType;
  nlohmann::json values;
  int written;
  nlohmann::json readBack;
  const char* warning;  // null: none
};

TEST(Create, EachDataTypeIsWrittenAsTheFormatHoldsIt) {
  const std::int64_t big = (std::int64_t{1} << 53) + 1;
  const TypeCase cases[] = {
      {0, {-128, 0, 127}, 0, {-128, 0, 127}, nullptr},
      {1,
       {0, 200, 255},
       2,
       {0, 200, 255},
       "This file format does not support 8-bit unsigned integer data.  Export will proceed "
       "by converting to 16-bit signed data."},
      {5,
       {0, 3000000000LL, 4294967295LL},
       8,
       {0, 3000000000LL, 4294967295LL},
       "This file format does not support 32-bit unsigned integer data.  Export will proceed "
       "by converting to double-precision floating-point data."},
      {6,
       {-5, big, 7},
       8,
       {-5, big - 1, 7},  // 2^53 + 1 has no double
       "This file format does not support 64-bit integer data.  Export will proceed by "
       "converting to 64-bit floating-point data.  Some data values may be truncated during "
       "conversion."},
      {8, {0.1, -1e300, 5e-324}, 8, {0.1, -1e300, 5e-324}, nullptr},
  };
  ExportDir dir;
  for (const TypeCase& c : cases) {
    const std::string out = dir.File("type" + std::to_string(c.dataType) + ".lat");
    const ToolResult r = Create(dir, UniformRow(c.dataType, c.values), out);
    EXPECT_EQ(r.exitCode, 0) << c.dataType << ": " << r.err;
    EXPECT_EQ(r.err, c.warning ? "lattool: warning: " + std::string(c.warning) + "\n" : "")
        << c.dataType;
    const nlohmann::json back = DumpLattice(out);
    EXPECT_EQ(back["dataType"], c.written) << c.dataType;
    EXPECT_EQ(back["values"], c.readBack) << c.dataType;
  }
}

TEST(Create, BlanksAreWrittenByEachMethodAndUnknownKeysAreWarnedOf) {
  const std::string known = "(it knows BlankMethod, Defaults, FixedBlankValue, ForgetOptions)\n";
  const auto unknown = [&](const std::string& key) {
    return "lattool: warning: --options: the export filter does not know the key '" + key +
           "', which is ignored " + known;
  };
  const struct {
    const char* options;
    int blank;
    std::string warned;
  } cases[] = {
      {"BlankMethod=0", 5, ""},  // the data minimum, the blanks left out
      {"BlankMethod=1", 300, ""},
      {"BlankMethod=2", -32768, ""},
      {"BlankMethod=3", 32767, ""},
      {"BlankMethod=4,FixedBlankValue=-17", -17, ""},
      {" blankmethod = 4 ,FIXEDBLANKVALUE=-3,defaults", -3, ""},  // keys in any case
      {"Frobnicate=1,BlankMethod=7", 32767, unknown("Frobnicate")},  // 7 taken as 3
      {"BlankMetod=4,FixedBlankValue=9,x", 5, unknown("BlankMetod") + unknown("x")},
  };
  for (const auto& c : cases) {
    ExportDir dir;  // each with fresh saved options
    const std::string out = dir.File("out.lat");
    const ToolResult r = Create(dir, BlankedRow(), out, c.options);
    ASSERT_EQ(r.exitCode, 0) << c.options << ": " << r.err;
    EXPECT_EQ(r.err, c.warned) << c.options;
    EXPECT_EQ(DumpLattice(out)["values"], nlohmann::json({5, c.blank, 300, c.blank, 40, 7}))
        << c.options;
  }
}

TEST(Create, AFixedValueOutsideTheTypeIsAnErrorAndWritesNothingAndASavedOneIsNamed) {
  ExportDir dir;
  const std::string out = dir.File("out.lat");
  const std::string error =
      "lattool: error: The data type '16-bit signed integer' cannot be exported: the fixed "
      "blank value lies outside its range.\n";
  const ToolResult given = Create(dir, BlankedRow(), out, "BlankMethod=4,FixedBlankValue=40000");
  EXPECT_EQ(given.exitCode, 2);
  EXPECT_EQ(given.err, error);
  EXPECT_FALSE(Exists(out));
  // The filter saved the value: later runs without it fail by it, and say where it is.
  const ToolResult saved = Create(dir, BlankedRow(), out, "BlankMethod=4");
  EXPECT_EQ(saved.exitCode, 2);
  EXPECT_EQ(saved.err, error +
                           "lattool: error: the fixed blank value is the saved option "
                           "FixedBlankValue=40000 in '" +
                           dir.OptionsFile() +
                           "': change or remove the key FixedBlankValue there, or give --options "
                           "BlankMethod=N or FixedBlankValue=V\n");
  EXPECT_FALSE(Exists(out));
  const ToolResult fixed = Create(dir, BlankedRow(), out, "FixedBlankValue=12");
  EXPECT_EQ(fixed.exitCode, 0) << fixed.err;
  EXPECT_EQ(ReadText(dir.OptionsFile()), "BlankMethod=4\nFixedBlankValue=12\n");
}

TEST(Create, GivenRangesAreHandedOverAndComputedOnesLeaveOutBlanksOnlyWhenTheLatticeMayHaveThem) {
  ExportDir dir;
  nlohmann::json lat = UniformRow(4, {-1, 9, 4, -1, -3, 2}, 2);
  lat["blankValue"] = -1;
  const std::string plain = dir.WriteJson("plain.json", lat);
  lat["flags"] = 1;
  const std::string blanked = dir.WriteJson("blanked.json", lat);
  const std::string out = dir.File("out.lat");
  ASSERT_EQ(dir.RunFake({"create", plain, out}).exitCode, 0);
  ASSERT_EQ(dir.RunFake({"create", blanked, out}).exitCode, 0);
  const auto log = ReadLines(dir.LogFile());
  ASSERT_EQ(log.size(), 12u);
  EXPECT_EQ(log[2],
            "ExportObject uniform 3x1x1 components=2 dataType=4 flags=0 blank=-1 min=[-3,-1] "
            "max=[4,9]");
  EXPECT_EQ(log[8],
            "ExportObject uniform 3x1x1 components=2 dataType=4 flags=1 blank=-1 min=[-3,2] "
            "max=[4,9]");
  // Without the flag, -1 is an ordinary value and is written as it is.
  ASSERT_EQ(dir.Run({"create", plain, out}).exitCode, 0);
  EXPECT_EQ(DumpLattice(out)["values"], nlohmann::json({-1, 9, 4, -1, -3, 2}));

  // Given ranges are handed over as they are; a missing one is computed.
  nlohmann::json given = BlankedRow();
  given["componentMin"] = {-50};
  given["componentMax"] = {1000};
  ASSERT_EQ(Create(dir, given, out, "BlankMethod=1").exitCode, 0);
  EXPECT_EQ(DumpLattice(out)["values"], nlohmann::json({5, 1000, 300, 1000, 40, 7}));
  given.erase("componentMax");
  std::filesystem::remove(dir.LogFile());
  ASSERT_EQ(dir.RunFake({"create", dir.WriteJson("ranges.json", given), out}).exitCode, 0);
  const auto ranges = ReadLines(dir.LogFile());
  ASSERT_GE(ranges.size(), 3u);
  EXPECT_EQ(ranges[2],
            "ExportObject uniform 6x1x1 components=1 dataType=2 flags=1 blank=-1 min=[-50] "
            "max=[300]");
}

TEST(SavedOptions, KeptForTheNextRunUnlessForgottenAndAnUnreadableFileIsLeftAlone) {
  ExportDir dir;
  const std::string in = dir.WriteJson("in.json", BlankedRow());
  const std::string out = dir.File("out.lat");
  const auto blankWritten = [&] { return DumpLattice(out)["values"][1].get<int>(); };
  ASSERT_EQ(Create(dir, BlankedRow(), out, "BlankMethod=2,ForgetOptions=1").exitCode, 0);
  EXPECT_EQ(blankWritten(), -32768);
  EXPECT_FALSE(Exists(dir.OptionsFile()));  // nothing was saved, so no file
  ASSERT_EQ(Create(dir, BlankedRow(), out, "BlankMethod=4,FixedBlankValue=123").exitCode, 0);
  EXPECT_EQ(ReadText(dir.OptionsFile()), "BlankMethod=4\nFixedBlankValue=123\n");
  ASSERT_EQ(dir.Run({"create", in, out}).exitCode, 0);  // no options: the saved ones apply
  EXPECT_EQ(blankWritten(), 123);
  ASSERT_EQ(Create(dir, BlankedRow(), out, "BlankMethod=0,ForgetOptions=true").exitCode, 0);
  EXPECT_EQ(blankWritten(), 5);
  EXPECT_EQ(ReadText(dir.OptionsFile()), "BlankMethod=4\nFixedBlankValue=123\n");

  ExportDir other;
  std::filesystem::create_directories(other.OptionsFile());  // a directory in its place
  const ToolResult r = Create(other, BlankedRow(), out, "BlankMethod=1");
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.err, "lattool: warning: saved options not used: cannot read '" +
                       other.OptionsFile() + "': Is a directory\n");
  EXPECT_EQ(blankWritten(), 300);
  EXPECT_TRUE(std::filesystem::is_directory(other.OptionsFile()));
}

// Runs create on `text`; checks that it failed with exit code 2 and wrote nothing, and
// returns what it said after "lattool: error: IN: ".
std::string CreateError(const ExportDir& dir, const std::string& text) {
  const std::string in = dir.Dir().Write("in.json", text);
  const std::string out = dir.File("out.lat");
  const ToolResult r = dir.Run({"create", in, out});
  EXPECT_EQ(r.exitCode, 2) << text;
  EXPECT_FALSE(Exists(out)) << text;
  EXPECT_FALSE(Exists(dir.ConfigHome())) << text;
  const std::string prefix = "lattool: error: " + in + ": ";
  EXPECT_EQ(r.err.rfind(prefix, 0), 0u) << r.err;
  EXPECT_EQ(r.err.back(), '\n');
  return r.err.substr(prefix.size(), r.err.size() - prefix.size() - 1);
}

TEST(CreateErrors, MalformedMissingWrongAndUnfitMembersAreNamed) {
  const std::string lattice = R"({"kind": "uniform", "dataType": 2, "nx": 2, "ny": 2, "nz": 1,
      "components": 1, "origin": [0, 0, 0], "spacing": [1, 1, 1])";
  const std::string rect = R"({"kind": "rectilinear", "dataType": 7, "nx": 2, "ny": 1, "nz": 1,
      "components": 1, )";
  const struct {
    std::string text;
    const char* said;  // the whole message, or its start when `prefix`
    bool prefix;
  } cases[] = {
      {R"({"kind": "uniform",)", "malformed JSON: parse error at", true},
      {"", "malformed JSON: ", true},
      {"[]", "the document is not a JSON object", false},
      {R"({"lattices": []})", "\"lattices\" holds no lattice", false},
      {lattice + "}", "missing member \"values\"", false},
      {lattice + R"(, "values": [1, 2, 3]})",
       "\"values\" holds 3 numbers, expected 4 (nx x ny x nz x components)", false},
      {lattice + R"(, "values": [1, 2, 3, 4], "componentMin": [0, 1]})",
       "\"componentMin\" holds 2 numbers, expected 1 (one per component)", false},
      {lattice + R"(, "values": [1, 2, 3, 4], "flags": -1})",
       "\"flags\" must be from 0 to 255, not -1", false},
      {rect + R"("coordType": 11})", "\"coordType\" must be from 0 to 8, not 11", false},
      {lattice + R"(, "values": [1, 2, 40000, 4]})",
       "\"values\"[2]: 40000 does not fit 16-bit signed integer", false},
      {lattice + R"(, "values": [1, 2.5, 3, 4]})",
       "\"values\"[1]: 2.5 does not fit 16-bit signed integer", false},
      {rect + R"("coordType": 0, "xCoords": [0, 128], "yCoords": [0], "zCoords": [0],
          "values": [1, 2]})",
       "\"xCoords\"[1]: 128 does not fit 8-bit signed integer", false},
      // The last row's coordinates are checked before anything is exported.
      {R"({"kind": "curvilinear", "dataType": 7, "nx": 1, "ny": 2, "nz": 1, "components": 1,
          "coordType": 7, "coords": [0, 0, 0, 0, 1e39, 0], "values": [1, 2]})",
       "\"coords\"[4]: 1e+39 does not fit 32-bit float", false},
  };
  ExportDir dir;
  for (const auto& c : cases) {
    const std::string said = CreateError(dir, c.text);
    if (c.prefix) {
      EXPECT_EQ(said.rfind(c.said, 0), 0u) << said;
    } else {
      EXPECT_EQ(said, c.said);
    }
  }
  // An existing output is left as it was.
  const std::string out = dir.Dir().Write("out.lat", "keep me");
  const std::string in = dir.Dir().Write("in.json", lattice + R"(, "values": [1]})");
  EXPECT_EQ(dir.Run({"create", in, out}).exitCode, 2);
  EXPECT_EQ(ReadText(out), "keep me");
  // A missing input file.
  const std::string none = dir.File("none.json");
  const ToolResult r = dir.Run({"create", none, dir.File("new.lat")});
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_EQ(r.err,
            "lattool: error: " + none + ": cannot read '" + none + "': No such file or directory\n");
  EXPECT_FALSE(Exists(dir.File("new.lat")));
}

}  // namespace
}  // namespace lattest
