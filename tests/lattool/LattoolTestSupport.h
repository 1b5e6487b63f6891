// Shared pieces of the lattool end-to-end tests: example paths, dumps parsed as JSON, runs
// with a private saved options directory, and the fake module's call log.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "ToolProcess.h"
#include "tests/support/LatPlainWriter.h"
#include "tests/support/TempDir.h"

namespace lattest {

constexpr const char* kExamples[] = {"uniform-3x2.lat", "uniform-4x3x2.lat",
                                     "rectilinear-4x3x2.lat", "curvilinear-4x3x2.lat"};

inline std::string ExamplePath(const std::string& name) {
  return std::string(LAT_EXAMPLES_DIR) + "/" + name;
}

// The dump's stdout as JSON; a parse failure fails the test with the text shown.
inline nlohmann::json ParseDump(const ToolResult& result) {
  try {
    return nlohmann::json::parse(result.out);
  } catch (const nlohmann::json::exception& e) {
    ADD_FAILURE() << "stdout is not one JSON document: " << e.what() << "\n" << result.out;
    return nlohmann::json::object();
  }
}

// Runs "lattool --quiet dump FILE" and parses its output.
inline nlohmann::json Dump(const std::string& file, ToolResult& result) {
  result = RunTool({"--quiet", "dump", file});
  return ParseDump(result);
}

inline std::vector<double> Doubles(const nlohmann::json& array) {
  return array.get<std::vector<double>>();
}

// A test's directory: its files, and the saved options of every lattool run it makes.
class ExportDir {
 public:
  const TempDir& Dir() const { return dir_; }
  std::string File(const std::string& name) const { return dir_.File(name); }
  std::string ConfigHome() const { return dir_.File("config"); }
  std::string OptionsFile() const { return dir_.File("config/lattool/options.ini"); }
  std::string LogFile() const { return dir_.File("calls.log"); }
  // XDG_CONFIG_HOME inside the directory, and the fake module's log and answers.
  std::vector<std::string> Environment(const std::string& answers = "") const {
    std::vector<std::string> env{"XDG_CONFIG_HOME=" + ConfigHome(), "LAT_FAKE_LOG=" + LogFile()};
    if (!answers.empty()) env.push_back("LAT_FAKE_ANSWERS=" + answers);
    return env;
  }
  ToolResult Run(const std::vector<std::string>& args, const std::string& answers = "") const {
    std::vector<std::string> all{"--quiet"};
    all.insert(all.end(), args.begin(), args.end());
    return RunTool(all, Environment(answers));
  }
  // A run through the fake module, which records the host's calls.
  ToolResult RunFake(const std::vector<std::string>& args, const std::string& answers = "") const {
    std::vector<std::string> all{"--plugin", FAKE_EXPORT_PATH};
    all.insert(all.end(), args.begin(), args.end());
    return Run(all, answers);
  }
  std::string WriteJson(const std::string& name, const nlohmann::json& json) const {
    return dir_.Write(name, json.dump());
  }

 private:
  TempDir dir_;
};

inline bool Exists(const std::string& path) {
  return std::filesystem::exists(path);
}

inline std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

inline std::vector<std::string> ReadLines(const std::string& path) {
  std::vector<std::string> lines;
  std::istringstream text(ReadText(path));
  for (std::string line; std::getline(text, line);) lines.push_back(line);
  return lines;
}

// The one lattice of a file as dump prints it; a failed dump fails the test.
inline nlohmann::json DumpLattice(const std::string& path) {
  ToolResult r;
  const nlohmann::json doc = Dump(path, r);
  EXPECT_EQ(r.exitCode, 0) << path << ": " << r.err;
  if (!doc.contains("lattices") || doc["lattices"].size() != 1) {
    ADD_FAILURE() << path << " does not hold one lattice:\n" << r.out;
    return nlohmann::json::object();
  }
  return doc["lattices"][0];
}

// Two dumps of a lattice hold the same geometry, values and coordinates.
inline void ExpectSameLattice(const nlohmann::json& expected, const nlohmann::json& actual,
                              const std::string& label) {
  for (const char* key : {"kind", "dataType", "nx", "ny", "nz", "components", "values", "origin",
                          "spacing", "coordType", "xCoords", "yCoords", "zCoords", "coords"}) {
    EXPECT_EQ(expected.contains(key), actual.contains(key)) << label << " " << key;
    if (expected.contains(key) && actual.contains(key)) {
      EXPECT_EQ(actual[key], expected[key]) << label << " " << key;
    }
  }
}

// A uniform lattice description of `nx` x 1 x 1 nodes.
inline nlohmann::json UniformRow(int dataType, const nlohmann::json& values, int components = 1) {
  const int nx = static_cast<int>(values.size()) / components;
  return {{"kind", "uniform"}, {"dataType", dataType}, {"nx", nx},
          {"ny", 1},           {"nz", 1},              {"components", components},
          {"origin", {0, 0, 0}}, {"spacing", {1, 1, 1}}, {"values", values}};
}

// Six 16-bit values, two of them the blank value -1 (data range 5 to 300).
inline nlohmann::json BlankedRow() {
  nlohmann::json lat = UniformRow(2, {5, -1, 300, -1, 40, 7});
  lat["flags"] = 1;
  lat["blankValue"] = -1;
  return lat;
}

// Two lattices of 3 x 2 floats in one plain file.
inline std::string WriteTwoLattices(const ExportDir& dir) {
  PlainLattice lat;
  lat.nDim = 2;
  lat.dims = {3, 2};
  lat.geometry = {0, 1, 10, 20};
  lat.blocks = {{1.5, 2.5, 3.5, 4.5, 5.5, 6.5}, {-7, 8.25, 9, 10, 11, 12.5}};
  const std::string path = dir.File("two.lat");
  PlainText().Raw(PlainLatticeText(lat)).WriteTo(path);
  return path;
}

}  // namespace lattest
