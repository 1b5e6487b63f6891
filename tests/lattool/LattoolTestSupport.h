// lattool run as a child process, a test folder that also holds its saved options and the
// fake module's call log, and lattices as dump prints them.
#pragma once

#include <gtest/gtest.h>
#include <sys/types.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/TempDir.h"

namespace lattest {

struct ToolResult {
  int exitCode = -1;  // -1 when ended by a signal
  std::string out;    // on a terminal: all it showed, the typed text echoed
  std::string err;
};

// Runs lattool to its end in a session of its own, stdin /dev/null, `env` ("NAME=value") added.
ToolResult RunTool(const std::vector<std::string>& args, const std::vector<std::string>& env = {});
// Starts it the same way with stdout and stderr on /dev/null; the caller waits for it.
pid_t StartTool(const std::vector<std::string>& args, const std::vector<std::string>& env);
// Runs it on a pseudo-terminal of its own and types `typed`, then Ctrl-D so that it gives
// up instead of waiting; with `interruptAfter`, first presses Ctrl-C once that text shows.
ToolResult RunOnTerminal(const std::vector<std::string>& args, const std::vector<std::string>& env,
                         const std::string& typed, const std::string& interruptAfter = "");

inline std::string ExamplePath(const std::string& name) {
  return std::string(LAT_EXAMPLES_DIR) + "/" + name;
}

// Two lattices of 3 x 2 floats in one plain file; the first is the example uniform-3x2.lat.
constexpr const char* kTwoLattices =
    "#!/usr/explorer/bin/explorer cxLattice plain 1.0\n2\n3 2\n1 3 0 2\n0 1 10 20\n"
    "1.5 2.5 3.5 4.5 5.5 6.5\n-7 8.25 9 10 11 12.5\n";

inline bool Exists(const std::string& path) {
  return std::filesystem::exists(path);
}

// A run's stdout as JSON; when it is none, the test fails showing it.
inline nlohmann::json ParseDump(const ToolResult& result) {
  nlohmann::json doc = nlohmann::json::parse(result.out, nullptr, false);
  EXPECT_FALSE(doc.is_discarded()) << "stdout is not one JSON document:\n" << result.out;
  return doc;
}

// "lattool --quiet dump FILE", parsed.
inline nlohmann::json Dump(const std::string& file, ToolResult* run = nullptr) {
  ToolResult r = RunTool({"--quiet", "dump", file});
  if (run != nullptr) *run = r;
  return ParseDump(r);
}

// The first lattice of a file.
inline nlohmann::json DumpLattice(const std::string& file) {
  return Dump(file).at("lattices").at(0);
}

// Two dumps of a lattice hold the same geometry, values and coordinates.
inline void ExpectSameLattice(const nlohmann::json& expected, const nlohmann::json& actual,
                              const std::string& label) {
  for (const char* key : {"kind", "dataType", "nx", "ny", "nz", "components", "values", "origin",
                          "spacing", "coordType", "xCoords", "yCoords", "zCoords", "coords"}) {
    EXPECT_EQ(actual.value(key, nlohmann::json()), expected.value(key, nlohmann::json()))
        << label << " " << key;
  }
}

// A uniform lattice description (origin 1, 2, 5; spacing 0.5, 1, 2); without `dims`, one row
// of `values.size() / components` nodes.
inline nlohmann::json Uniform(int dataType, const nlohmann::json& values, int components = 1,
                              std::array<int, 3> dims = {}) {
  if (dims[0] == 0) dims = {static_cast<int>(values.size()) / components, 1, 1};
  return {{"kind", "uniform"},   {"dataType", dataType},   {"nx", dims[0]},
          {"ny", dims[1]},       {"nz", dims[2]},          {"components", components},
          {"origin", {1, 2, 5}}, {"spacing", {0.5, 1, 2}}, {"values", values}};
}

// Six 16-bit values, two of them the blank value -1 (data range 5 to 300).
inline nlohmann::json BlankedRow() {
  nlohmann::json lat = Uniform(2, {5, -1, 300, -1, 40, 7});
  lat.update({{"flags", 1}, {"blankValue", -1}});
  return lat;
}

// A test's folder, which also holds lattool's saved options and the fake module's log.
class ExportDir : public TempDir {
 public:
  std::string OptionsFile() const { return File("config/lattool/options.ini"); }
  std::vector<std::string> Environment(const std::string& answers = "") const {
    return {"XDG_CONFIG_HOME=" + File("config"), "LAT_FAKE_LOG=" + File("calls.log"),
            "LAT_FAKE_ANSWERS=" + answers};
  }
  ToolResult Run(std::vector<std::string> args, const std::string& answers = "") const {
    args.insert(args.begin(), "--quiet");
    return RunTool(args, Environment(answers));
  }
  // A run through the fake module, which logs the export's calls and answers `answers`.
  ToolResult Fake(std::vector<std::string> args, const std::string& answers = "") const {
    args.insert(args.begin(), {"--plugin", FAKE_EXPORT_PATH});
    return Run(std::move(args), answers);
  }
  ToolResult Terminal(std::vector<std::string> args, const std::string& typed,
                      const std::string& interruptAfter = "") const {
    args.insert(args.begin(), "--quiet");
    return RunOnTerminal(args, Environment(), typed, interruptAfter);
  }
  std::string WriteJson(const std::string& name, const nlohmann::json& json) const {
    return Write(name, json.dump());
  }
  // The calls logged since the last look.
  std::vector<std::string> TakeCalls() const {
    std::vector<std::string> lines;
    std::istringstream text(ReadFile(File("calls.log")));
    for (std::string line; std::getline(text, line);) lines.push_back(line);
    std::filesystem::remove(File("calls.log"));
    return lines;
  }
};

}  // namespace lattest
