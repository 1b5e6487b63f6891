// lattool convert in one pass or two: without --page and --interactive the lattice goes
// to the exporter as it is read, its ranges not known (NaN), and the file written is the
// one that two passes write; the options page, the dialog and a lattice that may hold
// blanks get the ranges of a first pass.
#include <gtest/gtest.h>

#include "ExportTestSupport.h"
#include "TerminalRun.h"
#include "formats/LatBinaryFormat.h"
#include "tests/support/LatBinaryWriter.h"
#include "tests/support/LatPlainWriter.h"

namespace lattest {
namespace {

namespace bin = lat::binary;

// A 3 x 2 x 2 lattice of two components of the type with file code `typeCode`: values
// that fit every type, with fractions for the floating types, some of them negative.
BinaryLattice MixedLattice(std::int32_t geometryType, std::int32_t typeCode) {
  BinaryLattice lat;
  lat.dims = {3, 2, 2};
  lat.nDataVar = 2;
  lat.primType = typeCode;
  lat.geometryType = geometryType;
  const bool floating = bin::PrimTypeOfCode(typeCode) >= 7;
  for (int i = 0; i < 24; ++i) lat.values.push_back((i * 37) % 101 - 50 + (floating ? 0.25 : 0));
  if (geometryType == bin::kUniform) {
    lat.coords = {0, 2, -1, 1, 5, 5.5f};
  } else if (geometryType == bin::kRectilinear) {
    lat.coords = {0, 1, 3, 10, 20, -4, 4};
  } else {
    for (float node = 0; node < 12; ++node) {
      lat.coords.insert(lat.coords.end(), {node * 0.5f, -node * 1.25f, node * node});
    }
  }
  return lat;
}

// A run through the fake module on a terminal, where --interactive is allowed.
TerminalResult RunFakeOnTerminal(const ExportDir& dir, std::vector<std::string> args) {
  args.insert(args.begin(), {"--plugin", FAKE_EXPORT_PATH, "--quiet"});
  return RunOnTerminal(args, dir.Environment(), "");
}

TEST(ConvertPasses, OnePassWritesTheBytesOfTwoForEveryGeometryAndType) {
  ExportDir dir;
  for (std::int32_t geometry : {bin::kUniform, bin::kRectilinear, bin::kCurvilinear}) {
    for (std::int32_t type = 0; type < bin::kValueTypeCount; ++type) {
      const std::string name = std::to_string(geometry) + "-" + std::to_string(type);
      const std::string in = dir.File("in-" + name + ".lat");
      EncodeBinary(MixedLattice(geometry, type)).WriteTo(in);
      const std::string one = dir.File("one-" + name + ".lat");
      const std::string two = dir.File("two-" + name + ".lat");
      const ToolResult r = dir.Run({"convert", in, one});
      ASSERT_EQ(r.exitCode, 0) << name << ": " << r.err;
      const TerminalResult t =
          RunOnTerminal({"--quiet", "convert", "--interactive", in, two}, dir.Environment(), "");
      ASSERT_EQ(t.exitCode, 0) << name << ": " << t.shown;
      const std::string written = ReadText(one);
      EXPECT_GT(written.size(), bin::kMagicLine.size()) << name;
      EXPECT_EQ(written, ReadText(two)) << name;
    }
  }
}

TEST(ConvertPasses, OnePassFromAPlainFileWritesTheBytesOfTwo) {
  ExportDir dir;
  const std::string in = WriteTwoLattices(dir);
  const std::string one = dir.File("one.lat");
  const std::string two = dir.File("two-pass.lat");
  ASSERT_EQ(dir.Run({"convert", in, one, "--lattice", "1"}).exitCode, 0);
  const TerminalResult t = RunOnTerminal(
      {"--quiet", "convert", "--interactive", in, two, "--lattice", "1"}, dir.Environment(), "");
  ASSERT_EQ(t.exitCode, 0) << t.shown;
  EXPECT_EQ(ReadText(one), ReadText(two));
  EXPECT_EQ(Doubles(DumpLattice(one)["values"]), (std::vector<double>{-7, 8.25, 9, 10, 11, 12.5}));
}

TEST(ConvertPasses, OnePassHandsOneNaNPerComponentAndTwoPassesTheRanges) {
  ExportDir dir;
  const std::string out = dir.File("out.lat");
  ASSERT_EQ(dir.RunFake({"convert", ExamplePath("rectilinear-4x3x2.lat"), out}).exitCode, 0);
  const auto one = ReadLines(dir.LogFile());
  ASSERT_EQ(one.size(), 3u + 6u + 2u);  // options, begin, header, six rows, end marker, end
  EXPECT_EQ(one[2],
            "ExportObject rectilinear 4x3x2 components=2 dataType=2 flags=0 blank=0 "
            "min=[nan,nan] max=[nan,nan]");

  std::filesystem::remove(dir.LogFile());
  const TerminalResult t = RunFakeOnTerminal(
      dir, {"convert", "--interactive", ExamplePath("rectilinear-4x3x2.lat"), out});
  ASSERT_EQ(t.exitCode, 0) << t.shown;
  const auto two = ReadLines(dir.LogFile());
  ASSERT_EQ(two.size(), one.size());
  EXPECT_EQ(two[1], "BeginExportToFile " + out + " interactive");
  // Components 100x - 50y + 300z and -20x + 10y^2 - 150 over x < 4, y < 3, z < 2.
  EXPECT_EQ(two[2],
            "ExportObject rectilinear 4x3x2 components=2 dataType=2 flags=0 blank=0 "
            "min=[-100,-210] max=[600,-110]");
}

TEST(ConvertPasses, TheRangesOfTwoPassesLeaveCurvilinearCoordinatesOut) {
  ExportDir dir;
  BinaryLattice curv;
  curv.geometryType = bin::kCurvilinear;
  curv.dims = {2, 2, 1};
  curv.values = {0.5, -1.5, 2.5, 1};
  curv.coords = {-1000, 0, 0, 1000, 0, 0, -1000, 1, 0, 1000, 1, 0};
  const std::string in = dir.File("curv.lat");
  EncodeBinary(curv).WriteTo(in);
  const TerminalResult t =
      RunFakeOnTerminal(dir, {"convert", "--interactive", in, dir.File("out.lat")});
  ASSERT_EQ(t.exitCode, 0) << t.shown;
  const auto log = ReadLines(dir.LogFile());
  ASSERT_EQ(log.size(), 9u);
  EXPECT_EQ(log[2],
            "ExportObject curvilinear 2x2x1 components=1 dataType=7 flags=0 blank=0 "
            "min=[-1.5] max=[2.5]");
}

TEST(ConvertPasses, ALatticeThatMayHoldBlanksGetsItsRangesWithoutItsBlanks) {
  ExportDir dir;
  const std::string in = WriteTwoLattices(dir);
  const std::string out = dir.File("out.lat");
  // -7 marks blanks: the export begun for the one pass is the one that receives the
  // lattice after the first of two, once, with -7 left out of its range.
  auto env = dir.Environment();
  env.push_back("LAT_FAKE_BLANK=-7");
  const ToolResult blanks = RunTool({"--quiet", "--plugin", FAKE_EXPORT_PATH, "convert", in, out,
                                     "--lattice", "1", "--options", "A=1"},
                                    env);
  ASSERT_EQ(blanks.exitCode, 0) << blanks.err;
  EXPECT_EQ(blanks.err, "");
  EXPECT_EQ(ReadLines(dir.LogFile()),
            (std::vector<std::string>{
                "SetOptions A=1",
                "BeginExportToFile " + out,
                "ExportObject uniform 3x2x1 components=1 dataType=7 flags=1 blank=-7 "
                "min=[8.25] max=[12.5]",
                "ExportObject scan 12",
                "ExportObject scan 12",
                "ExportObject end",
                "EndExportToFile",
            }));
}

TEST(ConvertPasses, ALatticeThatMayHoldBlanksButIsMissingIsStillAnError) {
  ExportDir dir;
  const std::string in = WriteTwoLattices(dir);
  const std::string out = dir.File("out.lat");
  auto env = dir.Environment();
  env.push_back("LAT_FAKE_BLANK=-7");
  const ToolResult r =
      RunTool({"--quiet", "--plugin", FAKE_EXPORT_PATH, "convert", in, out, "--lattice", "2"}, env);
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_EQ(r.err, "lattool: error: " + in + " holds 2 lattices, so there is no lattice 2\n");
  // The export was begun and ended without an object; the options stay unsaved.
  EXPECT_EQ(
      ReadLines(dir.LogFile()),
      (std::vector<std::string>{"SetOptions ", "BeginExportToFile " + out, "EndExportToFile"}));
  EXPECT_FALSE(Exists(dir.OptionsFile()));
}

TEST(ConvertPasses, ThePageShowsTheRangeOfTheLattice) {
  ExportDir dir;
  const std::string in = WriteTwoLattices(dir);
  const std::string out = dir.File("out.lat");
  const TerminalResult t = RunOnTerminal(
      {"--quiet", "convert", "--page", in, out, "--lattice", "1"}, dir.Environment(), "o\n");
  ASSERT_EQ(t.exitCode, 0) << t.shown;
  EXPECT_NE(t.shown.find("[1] (*) Data min  [-7]"), std::string::npos) << t.shown;
  EXPECT_NE(t.shown.find("[2] ( ) Data max  [12.5]"), std::string::npos) << t.shown;
  EXPECT_EQ(Doubles(DumpLattice(out)["values"]), (std::vector<double>{-7, 8.25, 9, 10, 11, 12.5}));
}

}  // namespace
}  // namespace lattest
