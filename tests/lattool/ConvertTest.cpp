// lattool convert end to end: every example written as a binary file that reads back the
// same, the lattice chosen from a plain file of several, what reaches the exporter (only
// lattice K), and the refusals that write nothing.
#include <gtest/gtest.h>

#include <unistd.h>
#include <filesystem>

#include "ExportTestSupport.h"
#include "formats/LatBinaryFormat.h"
#include "tests/support/LatBinaryWriter.h"
#include "tests/support/LatPlainWriter.h"

namespace lattest {
namespace {

constexpr const char* kExamples[] = {"uniform-3x2.lat", "uniform-4x3x2.lat",
                                     "rectilinear-4x3x2.lat", "curvilinear-4x3x2.lat"};

TEST(Convert, EachExampleReadsBackWithTheSameValuesAndCoordinates) {
  ExportDir dir;
  for (const char* name : kExamples) {
    const std::string out = dir.File(std::string("bin-") + name);
    const ToolResult r = dir.Run({"convert", ExamplePath(name), out});
    EXPECT_EQ(r.exitCode, 0) << name << ": " << r.err;
    EXPECT_EQ(r.err, "") << name;
    EXPECT_EQ(r.out, "") << name;
    EXPECT_EQ(ReadText(out).rfind(std::string(lat::binary::kMagicLine), 0), 0u) << name;
    const nlohmann::json in = DumpLattice(ExamplePath(name));
    const nlohmann::json back = DumpLattice(out);
    ExpectSameLattice(in, back, name);
    EXPECT_EQ(back["scans"], in["scans"]) << name;
  }
}

TEST(Convert, TheLatticeOptionPicksOneOfSeveral) {
  ExportDir dir;
  const std::string in = WriteTwoLattices(dir);
  const std::string first = dir.File("first.lat");
  const std::string second = dir.File("second.lat");
  ASSERT_EQ(dir.Run({"convert", in, first}).exitCode, 0);
  const ToolResult r = dir.Run({"convert", in, second, "--lattice", "1"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(Doubles(DumpLattice(first)["values"]),
            (std::vector<double>{1.5, 2.5, 3.5, 4.5, 5.5, 6.5}));
  const nlohmann::json lat = DumpLattice(second);
  EXPECT_EQ(Doubles(lat["values"]), (std::vector<double>{-7, 8.25, 9, 10, 11, 12.5}));
  EXPECT_EQ(Doubles(lat["origin"]), (std::vector<double>{0, 10, 0}));
}

TEST(Convert, OnlyLatticeKReachesTheExporter) {
  ExportDir dir;
  const std::string in = WriteTwoLattices(dir);
  const std::string out = dir.File("out.lat");
  const ToolResult r = dir.RunFake({"convert", in, out, "--lattice", "1", "--options", "A=1"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(ReadLines(dir.LogFile()),
            (std::vector<std::string>{
                "SetOptions A=1",
                "BeginExportToFile " + out,
                "ExportObject uniform 3x2x1 components=1 dataType=7 flags=0 blank=0 "
                "min=[nan] max=[nan]",
                "ExportObject scan 12",
                "ExportObject scan 12",
                "ExportObject end",
                "EndExportToFile",
            }));
}

TEST(Convert, CoordinateScansOfACurvilinearLatticeReachTheExporter) {
  ExportDir dir;
  const std::string out = dir.File("out.lat");
  // A curvilinear lattice whose node positions lie far outside its values.
  BinaryLattice curv;
  curv.geometryType = lat::binary::kCurvilinear;
  curv.dims = {2, 2, 1};
  curv.values = {0.5, -1.5, 2.5, 1};
  curv.coords = {-1000, 0, 0, 1000, 0, 0, -1000, 1, 0, 1000, 1, 0};
  const std::string in = dir.File("curv.lat");
  EncodeBinary(curv).WriteTo(in);
  ASSERT_EQ(dir.RunFake({"convert", in, out}).exitCode, 0);
  EXPECT_EQ(ReadLines(dir.LogFile()),
            (std::vector<std::string>{
                "SetOptions ",
                "BeginExportToFile " + out,
                "ExportObject curvilinear 2x2x1 components=1 dataType=7 flags=0 blank=0 "
                "min=[nan] max=[nan]",
                "ExportObject scan 24",  // x, y, z of 2 nodes
                "ExportObject scan 8",   // 2 values
                "ExportObject scan 24",
                "ExportObject scan 8",
                "ExportObject end",
                "EndExportToFile",
            }));
}

TEST(Convert, ALatticeBeyondTheFileIsAnErrorAndWritesNothing) {
  ExportDir dir;
  const std::string in = WriteTwoLattices(dir);
  const std::string out = dir.File("out.lat");
  const ToolResult r = dir.Run({"convert", in, out, "--lattice", "2"});
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_EQ(r.err, "lattool: error: " + in + " holds 2 lattices, so there is no lattice 2\n");
  EXPECT_FALSE(Exists(out));
  EXPECT_FALSE(Exists(dir.OptionsFile()));
  const ToolResult one =
      dir.Run({"convert", ExamplePath("uniform-4x3x2.lat"), out, "--lattice", "1"});
  EXPECT_EQ(one.exitCode, 2);
  EXPECT_NE(one.err.find("holds 1 lattice, so there is no lattice 1"), std::string::npos)
      << one.err;
  EXPECT_FALSE(Exists(out));
}

TEST(Convert, InAndOutMayNotNameTheSameFile) {
  ExportDir dir;
  const std::string in = dir.File("in.lat");
  std::filesystem::copy_file(ExamplePath("uniform-4x3x2.lat"), in);
  const std::string before = ReadText(in);
  std::filesystem::create_directory(dir.File("sub"));
  std::filesystem::create_hard_link(in, dir.File("hard.lat"));
  std::filesystem::create_symlink(in, dir.File("soft.lat"));
  for (const std::string& out : {in, dir.File("sub/../in.lat"), dir.File("./in.lat"),
                                 dir.File("hard.lat"), dir.File("soft.lat")}) {
    const ToolResult r = dir.Run({"convert", in, out});
    EXPECT_EQ(r.exitCode, 1) << out;
    EXPECT_EQ(r.err, "lattool: error: IN and OUT name the same file ('" + out + "')\n");
    EXPECT_EQ(ReadText(in), before) << out;
  }
  EXPECT_FALSE(Exists(dir.OptionsFile()));
}

TEST(Convert, AnImportErrorEndsTheConversionWithoutAFile) {
  ExportDir dir;
  BinaryLattice lat;
  lat.dims = {2, 2, 1};
  lat.values = {1, 2, 3, 4};
  lat.coords = {0, 1, 0, 1, 0, 0};
  BinaryImage image = EncodeBinary(lat);
  image.Truncate(image.firstValue + 6);
  const std::string in = dir.File("short.lat");
  image.WriteTo(in);
  const std::string out = dir.File("out.lat");
  const ToolResult r = dir.Run({"convert", in, out});
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_EQ(r.err.rfind("lattool: error: Bad or short binary LAT data in '" + in, 0), 0u) << r.err;
  EXPECT_FALSE(Exists(out));

  const ToolResult missing = dir.Run({"convert", dir.File("none.lat"), out});
  EXPECT_EQ(missing.exitCode, 2);
  EXPECT_EQ(missing.err.rfind("lattool: error: ", 0), 0u);
  EXPECT_NE(missing.err.find(dir.File("none.lat")), std::string::npos) << missing.err;
  EXPECT_FALSE(Exists(out));
}

TEST(Convert, AnOutputThatCannotBeCreatedIsAnError) {
  ExportDir dir;
  const std::string out = dir.File("no/such/dir/out.lat");
  const ToolResult r = dir.Run({"convert", ExamplePath("uniform-3x2.lat"), out});
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_EQ(r.err.rfind("lattool: error: ", 0), 0u);
  EXPECT_NE(r.err.find(out), std::string::npos) << r.err;
  EXPECT_FALSE(Exists(out));
}

TEST(Convert, AnExportThatRefusesStopsTheImport) {
  ExportDir dir;
  const std::string out = dir.File("out.lat");
  // The filter cancels at the first scan: the second pass stops there.
  const ToolResult r = dir.RunFake({"convert", ExamplePath("uniform-4x3x2.lat"), out}, "Object1=2");
  EXPECT_EQ(r.exitCode, 3) << r.err;
  EXPECT_EQ(r.err, "");
  const auto log = ReadLines(dir.LogFile());
  ASSERT_EQ(log.size(), 5u);
  EXPECT_EQ(log[3], "ExportObject scan 16");
  EXPECT_EQ(log[4], "EndExportToFile");
}

}  // namespace
}  // namespace lattest
