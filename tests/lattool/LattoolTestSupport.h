// Shared pieces of the lattool end-to-end tests: example paths, JSON parsing, the
// expected values of the shipped examples.
#pragma once

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "ToolProcess.h"

namespace lattest {

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

}  // namespace lattest
