// lattool dump, info and probe: statistics, subsets (--component, --region) of each kind, an
// example as JSON and as a summary, and a failed import's error after the lattices before it.
#include <gtest/gtest.h>

#include <array>
#include <cmath>

#include "LattoolTestSupport.h"

namespace lattest {
namespace {

// One component's statistics; mean and deviation (of the population) worked out apart.
struct Stats {
  int count, nan, blanks;
  double min, max, mean, std;
};

TEST(Info, StatisticsAndRangesMatchTheValues) {
  const nlohmann::json rect = nlohmann::json::parse(R"({"kind": "rectilinear", "dataType": 2,
      "nx": 2, "ny": 1, "nz": 3, "components": 1, "xCoords": [0, 1], "yCoords": [4],
      "zCoords": [9, -3, 2], "values": [1, -7, 12, 4, -32768, -32768], "flags": 1,
      "blankValue": -32768})");
  const nlohmann::json floats =
      Uniform(7, {1.5, "NaN", 2, 3, "NaN", "NaN", -4, 8, 0,     0.25, 6, "NaN",
                  1,   1,     2, 2, 3,     3,     4,  4, "NaN", 5,    9, -9},
              2, {3, 2, 2});
  // A mean far from zero: a sum of squares would lose every digit of the deviation.
  const nlohmann::json far = Uniform(8, {1e9 + 1, 1e9 + 2, 1e9 + 3, 1e9 + 6});
  const struct {
    nlohmann::json lattice;
    std::string out;  // its extension chooses the format
    nlohmann::json z;
    std::vector<Stats> stats;
  } cases[] = {
      {floats,
       "a.lat",
       {5, 7},
       {{10, 2, 0, -4, 9, 2.45, 3.304920573932148},
        {9, 3, 0, -9, 8, 1.9166666666666667, 4.422166387140534}}},
      {far, "b.lat", {5, 5}, {{4, 0, 0, 1e9 + 1, 1e9 + 6, 1e9 + 3, 1.8708286933869707}}},
      {rect, "c.vtr", {-3, 9}, {{4, 0, 2, -7, 12, 2.5, 6.800735254367722}}},
  };
  ExportDir dir;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.out);
    const std::string out = dir.File(c.out);
    ASSERT_EQ(dir.Run({"create", dir.WriteJson("in.json", c.lattice), out}).exitCode, 0);
    const ToolResult r = RunTool({"--quiet", "info", "--json", out});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const nlohmann::json doc = ParseDump(r);
    EXPECT_EQ(doc["form"], c.out.ends_with(".lat") ? "binary" : "XML appended raw");
    const nlohmann::json& lat = doc["lattices"][0];
    EXPECT_EQ(lat["kind"], c.lattice["kind"]);
    EXPECT_EQ(lat["dims"], nlohmann::json({c.lattice["nx"], c.lattice["ny"], c.lattice["nz"]}));
    EXPECT_EQ(lat["ranges"]["z"], c.z);
    ASSERT_EQ(lat["componentStats"].size(), c.stats.size());
    for (std::size_t k = 0; k < c.stats.size(); ++k) {
      const Stats& s = c.stats[k];
      const nlohmann::json& got = lat["componentStats"][k];
      EXPECT_EQ((nlohmann::json{got["count"], got["nan"], got["blanks"], got["min"], got["max"]}),
                (nlohmann::json{s.count, s.nan, s.blanks, s.min, s.max}));
      EXPECT_NEAR(got["mean"].get<double>(), s.mean, 1e-12 * std::fabs(s.mean));
      EXPECT_NEAR(got["std"].get<double>(), s.std, 1e-9 * s.std);
    }
  }
}

// Lattice `full` (as dump prints it) cut here to component `c` (every one when negative) and
// the nodes lo..hi (end excluded).
nlohmann::json Cut(const nlohmann::json& full, int c, std::array<int, 3> lo,
                   std::array<int, 3> hi) {
  nlohmann::json out = full;
  const int nx = full["nx"], ny = full["ny"];
  // The entries of the nodes in the box, `per` to a node, only the `keep`th when not negative.
  const auto pick = [&](const char* key, int per, int keep) {
    out[key] = nlohmann::json::array();
    for (int z = lo[2]; z < hi[2]; ++z) {
      for (int y = lo[1]; y < hi[1]; ++y) {
        const int row = (z * ny + y) * nx;
        for (int i = (row + lo[0]) * per; i < (row + hi[0]) * per; ++i) {
          if (keep < 0 || i % per == keep) out[key].push_back(full[key][i]);
        }
      }
    }
  };
  pick("values", full["components"], c);
  if (full.contains("coords")) pick("coords", 3, -1);
  if (c >= 0) out["components"] = 1;
  const char* dims[] = {"nx", "ny", "nz"};
  const char* axes[] = {"xCoords", "yCoords", "zCoords"};
  for (int a = 0; a < 3; ++a) {
    out[dims[a]] = hi[a] - lo[a];
    if (full.contains("origin")) {
      out["origin"][a] = full["origin"][a].get<double>() + lo[a] * full["spacing"][a].get<double>();
    }
    if (full.contains(axes[a])) {
      const auto& all = full[axes[a]];
      out[axes[a]] = std::vector<nlohmann::json>(all.begin() + lo[a], all.begin() + hi[a]);
    }
  }
  return out;
}

TEST(Subset, DumpAndConvertKeepTheBoxAndItsGeometry) {
  const struct {
    const char* example;
    int component;  // negative: every one
    const char* region;
    std::array<int, 3> lo, hi;
    const char* out;  // convert's output
  } cases[] = {
      {"uniform-4x3x2.lat", -1, "1:3,1:", {1, 1, 0}, {3, 3, 2}, "u.lat"},
      {"rectilinear-4x3x2.lat", 1, ",1:3", {0, 1, 0}, {4, 3, 2}, "r.vtr"},
      {"rectilinear-4x3x2.lat", 0, "3:4,0:1,1:2", {3, 0, 1}, {4, 1, 2}, "r.lat"},
      {"curvilinear-4x3x2.lat", -1, "2:,,1:", {2, 0, 1}, {4, 3, 2}, "c.vts"},
      {"curvilinear-4x3x2.lat", 0, ":1,2:3", {0, 2, 0}, {1, 3, 2}, "c.lat"},
  };
  ExportDir dir;
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.example) + " " + c.region);
    std::vector<std::string> subset{"--region", c.region};
    if (c.component >= 0) subset.insert(subset.end(), {"--component", std::to_string(c.component)});
    const nlohmann::json expected =
        Cut(DumpLattice(ExamplePath(c.example)), c.component, c.lo, c.hi);
    std::vector<std::string> dump{"--quiet", "dump", ExamplePath(c.example)};
    dump.insert(dump.end(), subset.begin(), subset.end());
    const ToolResult r = RunTool(dump);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const nlohmann::json doc = ParseDump(r);
    ExpectSameLattice(expected, doc["lattices"][0], "dumped");
    EXPECT_EQ(doc["lattices"][0]["scans"],
              (c.hi[1] - c.lo[1]) * (c.hi[2] - c.lo[2]) * (expected.contains("coords") ? 2 : 1));

    std::vector<std::string> convert{"convert", ExamplePath(c.example), dir.File(c.out)};
    convert.insert(convert.end(), subset.begin(), subset.end());
    const ToolResult converted = dir.Run(convert);
    ASSERT_EQ(converted.exitCode, 0) << converted.err;
    ExpectSameLattice(expected, DumpLattice(dir.File(c.out)), "converted");
  }
}

// An example, under a name that needs escaping, as JSON and as info's summary.
TEST(Dump, AnExampleAsJsonAndAsItsSummary) {
  TempDir dir;
  const std::string file = dir.Write("quote\"back\\slash\ttab\nline\x01\x1f.lat",
                                     ReadFile(ExamplePath("uniform-3x2.lat")));
  ToolResult r;
  const nlohmann::json doc = Dump(file, &r);
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(doc["file"], file);
  EXPECT_EQ(doc["status"], 0);
  nlohmann::json lat = doc["lattices"].at(0);
  std::string summary = lat["info"];
  lat.erase("info");
  EXPECT_EQ(lat, nlohmann::json::parse(R"({"kind": "uniform", "dataType": 7, "nx": 3, "ny": 2,
      "nz": 1, "components": 1, "flags": 0, "scanMode": 0, "scanParam": 0, "origin": [0, 10, 0],
      "spacing": [0.5, 10, 0], "values": [1.5, 2.5, 3.5, 4.5, 5.5, 6.5], "scans": 2,
      "ended": true})"));
  // The summary names the file after its last '/' or '\\', as the host splits paths.
  EXPECT_EQ(summary.rfind("Name:\tslash\ttab\nline\x01\x1f.lat\r\n", 0), 0u) << summary;
  // info shows it with its line ends made plain, then its own lines.
  const ToolResult info = RunTool({"info", file});
  EXPECT_EQ(info.exitCode, 0) << info.err;
  EXPECT_EQ(info.err, "");
  std::erase(summary, '\r');
  EXPECT_EQ(info.out, summary +
                          "Form: plain\nKind: uniform\nzMin:\t0\tzMax:\t0\nData type: 32-bit "
                          "float\nComponents: 1\n  Component 0: 6 values, 0 NaN, min 1.5, max "
                          "6.5, mean 4, std 1.707825\n");
  // --no-values is the whole dump without values and node positions.
  for (const std::string& name : {file, ExamplePath("curvilinear-4x3x2.lat")}) {
    nlohmann::json whole = Dump(name);
    for (const char* key : {"values", "coords"}) whole["lattices"][0].erase(key);
    EXPECT_EQ(ParseDump(RunTool({"--quiet", "dump", "--no-values", name})), whole);
  }
  // Bytes from 0x80 on pass through as given (the file is missing: enough to print it).
  const std::string bad = dir.File("bad\xff\xfe.lat");
  EXPECT_NE(RunTool({"--quiet", "dump", bad}).out.find("\"file\": \"" + bad + "\""),
            std::string::npos);
}

// dump, info and info --json each report a failed import's error after the lattices
// received before it.
TEST(DumpErrors, AFailedImportIsReportedAfterTheLatticesBefore) {
  TempDir dir;
  const std::string two = kTwoLattices;  // cut after the second lattice's first row
  const std::string cut = dir.Write("cut.lat", two.substr(0, two.rfind("10 ")));
  ToolResult r;
  const nlohmann::json doc = Dump(cut, &r);
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_FALSE(doc.contains("status"));
  const std::string message = doc["error"].value("message", "");
  EXPECT_EQ(doc["error"], (nlohmann::json{{"code", 17},
                                          {"module", "LatImpPlain"},
                                          {"args", {6, cut}},
                                          {"message", message}}));
  EXPECT_EQ(r.err, "lattool: error: " + message + "\n");
  const nlohmann::json l = doc["lattices"];
  EXPECT_EQ((nlohmann::json{l[0]["ended"], l[1]["values"], l[1]["scans"], l[1]["ended"]}),
            nlohmann::json::parse("[true, [-7, 8.25, 9], 1, false]"));
  const ToolResult json = RunTool({"--quiet", "info", "--json", cut});
  EXPECT_EQ(json.exitCode, 2);
  EXPECT_EQ(ParseDump(json)["error"], doc["error"]);
  const std::string info = RunTool({"--quiet", "info", cut}).out;
  EXPECT_NE(info.find("mean 4, std 1.707825\n\nName:\tcut.lat\n"), std::string::npos) << info;
}

TEST(Probe, NamesEachFilesFormatAndExitsWithOneUnlessAllAreRecognised) {
  TempDir dir;
  const std::string lat = ExamplePath("curvilinear-4x3x2.lat");
  // An ASCII file is LAT, though it cannot be imported.
  const std::string ascii =
      dir.Write("a.lat", "#!/usr/explorer/bin/explorer cxLattice ascii 1.0\n1\n");
  const std::string text = dir.Write("notes.txt", "#!/bin/sh\necho cxLattice explorer\n");
  const std::string empty = dir.Write("empty.lat", ""), missing = dir.File("missing.lat");
  // Global options may follow the command's name.
  const ToolResult all = RunTool({"probe", lat, ascii, "--plugin", LAT_PLUGIN_PATH});
  EXPECT_EQ(all.exitCode, 0) << all.err;
  EXPECT_EQ(all.out + all.err, lat + ": LAT\n" + ascii + ": LAT\n");
  const ToolResult r = RunTool({"probe", text, lat, empty, missing});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.out, text + ": not recognised\n" + lat + ": LAT\n" + empty + ": not recognised\n" +
                       missing + ": not recognised\n");
}

}  // namespace
}  // namespace lattest
