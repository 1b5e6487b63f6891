// lattool create with input it cannot use: malformed JSON, members missing or of the
// wrong size, values a type cannot hold. Each is exit code 2 with the member named on
// stderr, and nothing is written: no output file, no saved options.
#include <gtest/gtest.h>

#include "ExportTestSupport.h"

namespace lattest {
namespace {

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

std::string Lattice(const std::string& extra) {
  return R"({"kind": "uniform", "dataType": 2, "nx": 2, "ny": 2, "nz": 1, "components": 1,
             "origin": [0, 0, 0], "spacing": [1, 1, 1])" +
         extra + "}";
}

TEST(CreateErrors, MalformedJson) {
  ExportDir dir;
  EXPECT_EQ(CreateError(dir, R"({"kind": "uniform",)").rfind("malformed JSON: parse error at", 0),
            0u);
  EXPECT_EQ(CreateError(dir, "").rfind("malformed JSON: ", 0), 0u);
  EXPECT_EQ(CreateError(dir, "[]"), "the document is not a JSON object");
  EXPECT_EQ(CreateError(dir, R"({"lattices": []})"), "\"lattices\" holds no lattice");
}

TEST(CreateErrors, MissingAndWrongMembersAreNamed) {
  ExportDir dir;
  EXPECT_EQ(CreateError(dir, Lattice("")), "missing member \"values\"");
  EXPECT_EQ(CreateError(dir, Lattice(R"(, "values": [1, 2, 3])")),
            "\"values\" holds 3 numbers, expected 4 (nx x ny x nz x components)");
  EXPECT_EQ(CreateError(dir, Lattice(R"(, "values": [1, 2, 3, 4], "componentMin": [0, 1])")),
            "\"componentMin\" holds 2 numbers, expected 1 (one per component)");
  EXPECT_EQ(CreateError(dir, Lattice(R"(, "values": [1, 2, 3, 4], "flags": -1)")),
            "\"flags\" must be from 0 to 255, not -1");
  EXPECT_EQ(CreateError(dir, R"({"kind": "rectilinear", "dataType": 7, "nx": 2, "ny": 1,
                                 "nz": 1, "components": 1, "coordType": 11})"),
            "\"coordType\" must be from 0 to 8, not 11");
}

TEST(CreateErrors, NumbersTheTypeCannotHoldAreNamed) {
  ExportDir dir;
  EXPECT_EQ(CreateError(dir, Lattice(R"(, "values": [1, 2, 40000, 4])")),
            "\"values\"[2]: 40000 does not fit 16-bit signed integer");
  EXPECT_EQ(CreateError(dir, Lattice(R"(, "values": [1, 2.5, 3, 4])")),
            "\"values\"[1]: 2.5 does not fit 16-bit signed integer");
  EXPECT_EQ(CreateError(dir, R"({"kind": "rectilinear", "dataType": 7, "nx": 2, "ny": 1,
                                 "nz": 1, "components": 1, "coordType": 0,
                                 "xCoords": [0, 128], "yCoords": [0], "zCoords": [0],
                                 "values": [1, 2]})"),
            "\"xCoords\"[1]: 128 does not fit 8-bit signed integer");
  // The last row's coordinates are checked before anything is exported.
  EXPECT_EQ(CreateError(dir, R"({"kind": "curvilinear", "dataType": 7, "nx": 1, "ny": 2,
                                 "nz": 1, "components": 1, "coordType": 7,
                                 "coords": [0, 0, 0, 0, 1e39, 0], "values": [1, 2]})"),
            "\"coords\"[4]: 1e+39 does not fit 32-bit float");
}

TEST(CreateErrors, AnExistingOutputIsLeftAsItWas) {
  ExportDir dir;
  const std::string out = dir.Dir().Write("out.lat", "keep me");
  const std::string in = dir.Dir().Write("in.json", Lattice(R"(, "values": [1])"));
  const ToolResult r = dir.Run({"create", in, out});
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_EQ(ReadText(out), "keep me");
}

TEST(CreateErrors, AMissingInputFile) {
  ExportDir dir;
  const std::string in = dir.File("none.json");
  const ToolResult r = dir.Run({"create", in, dir.File("out.lat")});
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_EQ(r.err,
            "lattool: error: " + in + ": cannot read '" + in + "': No such file or directory\n");
  EXPECT_FALSE(Exists(dir.File("out.lat")));
}

}  // namespace
}  // namespace lattest
