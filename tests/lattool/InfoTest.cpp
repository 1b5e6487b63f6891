// lattool info: summary text, data type and component ranges of each imported lattice.
#include <gtest/gtest.h>

#include <limits>

#include "LattoolTestSupport.h"
#include "hostbase/PrimType.h"
#include "tests/support/LatBinaryWriter.h"
#include "tests/support/LatPlainWriter.h"
#include "tests/support/TempDir.h"

namespace lattest {
namespace {

using hostbase::CPrimType;

std::string TypeLine(int type) {
  return std::string("Data type: ") + CPrimType::TypeName[type] + "\n";
}

TEST(Info, PlainExamplePrintsItsSummaryTypeAndRange) {
  const ToolResult r = RunTool({"info", ExamplePath("uniform-3x2.lat")});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.out,
            "Name:\tuniform-3x2.lat\n"
            "Format:\tIris Explorer LAT\n"
            "Samples per pixel:\t1\n"
            "Size:\t2 rows x 3 columns x 1 planes\n"
            "Spacing:\tX=0.5,   Y=10,   Z=0\n"
            "xMin:\t0\txMax:\t1\n"
            "yMin:\t10\tyMax:\t20\n"
            "SW Corner:\t0, 10\n"
            "NW Corner:\t0, 20\n"
            "NE Corner:\t1, 20\n"
            "SE Corner:\t1, 10\n" +
                TypeLine(CPrimType::Float) +
                "Components: 1\n"
                "  Component 0: min 1.5, max 6.5\n");
}

TEST(Info, RectilinearExampleHasTwoInt16Components) {
  const ToolResult r = RunTool({"--quiet", "info", ExamplePath("rectilinear-4x3x2.lat")});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out,
            "Filename:\trectilinear-4x3x2.lat\n"
            "Format:\tIris Explorer LAT\n"
            "Size:\t3 rows x 4 columns x 2 planes\n"
            "X, Y and Z spacings variate\n"
            "xMin:\t0\txMax:\t7\n"
            "yMin:\t50\tyMax:\t51\n" +
                TypeLine(CPrimType::Int16) +
                "Components: 2\n"
                "  Component 0: min -100, max 600\n"
                "  Component 1: min -210, max -110\n");
}

TEST(Info, CurvilinearRangesCoverDataScansOnly) {
  const ToolResult r = RunTool({"--quiet", "info", ExamplePath("curvilinear-4x3x2.lat")});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  // The values are squared distances from the origin: 0 at node (0,0,0), 34.265625 at the
  // far corner (3.5, 3.125, 3.5).
  EXPECT_NE(r.out.find("  Component 0: min 0, max 34.265625\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("Regular topology, irregular geometry.\n"), std::string::npos);
}

TEST(Info, CurvilinearCoordinatesStayOutOfTheRange) {
  TempDir dir;
  BinaryLattice lat;
  lat.dims = {2, 2, 1};
  lat.geometryType = lat::binary::kCurvilinear;
  lat.values = {0.5, -0.5, 0.25, 0};
  lat.coords = {1000, -1000, 7, 1001, -1000, 7, 1000, -999, 7, 1001, -999, 7};
  const std::string path = dir.File("curv.lat");
  EncodeBinary(lat).WriteTo(path);
  const ToolResult r = RunTool({"--quiet", "info", path});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.out.find("Components: 1\n  Component 0: min -0.5, max 0.5\n"), std::string::npos)
      << r.out;
}

TEST(Info, EachBlockOfAPlainFileIsALatticeSeparatedByABlankLine) {
  TempDir dir;
  PlainLattice lat;
  lat.nDim = 1;
  lat.dims = {2};
  lat.primType = 2;  // 32-bit integers
  lat.geometry = {0, 1};
  lat.blocks = {{-7, 3}, {40, 41}};
  const std::string path = dir.Write("two.lat", PlainLatticeText(lat));
  const ToolResult r = RunTool({"--quiet", "info", path});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  const std::string tail = TypeLine(CPrimType::Int32) + "Components: 1\n";
  const std::size_t first = r.out.find(tail + "  Component 0: min -7, max 3\n\nName:\ttwo.lat\n");
  EXPECT_NE(first, std::string::npos) << r.out;
  EXPECT_NE(r.out.find(tail + "  Component 0: min 40, max 41\n", first + 1), std::string::npos);
  EXPECT_EQ(r.out.find("\n\n\n"), std::string::npos);
}

TEST(Info, NanValuesAreLeftOutOfTheRange) {
  TempDir dir;
  BinaryLattice lat;
  lat.dims = {4, 1, 1};
  lat.nDataVar = 2;
  const double nan = std::numeric_limits<double>::quiet_NaN();
  lat.values = {nan, nan, 2.5, nan, -1, nan, nan, nan};
  lat.coords = {0, 3, 0, 0, 0, 0};
  const std::string path = dir.File("nan.lat");
  EncodeBinary(lat).WriteTo(path);
  const ToolResult r = RunTool({"--quiet", "info", path});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.out.find("Components: 2\n  Component 0: min -1, max 2.5\n"
                       "  Component 1: no values\n"),
            std::string::npos)
      << r.out;
}

TEST(Info, AFailedImportPrintsWhatCameAndTheErrorWithExitTwo) {
  TempDir dir;
  PlainLattice lat;
  lat.nDim = 2;
  lat.dims = {2, 2};
  lat.primType = 3;
  lat.geometry = {0, 1, 0, 1};
  lat.blocks = {{1, 2, 3, 4}, {5, 6, 7, 8}};
  std::string text = PlainLatticeText(lat);
  text.resize(text.rfind('7'));  // the second block's first row is whole, then the file ends
  const std::string path = dir.Write("cut.lat", text);
  const ToolResult r = RunTool({"--quiet", "info", path});
  EXPECT_EQ(r.exitCode, 2);
  const std::size_t first = r.out.find("  Component 0: min 1, max 4\n\nName:\tcut.lat\n");
  EXPECT_NE(first, std::string::npos) << r.out;
  EXPECT_NE(r.out.find("  Component 0: min 5, max 6\n", first), std::string::npos) << r.out;
  EXPECT_EQ(r.err.rfind("lattool: error: ", 0), 0u) << r.err;
  EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << r.err;
}

TEST(Info, AMissingFileIsAnErrorWithExitTwo) {
  TempDir dir;
  const ToolResult r = RunTool({"info", dir.File("none.lat")});
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err.rfind("lattool: error: ", 0), 0u) << r.err;
}

}  // namespace
}  // namespace lattest
