// lattool convert end to end: every example written as a binary file that reads back the
// same, the lattice chosen from a plain file of several, what reaches the exporter, the
// refusals that write nothing, and one pass or two: without --page and
// --interactive the lattice goes to the exporter as it is read, its ranges not known (NaN),
// and the file written is the one that two passes write.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <thread>

#include <array>
#include <filesystem>

#include "LattoolTestSupport.h"
#include "TerminalRun.h"
#include "formats/LatBinaryFormat.h"
#include "tests/support/LatBinaryWriter.h"
#include "tests/support/LatPlainWriter.h"

namespace lattest {
namespace {

namespace bin = lat::binary;

// A run through the fake module on a terminal, where --interactive is allowed.
TerminalResult RunFakeOnTerminal(const ExportDir& dir, std::vector<std::string> args) {
  args.insert(args.begin(), {"--plugin", FAKE_EXPORT_PATH, "--quiet"});
  return RunOnTerminal(args, dir.Environment(), "");
}

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

TEST(Convert, TheLatticeOptionPicksOneOfSeveralAndOneBeyondTheFileIsAnError) {
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

  ExportDir fresh;  // no options saved yet
  const std::string out = fresh.File("out.lat");
  const ToolResult two = fresh.Run({"convert", in, out, "--lattice", "2"});
  EXPECT_EQ(two.exitCode, 2);
  EXPECT_EQ(two.err, "lattool: error: " + in + " holds 2 lattices, so there is no lattice 2\n");
  EXPECT_FALSE(Exists(out));
  EXPECT_FALSE(Exists(fresh.OptionsFile()));
  const ToolResult one =
      fresh.Run({"convert", ExamplePath("uniform-4x3x2.lat"), out, "--lattice", "1"});
  EXPECT_EQ(one.exitCode, 2);
  EXPECT_NE(one.err.find("holds 1 lattice, so there is no lattice 1"), std::string::npos)
      << one.err;
  EXPECT_FALSE(Exists(out));
}

TEST(Convert, CoordinateScansOfACurvilinearLatticeReachTheExporterAndStayOutOfItsRange) {
  ExportDir dir;
  const std::string out = dir.File("out.lat");
  // A curvilinear lattice whose node positions lie far outside its values.
  BinaryLattice curv;
  curv.geometryType = bin::kCurvilinear;
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
  // Two passes: the range covers the values only, not the node positions.
  std::filesystem::remove(dir.LogFile());
  const TerminalResult t = RunFakeOnTerminal(dir, {"convert", "--interactive", in, out});
  ASSERT_EQ(t.exitCode, 0) << t.shown;
  const auto log = ReadLines(dir.LogFile());
  ASSERT_EQ(log.size(), 9u);
  EXPECT_EQ(log[2],
            "ExportObject curvilinear 2x2x1 components=1 dataType=7 flags=0 blank=0 "
            "min=[-1.5] max=[2.5]");
}

TEST(Convert, InAndOutMayNotNameTheSameFileAndNeitherMayCreates) {
  ExportDir dir;
  std::filesystem::create_directory(dir.File("sub"));
  const std::string lat = dir.File("in.lat");
  std::filesystem::copy_file(ExamplePath("uniform-4x3x2.lat"), lat);
  const std::string json = dir.WriteJson("in.json", UniformRow(7, {1, 2}));
  for (const auto& [command, in] : {std::pair<std::string, std::string>{"convert", lat},
                                    std::pair<std::string, std::string>{"create", json}}) {
    const std::string before = ReadText(in);
    const std::string name = in.substr(in.rfind('/') + 1);
    std::filesystem::create_hard_link(in, dir.File("hard-" + name));
    std::filesystem::create_symlink(in, dir.File("soft-" + name));
    for (const std::string& out : {in, dir.File("sub/../" + name), dir.File("./" + name),
                                   dir.File("hard-" + name), dir.File("soft-" + name)}) {
      const ToolResult r = dir.Run({command, in, out});
      EXPECT_EQ(r.exitCode, 1) << command << " " << out;
      EXPECT_EQ(r.err, "lattool: error: IN and OUT name the same file ('" + out + "')\n");
      EXPECT_EQ(ReadText(in), before) << command << " " << out;
    }
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

  // A missing input, and an output that cannot be created: each named in the error.
  const std::string none = dir.File("none.lat");
  const std::string noDir = dir.File("no/such/dir/out.lat");
  for (const auto& [from, to, named] : std::vector<std::array<std::string, 3>>{
           {none, out, none}, {ExamplePath("uniform-3x2.lat"), noDir, noDir}}) {
    const ToolResult failed = dir.Run({"convert", from, to});
    EXPECT_EQ(failed.exitCode, 2);
    EXPECT_EQ(failed.err.rfind("lattool: error: ", 0), 0u);
    EXPECT_NE(failed.err.find(named), std::string::npos) << failed.err;
    EXPECT_FALSE(Exists(to));
  }
}

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
  // From a plain file of two lattices.
  const std::string in = WriteTwoLattices(dir);
  const std::string one = dir.File("one.lat");
  const std::string two = dir.File("two-pass.lat");
  ASSERT_EQ(dir.Run({"convert", in, one, "--lattice", "1"}).exitCode, 0);
  const TerminalResult t = RunOnTerminal(
      {"--quiet", "convert", "--interactive", in, two, "--lattice", "1"}, dir.Environment(), "");
  ASSERT_EQ(t.exitCode, 0) << t.shown;
  EXPECT_EQ(ReadText(one), ReadText(two));
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

// A lattice that may hold blanks needs its ranges for the replacement: the export begun
// for one pass receives it once, after a first pass, with the blank value (-7) left out.
TEST(ConvertPasses, ALatticeThatMayHoldBlanksGetsItsRangesWithoutItsBlanks) {
  ExportDir dir;
  const std::string in = WriteTwoLattices(dir);
  const std::string out = dir.File("out.lat");
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

// A FIFO named as IN (or IN.json) is copied to a temporary file first, since the plug-in
// seeks; the copy is gone afterwards. "-" reads standard input the same way, and as OUT
// writes the complete file to standard output.
TEST(Streams, FifosAndStandardInputAndOutputGoThroughTemporaryFilesThatAreRemoved) {
  ExportDir dir;
  const std::string tmp = dir.File("tmp");
  std::filesystem::create_directory(tmp);
  const std::string fifo = dir.File("pipe");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const std::string example = ExamplePath("uniform-3x2.lat");
  const std::string json = DumpLattice(example).dump();
  const struct {
    std::vector<std::string> args;
    std::string fed;  // through the FIFO
    int exitCode;
  } runs[] = {
      {{"convert", fifo, dir.File("a.lat")}, ReadText(example), 0},
      {{"create", fifo, dir.File("b.lat")}, json, 0},
      {{"info", fifo}, "not a lattice\n", 2},
      {{"info", "-"}, "", 2},  // standard input is /dev/null here
      {{"convert", example, "-"}, "", 0},
      {{"create", fifo, "-"}, json, 0},
  };
  for (const auto& run : runs) {
    std::thread feeder([&] {
      if (run.args[1] == fifo) std::ofstream(fifo, std::ios::binary) << run.fed;
    });
    std::vector<std::string> args{"--quiet"};
    args.insert(args.end(), run.args.begin(), run.args.end());
    const ToolResult r = RunTool(args, {"TMPDIR=" + tmp, "HOSTBASE_NAMED_TEMPORARY=1",
                                        "XDG_CONFIG_HOME=" + dir.ConfigHome()});
    feeder.join();
    EXPECT_EQ(r.exitCode, run.exitCode) << run.args[0] << ": " << r.err;
    EXPECT_TRUE(std::filesystem::is_empty(tmp)) << run.args[0];
    EXPECT_EQ(r.err.find("is not a LAT file") != std::string::npos, run.exitCode == 2) << r.err;
    const bool toStdout = run.args.size() == 3 && run.args[2] == "-";
    EXPECT_EQ(r.out, toStdout ? ReadText(dir.File("a.lat")) : "") << run.args[0];
  }
  EXPECT_EQ(DumpLattice(dir.File("b.lat"))["values"], DumpLattice(example)["values"]);
  EXPECT_FALSE(Exists("-"));
  // The unnamed copy is read by the FIFO's name, which the summary shows.
  std::thread feeder([&] { std::ofstream(fifo, std::ios::binary) << ReadText(example); });
  const ToolResult r = RunTool({"--quiet", "info", fifo}, {"TMPDIR=" + tmp});
  feeder.join();
  EXPECT_NE(r.out.find("Name:\tpipe\n"), std::string::npos) << r.out;
  EXPECT_TRUE(std::filesystem::is_empty(tmp));
}

}  // namespace
}  // namespace lattest
