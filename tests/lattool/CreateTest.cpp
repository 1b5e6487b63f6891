// lattool create end to end: each data type with its promotion, blanks under each method,
// given and computed component ranges, the saved options; and input it cannot use, which
// is exit code 2 with the member named and nothing written: no output, no saved options.
#include <gtest/gtest.h>

#include <cstdint>

#include "LattoolTestSupport.h"

namespace lattest {
namespace {

// Creates OUT from BlankedRow() with `options`, with the saved options of `dir`.
ToolResult CreateBlanked(const ExportDir& dir, const std::string& options) {
  return dir.Run({"create", dir.WriteJson("in.json", BlankedRow()), dir.File("out.lat"),
                  "--options", options});
}

TEST(Create, EachTypeAndBlankMethodIsWrittenAsTheFormatHoldsItAndUnknownKeysAreWarnedOf) {
  const std::int64_t big = (std::int64_t{1} << 53) + 1;
  const std::string promoted = "lattool: warning: This file format does not support ";
  const auto unknown = [](const std::string& key) {
    return "lattool: warning: --options: the export filter does not know the key '" + key +
           "', which is ignored (it knows BlankMethod, Defaults, FixedBlankValue, "
           "ForgetOptions)\n";
  };
  const auto blanked = [](int blank) { return nlohmann::json({5, blank, 300, blank, 40, 7}); };
  const struct {
    nlohmann::json lattice;
    const char* options;
    int written;
    nlohmann::json readBack;
    std::string err;
  } cases[] = {
      {UniformRow(1, {0, 200, 255}),
       "",
       2,
       {0, 200, 255},
       promoted + "8-bit unsigned integer data.  Export will proceed by converting to 16-bit "
                  "signed data.\n"},
      {UniformRow(6, {-5, big, 7}),
       "",
       8,
       {-5, big - 1, 7},  // 2^53 + 1 has no double
       promoted + "64-bit integer data.  Export will proceed by converting to 64-bit "
                  "floating-point data.  Some data values may be truncated during conversion.\n"},
      {UniformRow(8, {0.1, -1e300, 5e-324}), "", 8, {0.1, -1e300, 5e-324}, ""},
      {BlankedRow(), "BlankMethod=0", 2, blanked(5), ""},  // the data minimum, blanks left out
      {BlankedRow(), "BlankMethod=1", 2, blanked(300), ""},
      {BlankedRow(), " blankmethod = 4 ,FIXEDBLANKVALUE=-3,defaults", 2, blanked(-3), ""},
      {BlankedRow(), "Frobnicate=1,BlankMethod=7", 2, blanked(32767), unknown("Frobnicate")},
      {BlankedRow(), "BlankMetod=4,FixedBlankValue=9,x", 2, blanked(5),
       unknown("BlankMetod") + unknown("x")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.lattice.dump() + " " + c.options);
    ExportDir dir;  // with fresh saved options
    const ToolResult r = dir.Run({"create", dir.WriteJson("in.json", c.lattice),
                                  dir.File("out.lat"), "--options", c.options});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.err, c.err);
    const nlohmann::json back = DumpLattice(dir.File("out.lat"));
    EXPECT_EQ(back["dataType"], c.written);
    EXPECT_EQ(back["values"], c.readBack);
  }
}

// A saved fixed value fails every later export with blanks, from a value the user did not
// type this time: the error says where it comes from.
TEST(Create, AFixedValueOutsideTheTypeIsAnErrorAndASavedOneIsNamed) {
  ExportDir dir;
  const std::string error =
      "lattool: error: The data type '16-bit signed integer' cannot be exported: the fixed "
      "blank value lies outside its range.\n";
  const ToolResult given = CreateBlanked(dir, "BlankMethod=4,FixedBlankValue=40000");
  EXPECT_EQ(given.exitCode, 2);
  EXPECT_EQ(given.err, error);
  const ToolResult saved = CreateBlanked(dir, "BlankMethod=4");
  EXPECT_EQ(saved.exitCode, 2);
  EXPECT_EQ(saved.err, error +
                           "lattool: error: the fixed blank value is the saved option "
                           "FixedBlankValue=40000 in '" +
                           dir.OptionsFile() +
                           "': change or remove the key FixedBlankValue there, or give "
                           "--options BlankMethod=N or FixedBlankValue=V\n");
  EXPECT_FALSE(Exists(dir.File("out.lat")));
  const ToolResult fixed = CreateBlanked(dir, "FixedBlankValue=12");
  EXPECT_EQ(fixed.exitCode, 0) << fixed.err;
  EXPECT_EQ(ReadText(dir.OptionsFile()), "BlankMethod=4\nFixedBlankValue=12\n");
}

TEST(Create, GivenRangesAreHandedOverAndComputedOnesLeaveOutBlanksOnlyWhenTheLatticeMayHaveThem) {
  ExportDir dir;
  nlohmann::json lat = UniformRow(4, {-1, 9, 4, -1, -3, 2}, 2);
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
  // A given range is the one the blanks are replaced by.
  given["componentMax"] = {1000};
  ASSERT_EQ(dir.Run({"create", dir.WriteJson("in.json", given), out, "--options", "BlankMethod=1"})
                .exitCode,
            0);
  EXPECT_EQ(DumpLattice(out)["values"], nlohmann::json({5, 1000, 300, 1000, 40, 7}));
}

TEST(SavedOptions, KeptForTheNextRunUnlessForgottenAndAnUnreadableFileIsLeftAlone) {
  ExportDir dir;
  const std::string out = dir.File("out.lat");
  const auto blankWritten = [&] { return DumpLattice(out)["values"][1].get<int>(); };
  ASSERT_EQ(CreateBlanked(dir, "BlankMethod=2,ForgetOptions=1").exitCode, 0);
  EXPECT_EQ(blankWritten(), -32768);
  EXPECT_FALSE(Exists(dir.OptionsFile()));  // nothing was saved, so no file
  ASSERT_EQ(CreateBlanked(dir, "BlankMethod=4,FixedBlankValue=123").exitCode, 0);
  EXPECT_EQ(ReadText(dir.OptionsFile()), "BlankMethod=4\nFixedBlankValue=123\n");
  ASSERT_EQ(dir.Run({"create", dir.WriteJson("in.json", BlankedRow()), out}).exitCode, 0);
  EXPECT_EQ(blankWritten(), 123);  // no options: the saved ones apply
  ASSERT_EQ(CreateBlanked(dir, "BlankMethod=0,ForgetOptions=true").exitCode, 0);
  EXPECT_EQ(blankWritten(), 5);
  EXPECT_EQ(ReadText(dir.OptionsFile()), "BlankMethod=4\nFixedBlankValue=123\n");

  ExportDir other;
  std::filesystem::create_directories(other.OptionsFile());  // a folder in its place
  const ToolResult r = CreateBlanked(other, "BlankMethod=1");
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.err, "lattool: warning: saved options not used: cannot read '" + other.OptionsFile() +
                       "': Is a directory\n");
  EXPECT_EQ(DumpLattice(other.File("out.lat"))["values"][1], 300);
  EXPECT_TRUE(std::filesystem::is_directory(other.OptionsFile()));
}

TEST(CreateErrors, MalformedMissingWrongAndUnfitMembersAreNamed) {
  const std::string lattice = R"({"kind": "uniform", "dataType": 2, "nx": 2, "ny": 2, "nz": 1,
      "components": 1, "origin": [0, 0, 0], "spacing": [1, 1, 1])";
  const std::string rect = R"({"kind": "rectilinear", "dataType": 7, "nx": 2, "ny": 1, "nz": 1,
      "components": 1, )";
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
      {lattice + R"(, "values": [1, 2, 40000, 4]})",
       "\"values\"[2]: 40000 does not fit 16-bit signed integer"},
      {lattice + R"(, "values": [1, 2.5, 3, 4]})",
       "\"values\"[1]: 2.5 does not fit 16-bit signed integer"},
      {rect + R"("coordType": 0, "xCoords": [0, 128], "yCoords": [0], "zCoords": [0],
          "values": [1, 2]})",
       "\"xCoords\"[1]: 128 does not fit 8-bit signed integer"},
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
    EXPECT_EQ(ReadText(out), "keep me");
    EXPECT_FALSE(Exists(dir.File("config")));
  }
  const std::string none = dir.File("none.json");
  const ToolResult r = dir.Run({"create", none, dir.File("new.lat")});
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_EQ(r.err, "lattool: error: " + none + ": cannot read '" + none +
                       "': No such file or directory\n");
  EXPECT_FALSE(Exists(dir.File("new.lat")));
}

}  // namespace
}  // namespace lattest
