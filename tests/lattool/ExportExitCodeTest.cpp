// How lattool reports the export filter's answers: the host's call order, and the exit
// code for each status (0 finished, 3 cancelled, 4 no lattice completed) and for a raised
// error (2), with EndExportToFile always called once the export has begun.
#include <gtest/gtest.h>

#include "LattoolTestSupport.h"

namespace lattest {
namespace {

// A 2 x 2 lattice of floats: header, two scans, end.
std::string WriteLattice(const ExportDir& dir) {
  nlohmann::json lat = UniformRow(7, {4, 3, 2, 1});
  lat["nx"] = 2;
  lat["ny"] = 2;
  return dir.WriteJson("in.json", lat);
}

TEST(ExportExitCodes, TheHostCallsInItsOrderAndFinishesWithZero) {
  ExportDir dir;
  const std::string out = dir.File("out.lat");
  const ToolResult r =
      dir.RunFake({"create", WriteLattice(dir), out, "--options", "BlankMethod=2"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(ReadLines(dir.LogFile()),
            (std::vector<std::string>{
                "SetOptions BlankMethod=2",
                "BeginExportToFile " + out,
                "ExportObject uniform 2x2x1 components=1 dataType=7 flags=0 blank=0 min=[1] "
                "max=[4]",
                "ExportObject scan 8",
                "ExportObject scan 8",
                "ExportObject end",
                "EndExportToFile",
            }));
}

TEST(ExportExitCodes, ACancelIsThree) {
  ExportDir dir;
  const std::string in = WriteLattice(dir);
  const std::string out = dir.File("out.lat");
  for (const char* answers : {"Begin=2", "Object0=2", "Object2=2"}) {
    std::filesystem::remove(dir.LogFile());
    const ToolResult r = dir.RunFake({"create", in, out}, answers);
    EXPECT_EQ(r.exitCode, 3) << answers;
    EXPECT_EQ(r.err, "") << answers;
    const auto log = ReadLines(dir.LogFile());
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.back(), "EndExportToFile") << answers;
  }
  // Nothing is sent after the object that was cancelled.
  const auto log = ReadLines(dir.LogFile());
  ASSERT_EQ(log.size(), 6u);
  EXPECT_EQ(log[4], "ExportObject scan 8");
}

TEST(ExportExitCodes, NoCompletedLatticeIsFourAndARaisedErrorIsTwoWithItsMessage) {
  ExportDir dir;
  const std::string in = WriteLattice(dir);
  const ToolResult none = dir.RunFake({"create", in, dir.File("out.lat")}, "End=1");
  EXPECT_EQ(none.exitCode, 4) << none.err;
  EXPECT_EQ(none.err, "");
  std::filesystem::remove(dir.LogFile());
  const ToolResult r = dir.RunFake({"create", in, dir.File("out.lat")}, "Raise=Object1");
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_EQ(r.err, "lattool: error: fake failure at Object1\n");
  const auto log = ReadLines(dir.LogFile());
  ASSERT_EQ(log.size(), 5u);
  EXPECT_EQ(log[3], "ExportObject scan 8");
  EXPECT_EQ(log[4], "EndExportToFile");
  // An error raised by EndExportToFile itself, and an object the filter does not handle.
  const ToolResult end = dir.RunFake({"create", in, dir.File("out.lat")}, "Raise=End");
  EXPECT_EQ(end.exitCode, 2);
  EXPECT_EQ(end.err, "lattool: error: fake failure at End\n");
  const ToolResult refused = dir.RunFake({"create", in, dir.File("out.lat")}, "Object1=3");
  EXPECT_EQ(refused.exitCode, 2);
  EXPECT_EQ(refused.err, "lattool: error: the export filter refused an object (status 3)\n");
}

}  // namespace
}  // namespace lattest
