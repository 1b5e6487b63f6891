// How lattool reports the export filter's answers: the host's call order, and the exit
// code for each status (0 finished, 3 cancelled, 4 no lattice completed) and for a raised
// error (2), with EndExportToFile always called once the export has begun.
#include <gtest/gtest.h>

#include "ExportTestSupport.h"

namespace lattest {
namespace {

// A 2 x 2 lattice of floats: header, two scans, end.
std::string WriteLattice(const ExportDir& dir) {
  return dir.WriteJson("in.json", {{"kind", "uniform"},
                                   {"dataType", 7},
                                   {"nx", 2},
                                   {"ny", 2},
                                   {"nz", 1},
                                   {"components", 1},
                                   {"origin", {0, 0, 0}},
                                   {"spacing", {1, 1, 1}},
                                   {"values", {4, 3, 2, 1}}});
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

TEST(ExportExitCodes, NoCompletedLatticeIsFour) {
  ExportDir dir;
  const ToolResult r = dir.RunFake({"create", WriteLattice(dir), dir.File("out.lat")}, "End=1");
  EXPECT_EQ(r.exitCode, 4) << r.err;
  EXPECT_EQ(r.err, "");
}

TEST(ExportExitCodes, ARaisedErrorIsTwoWithItsMessage) {
  ExportDir dir;
  const std::string in = WriteLattice(dir);
  const ToolResult r = dir.RunFake({"create", in, dir.File("out.lat")}, "Raise=Object1");
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_EQ(r.err, "lattool: error: fake failure at Object1\n");
  const auto log = ReadLines(dir.LogFile());
  ASSERT_EQ(log.size(), 5u);
  EXPECT_EQ(log[3], "ExportObject scan 8");
  EXPECT_EQ(log[4], "EndExportToFile");

  // An error raised by EndExportToFile itself.
  const ToolResult end = dir.RunFake({"create", in, dir.File("out.lat")}, "Raise=End");
  EXPECT_EQ(end.exitCode, 2);
  EXPECT_EQ(end.err, "lattool: error: fake failure at End\n");
}

TEST(ExportExitCodes, AnObjectTheFilterDoesNotHandleIsAnError) {
  ExportDir dir;
  const ToolResult r = dir.RunFake({"create", WriteLattice(dir), dir.File("out.lat")}, "Object1=3");
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_EQ(r.err, "lattool: error: the export filter refused an object (status 3)\n");
}

TEST(ExportExitCodes, AModuleWithoutExportLatIsASetupError) {
  ExportDir dir;
  const ToolResult r = dir.Run(
      {"--plugin", HOSTBASE_LIBRARY_PATH, "create", WriteLattice(dir), dir.File("out.lat")});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find("does not export ExportLAT"), std::string::npos) << r.err;
  EXPECT_FALSE(Exists(dir.File("out.lat")));
}

}  // namespace
}  // namespace lattest
