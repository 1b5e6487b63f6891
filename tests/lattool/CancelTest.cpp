// Ctrl-C during an import: lattool answers the plug-in's next progress report with
// "cancelled", the import stops with status 1 and the dump still completes (exit 3).
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <thread>

#include "LattoolTestSupport.h"
#include "tests/support/LatBinaryWriter.h"
#include "tests/support/TempDir.h"

namespace lattest {
namespace {

constexpr int kNx = 1000, kNy = 2000;

// About 4 MB of 16-bit values, whose JSON text (about 10 MB) is far more than lattool's
// output buffer and the pipe can hold.
std::string WriteLargeLattice(const TempDir& dir) {
  BinaryLattice lat;
  lat.dims = {kNx, kNy, 1};
  lat.primType = 1;
  lat.values.resize(static_cast<std::size_t>(kNx) * kNy);
  for (std::size_t i = 0; i < lat.values.size(); ++i) lat.values[i] = static_cast<double>(i % 9973);
  lat.coords = {0, 1, 0, 1, 0, 0};
  const std::string path = dir.File("large.lat");
  EncodeBinary(lat).WriteTo(path);
  return path;
}

// The tool writes stdout only from inside the import (values) until the import ends, so
// a full pipe means it is blocked in the middle of the import with the handler installed.
bool WaitForFullPipe(const ToolProcess& tool) {
  const int capacity = tool.StdoutCapacity();
  for (int i = 0; i < 6000; ++i) {
    if (capacity > 0 && tool.PendingStdout() >= capacity) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

TEST(Cancel, SigintDuringAnImportStopsItWithStatusOne) {
  TempDir dir;
  const std::string path = WriteLargeLattice(dir);
  ToolProcess tool({"--quiet", "dump", path});
  ASSERT_TRUE(WaitForFullPipe(tool)) << "lattool never filled its output pipe";
  ASSERT_EQ(kill(tool.Pid(), SIGINT), 0);
  const ToolResult r = tool.Finish();
  EXPECT_EQ(r.signal, 0) << "lattool was ended by the signal instead of handling it";
  EXPECT_EQ(r.exitCode, 3) << r.err;
  EXPECT_EQ(r.err, "");
  const nlohmann::json doc = ParseDump(r);
  EXPECT_EQ(doc["status"], 1);
  EXPECT_FALSE(doc.contains("error"));
  ASSERT_EQ(doc["lattices"].size(), 1u);
  const nlohmann::json& lat = doc["lattices"][0];
  EXPECT_EQ(lat["ended"], false);
  const int scans = lat["scans"].get<int>();
  EXPECT_GT(scans, 0);
  EXPECT_LT(scans, kNy);
  EXPECT_EQ(lat["values"].size(), static_cast<std::size_t>(scans) * kNx);
  EXPECT_EQ(lat["values"][kNx + 5], (kNx + 5) % 9973);
}

}  // namespace
}  // namespace lattest
