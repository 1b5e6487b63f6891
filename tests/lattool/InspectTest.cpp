// lattool info's statistics and JSON, checked against sums made here over generated
// lattices; and the subsets of dump and convert (--component, --region) for each kind,
// with boxes outside the lattice on each axis.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

#include "LattoolTestSupport.h"

namespace lattest {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

struct StatsCase {
  const char* label;
  nlohmann::json lattice;  // create's input
  const char* out;         // its extension chooses the format
  const char* form;
};

nlohmann::json Uniform(int dataType, std::array<int, 3> dims, int components,
                       const nlohmann::json& values) {
  return {{"kind", "uniform"},   {"dataType", dataType},   {"nx", dims[0]},
          {"ny", dims[1]},       {"nz", dims[2]},          {"components", components},
          {"origin", {1, 2, 5}}, {"spacing", {0.5, 1, 2}}, {"values", values}};
}

// Values as create takes them: NaN spelt as dump spells it.
nlohmann::json Values(const std::vector<double>& values) {
  nlohmann::json out = nlohmann::json::array();
  for (double v : values) out.push_back(std::isnan(v) ? nlohmann::json("NaN") : nlohmann::json(v));
  return out;
}

// Count, NaN, blanks, min, max, mean and population deviation of component `c`, computed
// in two passes in long double.
void ExpectStats(const nlohmann::json& lattice, const nlohmann::json& stats, std::size_t c,
                 const std::string& label) {
  const int components = lattice["components"];
  const bool blanks = lattice.value("flags", 0) & 1;
  std::vector<long double> taken;
  std::uint64_t nans = 0, blanked = 0;
  for (std::size_t i = c; i < lattice["values"].size(); i += components) {
    const nlohmann::json& v = lattice["values"][i];
    if (v.is_string()) {
      ++nans;
    } else if (blanks && v.get<double>() == lattice["blankValue"].get<double>()) {
      ++blanked;
    } else {
      taken.push_back(v.get<double>());
    }
  }
  EXPECT_EQ(stats["count"], taken.size()) << label;
  EXPECT_EQ(stats["nan"], nans) << label;
  EXPECT_EQ(stats["blanks"], blanked) << label;
  long double sum = 0, squares = 0;
  for (long double v : taken) sum += v;
  const long double mean = sum / taken.size();
  for (long double v : taken) squares += (v - mean) * (v - mean);
  const double deviation = std::sqrt(static_cast<double>(squares / taken.size()));
  EXPECT_EQ(stats["min"], static_cast<double>(*std::min_element(taken.begin(), taken.end())))
      << label;
  EXPECT_EQ(stats["max"], static_cast<double>(*std::max_element(taken.begin(), taken.end())))
      << label;
  EXPECT_NEAR(stats["mean"].get<double>(), static_cast<double>(mean),
              1e-12 * std::fabs(static_cast<double>(mean)) + 1e-12)
      << label;
  EXPECT_NEAR(stats["std"].get<double>(), deviation, 1e-9 * deviation + 1e-12) << label;
}

TEST(Info, StatisticsAndRangesMatchTheValues) {
  nlohmann::json blanked = Uniform(2, {3, 2, 1}, 1, {5, -32768, 300, -32768, 40, 7});
  blanked["flags"] = 1;
  blanked["blankValue"] = -32768;
  nlohmann::json rect = {{"kind", "rectilinear"},
                         {"dataType", 4},
                         {"nx", 2},
                         {"ny", 1},
                         {"nz", 3},
                         {"components", 1},
                         {"xCoords", {0, 1}},
                         {"yCoords", {4}},
                         {"zCoords", {9, -3, 2}},
                         {"values", {1, -7, 12, 4, 4, 100000}}};
  const StatsCase cases[] = {
      {"floats with NaN",
       Uniform(7, {3, 2, 2}, 2, Values({1.5, kNaN, 2, 3, kNaN, kNaN, -4, 8, 0,    0.25, 6, kNaN,
                                        1,   1,    2, 2, 3,    3,    4,  4, kNaN, 5,    9, -9})),
       "a.lat", "binary"},
      // A mean far from zero: a sum of squares would lose every digit of the deviation.
      {"large mean", Uniform(8, {4, 1, 1}, 1, {1e9 + 1, 1e9 + 2, 1e9 + 3, 1e9 + 6}), "b.lat",
       "binary"},
      {"blanks", blanked, "c.vti", "XML appended raw"},
      {"rectilinear", rect, "d.vtr", "XML appended raw"},
  };
  ExportDir dir;
  for (const StatsCase& c : cases) {
    const std::string out = dir.File(c.out);
    const std::string in = dir.WriteJson("in.json", c.lattice);
    ASSERT_EQ(dir.Run({"create", in, out}).exitCode, 0) << c.label;
    const ToolResult r = RunTool({"--quiet", "info", "--json", out});
    ASSERT_EQ(r.exitCode, 0) << c.label << ": " << r.err;
    const nlohmann::json doc = ParseDump(r);
    EXPECT_EQ(doc["form"], c.form) << c.label;
    const nlohmann::json& lat = doc["lattices"][0];
    EXPECT_EQ(lat["kind"], c.lattice["kind"]) << c.label;
    EXPECT_EQ(lat["dims"], nlohmann::json({c.lattice["nx"], c.lattice["ny"], c.lattice["nz"]}));
    ASSERT_EQ(lat["componentStats"].size(), c.lattice["components"].get<std::size_t>());
    for (std::size_t k = 0; k < lat["componentStats"].size(); ++k) {
      ExpectStats(c.lattice, lat["componentStats"][k], k, c.label);
    }
    const nlohmann::json z = c.lattice["kind"] == "uniform"
                                 ? nlohmann::json({5, 5 + 2 * (c.lattice["nz"].get<int>() - 1)})
                                 : nlohmann::json({-3, 9});
    EXPECT_EQ(lat["ranges"]["z"], z) << c.label;
    // The text shows the same counts.
    const ToolResult text = RunTool({"--quiet", "info", out});
    const nlohmann::json& first = lat["componentStats"][0];
    const std::string line =
        "  Component 0: " + first["count"].dump() + " values, " + first["nan"].dump() + " NaN";
    EXPECT_NE(text.out.find(line), std::string::npos) << c.label << "\n" << text.out;
    EXPECT_NE(text.out.find("Kind: " + c.lattice["kind"].get<std::string>() + "\n"),
              std::string::npos);
  }
}

TEST(Info, JsonKeepsWhatCameBeforeAnError) {
  TempDir dir;
  const std::string whole = ReadText(ExamplePath("uniform-3x2.lat"));
  const std::string path = dir.Write("cut.lat", whole.substr(0, whole.size() - 8));
  const ToolResult r = RunTool({"--quiet", "info", "--json", path});
  EXPECT_EQ(r.exitCode, 2);
  const nlohmann::json doc = ParseDump(r);
  ASSERT_EQ(doc["lattices"].size(), 1u) << r.out;
  EXPECT_EQ(doc["lattices"][0]["ended"], false);
  EXPECT_EQ(doc["lattices"][0]["componentStats"][0]["count"], 3);  // the first row
  EXPECT_EQ(doc["error"]["code"], 17);
  EXPECT_NE(r.err.find("lattool: error: "), std::string::npos);
}

// Lattice `full` (as dump prints it) cut here to component `c` (every one when negative) and
// the nodes lo..hi (end excluded).
nlohmann::json Cut(const nlohmann::json& full, int c, std::array<int, 3> lo,
                   std::array<int, 3> hi) {
  nlohmann::json out = full;
  const int nx = full["nx"], ny = full["ny"], components = full["components"];
  out["nx"] = hi[0] - lo[0];
  out["ny"] = hi[1] - lo[1];
  out["nz"] = hi[2] - lo[2];
  out["components"] = c < 0 ? components : 1;
  out["values"] = nlohmann::json::array();
  if (full.contains("coords")) out["coords"] = nlohmann::json::array();
  for (int z = lo[2]; z < hi[2]; ++z) {
    for (int y = lo[1]; y < hi[1]; ++y) {
      for (int x = lo[0]; x < hi[0]; ++x) {
        const int node = (z * ny + y) * nx + x;
        for (int k = 0; k < components; ++k) {
          if (c < 0 || k == c) out["values"].push_back(full["values"][node * components + k]);
        }
        for (int i = 0; full.contains("coords") && i < 3; ++i) {
          out["coords"].push_back(full["coords"][3 * node + i]);
        }
      }
    }
  }
  const char* axes[] = {"xCoords", "yCoords", "zCoords"};
  for (int a = 0; a < 3; ++a) {
    if (full.contains("origin")) {
      out["origin"][a] = full["origin"][a].get<double>() + lo[a] * full["spacing"][a].get<double>();
    }
    if (full.contains(axes[a])) {
      const auto& all = full[axes[a]];
      out[axes[a]] =
          nlohmann::json(std::vector<nlohmann::json>(all.begin() + lo[a], all.begin() + hi[a]));
    }
  }
  return out;
}

struct SubsetCase {
  const char* example;
  int component;  // negative: every one
  const char* region;
  std::array<int, 3> lo, hi;
  const char* out;  // convert's output
};

TEST(Subset, DumpAndConvertKeepTheBoxAndItsGeometry) {
  const SubsetCase cases[] = {
      {"uniform-4x3x2.lat", -1, "1:3,1:", {1, 1, 0}, {3, 3, 2}, "u.lat"},
      {"uniform-4x3x2.lat", -1, ",,1:2", {0, 0, 1}, {4, 3, 2}, "u.vti"},
      {"rectilinear-4x3x2.lat", 1, ",1:3", {0, 1, 0}, {4, 3, 2}, "r.vtr"},
      {"rectilinear-4x3x2.lat", 0, "3:4,0:1,1:2", {3, 0, 1}, {4, 1, 2}, "r.lat"},
      {"curvilinear-4x3x2.lat", -1, "2:,,1:", {2, 0, 1}, {4, 3, 2}, "c.vts"},
      {"curvilinear-4x3x2.lat", 0, ":1,2:3", {0, 2, 0}, {1, 3, 2}, "c.lat"},
  };
  ExportDir dir;
  for (const SubsetCase& c : cases) {
    const std::string label = std::string(c.example) + " " + c.region;
    std::vector<std::string> subset{"--region", c.region};
    if (c.component >= 0) subset.insert(subset.end(), {"--component", std::to_string(c.component)});
    const nlohmann::json expected =
        Cut(DumpLattice(ExamplePath(c.example)), c.component, c.lo, c.hi);

    std::vector<std::string> dump{"--quiet", "dump", ExamplePath(c.example)};
    dump.insert(dump.end(), subset.begin(), subset.end());
    const ToolResult r = RunTool(dump);
    ASSERT_EQ(r.exitCode, 0) << label << ": " << r.err;
    const nlohmann::json doc = ParseDump(r);
    ExpectSameLattice(expected, doc["lattices"][0], label);
    EXPECT_EQ(doc["lattices"][0]["scans"],
              (c.hi[1] - c.lo[1]) * (c.hi[2] - c.lo[2]) * (expected.contains("coords") ? 2 : 1))
        << label;

    const std::string out = dir.File(c.out);
    std::vector<std::string> convert{"convert", ExamplePath(c.example), out};
    convert.insert(convert.end(), subset.begin(), subset.end());
    const ToolResult converted = dir.Run(convert);
    ASSERT_EQ(converted.exitCode, 0) << label << ": " << converted.err;
    ExpectSameLattice(expected, DumpLattice(out), label + " converted");
  }
}

TEST(Subset, ABoxOrComponentOutsideTheLatticeIsAUsageError) {
  struct Bad {
    std::vector<std::string> args;
    const char* message;
  };
  const Bad cases[] = {
      {{"--region", "0:5"}, "the box's x nodes 0:5 lie outside the lattice's 0:4"},
      {{"--region", "2:2"}, "the box's x nodes 2:2 are none"},
      {{"--region", ",3:4"}, "the box's y nodes 3:4 lie outside the lattice's 0:3"},
      {{"--region", ",2:1"}, "the box's y nodes 2:1 are none"},
      {{"--region", ",,:3"}, "the box's z nodes 0:3 lie outside the lattice's 0:2"},
      {{"--region", ",,2:"}, "the box's z nodes 2:2 are none"},
      {{"--component", "2"}, "component 2 does not exist: the lattice has 2 (0 to 1)"},
      {{"--region", "1:2,,,"}, "--region '1:2,,,' has more than three parts"},
      {{"--region", "1-2"}, "the part '1-2' is not X0:X1"},
      {{"--region", ",:x"}, "not 'x'"},
  };
  ExportDir dir;
  const std::string in = ExamplePath("rectilinear-4x3x2.lat");
  for (const Bad& c : cases) {
    const std::string out = dir.File("out.lat");
    for (std::vector<std::string> args :
         {std::vector<std::string>{"dump", in}, std::vector<std::string>{"convert", in, out}}) {
      args.insert(args.end(), c.args.begin(), c.args.end());
      const ToolResult r = dir.Run(args);
      EXPECT_EQ(r.exitCode, 1) << c.message;
      EXPECT_EQ(r.err.rfind("lattool: error: ", 0), 0u) << r.err;
      EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
      EXPECT_EQ(r.out, "") << c.message;
      EXPECT_FALSE(Exists(out)) << c.message;
    }
  }
}

TEST(Create, DrawsTheProgressOfReadingItsInputOnATerminal) {
  ExportDir dir;
  const std::string in = dir.WriteJson("in.json", UniformRow(7, {1, 2, 3}));
  const ToolResult t = RunOnTerminal({"create", in, dir.File("out.lat")}, dir.Environment(), "");
  EXPECT_EQ(t.exitCode, 0) << t.out;
  EXPECT_NE(t.out.find("in.json [###"), std::string::npos) << t.out;
}

}  // namespace
}  // namespace lattest
