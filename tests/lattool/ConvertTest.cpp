// lattool convert and create end to end: a lattice reads back the same through one pass,
// two passes (--interactive: its ranges first) and create from its dump; the failures that
// write nothing; standard streams and FIFOs; and, through the fake module, what reaches
// the exporter and the exit code for each of its answers.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <thread>

#include "LattoolTestSupport.h"
#include "tests/support/LatBinaryWriter.h"
#include "tests/support/LatPlainWriter.h"

namespace lattest {
namespace {

// Two lattices of 3 x 2 floats in one plain file.
std::string WriteTwoLattices(const TempDir& dir) {
  PlainLattice lat;
  lat.nDim = 2;
  lat.dims = {3, 2};
  lat.geometry = {0, 1, 10, 20};
  lat.blocks = {{1.5, 2.5, 3.5, 4.5, 5.5, 6.5}, {-7, 8.25, 9, 10, 11, 12.5}};
  return dir.Write("two.lat", PlainLatticeText(lat));
}

TEST(Convert, EachLatticeReadsBackTheSameFromOnePassTwoPassesAndItsDump) {
  ExportDir dir;
  std::vector<std::pair<std::string, int>> inputs{{WriteTwoLattices(dir), 0},
                                                  {dir.File("two.lat"), 1}};
  for (const char* name : kExamples) inputs.emplace_back(ExamplePath(name), 0);
  for (const auto& [in, k] : inputs) {
    SCOPED_TRACE(in + " lattice " + std::to_string(k));
    const nlohmann::json lat = Dump(in)["lattices"][k];
    const std::string one = dir.File("one.lat"), two = dir.File("two-pass.lat");
    const ToolResult r = dir.Run({"convert", in, one, "--lattice", std::to_string(k)});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err + r.out, "");
    const ToolResult t =
        dir.Terminal({"convert", "--interactive", in, two, "--lattice", std::to_string(k)}, "");
    EXPECT_EQ(t.exitCode, 0) << t.out;
    EXPECT_EQ(ReadText(one), ReadText(two));
    ExpectSameLattice(lat, DumpLattice(one), "converted");
    const ToolResult c = dir.Run({"create", dir.WriteJson("in.json", lat), dir.File("made.lat")});
    EXPECT_EQ(c.exitCode, 0) << c.err;
    EXPECT_EQ(c.err + c.out, "");
    ExpectSameLattice(lat, DumpLattice(dir.File("made.lat")), "created");
  }
}

TEST(Convert, FailuresExitWithTwoAndWriteNothing) {
  ExportDir dir;
  const std::string two = WriteTwoLattices(dir);
  const std::string cut =
      dir.Write("cut.lat", ReadText(ExamplePath("curvilinear-4x3x2.lat")).substr(0, 200));
  const std::string out = dir.File("out.lat"), none = dir.File("none.lat");
  const std::string noDir = dir.File("no/such/dir/out.lat");
  const struct {
    std::vector<std::string> args;
    std::string says;
    bool optionsSaved;
  } cases[] = {
      {{two, out, "--lattice", "2"}, two + " holds 2 lattices, so there is no lattice 2\n", false},
      {{ExamplePath("uniform-4x3x2.lat"), out, "--lattice", "1"},
       "holds 1 lattice, so there is no lattice 1\n",
       false},
      {{cut, out}, "lattool: error: Bad or short binary LAT data in '" + cut, false},
      {{none, out}, none, false},
      // The export ran to its end, and saved its options, but could not create OUT.
      {{ExamplePath("uniform-3x2.lat"), noDir}, noDir, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.args));
    std::vector<std::string> args{"convert"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const ToolResult r = dir.Run(args);
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.err.rfind("lattool: error: ", 0), 0u) << r.err;
    EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
    EXPECT_FALSE(Exists(c.args[1]));
    EXPECT_EQ(Exists(dir.OptionsFile()), c.optionsSaved);
  }
}

// The header goes with one NaN per component in one pass, with the ranges of the values in
// two; a curvilinear lattice's coordinate scans reach the exporter but not its ranges.
TEST(ConvertPasses, TheExporterGetsTheRangesOnlyFromTwoPasses) {
  ExportDir dir;
  BinaryLattice curv;
  curv.geometryType = lat::binary::kCurvilinear;
  curv.dims = {2, 2, 1};
  curv.nDataVar = 2;
  curv.values = {0.5, -1.5, 2.5, 1, -3, 7, 4, -8};
  curv.coords = {-1000, 0, 0, 1000, 0, 0, -1000, 1, 0, 1000, 1, 0};
  const std::string in = dir.File("curv.lat"), out = dir.File("out.lat");
  EncodeBinary(curv).WriteTo(in);
  ASSERT_EQ(dir.Fake({"convert", in, out, "--options", "A=1"}).exitCode, 0);
  const std::string header = "ExportObject curvilinear 2x2x1 components=2 dataType=7 flags=0 ";
  std::vector<std::string> calls{"SetOptions A=1",
                                 "BeginExportToFile " + out,
                                 header + "blank=0 min=[nan,nan] max=[nan,nan]",
                                 "ExportObject scan 24",  // x, y, z of 2 nodes
                                 "ExportObject scan 16",  // 2 values of 2 components
                                 "ExportObject scan 24",
                                 "ExportObject scan 16",
                                 "ExportObject end",
                                 "EndExportToFile"};
  EXPECT_EQ(dir.TakeCalls(), calls);
  const ToolResult t = dir.Terminal(
      {"--plugin", FAKE_EXPORT_PATH, "convert", "--interactive", in, out, "--options", "A=1"}, "");
  ASSERT_EQ(t.exitCode, 0) << t.out;
  calls[1] += " interactive";
  calls[2] = header + "blank=0 min=[-3,-8] max=[4,7]";
  EXPECT_EQ(dir.TakeCalls(), calls);
}

// A lattice that may hold blanks needs its ranges to replace them: the VTK import marks
// hidden nodes so, and one pass turns into two, the blanks left out of the ranges.
TEST(ConvertPasses, ALatticeThatMayHoldBlanksGetsItsRangeWithoutTheBlanks) {
  ExportDir dir;
  const std::string vtk = dir.File("blanked.vti"), out = dir.File("out.lat");
  ASSERT_EQ(dir.Run({"create", dir.WriteJson("in.json", BlankedRow()), vtk}).exitCode, 0);
  const ToolResult r = dir.Run({"convert", vtk, out, "--options", "BlankMethod=0"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(DumpLattice(out)["values"], nlohmann::json({5, 5, 300, 5, 40, 7}));
}

// The plug-in seeks in its input: a FIFO, or "-" for standard input, is copied to a
// temporary file first, which is gone afterwards; without a name of its own, it is read
// through a link named as the FIFO. "-" as OUT gets the complete file.
TEST(Streams, FifosAndStandardInputAndOutputGoThroughTemporaryFilesThatAreRemoved) {
  ExportDir dir;
  const std::string tmp = dir.File("tmp"), fifo = dir.File("pipe");
  std::filesystem::create_directory(tmp);
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const std::string example = ExamplePath("uniform-3x2.lat");
  const struct {
    std::vector<std::string> args;
    std::string fed;  // through the FIFO
    int exitCode;
    std::string shown;  // on stdout or stderr; the copy is named when there is nothing to show
  } runs[] = {
      {{"convert", fifo, dir.File("a.lat")}, ReadText(example), 0, ""},
      {{"create", fifo, dir.File("b.lat")}, DumpLattice(example).dump(), 0, ""},
      {{"info", fifo}, "not a lattice\n", 2, "/pipe' is not a LAT file.\n"},
      {{"info", "-"}, "", 2, "/stdin' is not a LAT file.\n"},  // stdin is /dev/null here
      {{"info", fifo}, ReadText(example), 0, "Name:\tpipe\n"},
      {{"convert", example, "-"}, "", 0, ""},
  };
  std::string written;
  for (const auto& run : runs) {
    SCOPED_TRACE(testing::PrintToString(run.args));
    std::thread feeder([&] {
      if (run.args[1] == fifo) std::ofstream(fifo, std::ios::binary) << run.fed;
    });
    std::vector<std::string> args{"--quiet"};
    args.insert(args.end(), run.args.begin(), run.args.end());
    const ToolResult r =
        RunTool(args, {"TMPDIR=" + tmp, "XDG_CONFIG_HOME=" + dir.File("config"),
                       "HOSTBASE_NAMED_TEMPORARY=" + std::string(run.shown.empty() ? "1" : "")});
    feeder.join();
    EXPECT_EQ(r.exitCode, run.exitCode) << r.err;
    EXPECT_NE((r.out + r.err).find(run.shown), std::string::npos) << r.out << r.err;
    EXPECT_TRUE(std::filesystem::is_empty(tmp));
    written = r.out;
  }
  EXPECT_EQ(written, ReadText(dir.File("a.lat")));
  EXPECT_EQ(ReadText(dir.File("b.lat")), written);
  EXPECT_FALSE(Exists("-"));
}

// The exit code for each answer of the export filter (0 finished, 3 cancelled, 4 no
// lattice completed, 2 an error); nothing goes after the answer that stops the export,
// and EndExportToFile is called once the export has begun.
TEST(ExportExitCodes, EachAnswerOfTheFilter) {
  ExportDir dir;
  nlohmann::json lat = UniformRow(7, {4, 3, 2, 1});
  lat["nx"] = lat["ny"] = 2;
  const std::string in = dir.WriteJson("in.json", lat), out = dir.File("out.lat");
  const std::vector<std::string> calls{
      "SetOptions A=1",
      "BeginExportToFile " + out,
      "ExportObject uniform 2x2x1 components=1 dataType=7 flags=0 blank=0 min=[1] max=[4]",
      "ExportObject scan 8",
      "ExportObject scan 8",
      "ExportObject end"};
  const struct {
    const char* answers;
    int exitCode;
    std::string err;
    std::size_t callsBeforeEnd;
  } cases[] = {
      {"", 0, "", 6},
      {"Begin=2", 3, "", 2},
      {"Object0=2", 3, "", 3},
      {"Object2=2", 3, "", 5},
      {"End=1", 4, "", 6},
      {"Raise=Object1", 2, "lattool: error: fake failure at Object1\n", 4},
      {"Raise=End", 2, "lattool: error: fake failure at End\n", 6},
      {"Object1=3", 2, "lattool: error: the export filter refused an object (status 3)\n", 4},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.answers);
    const ToolResult r = dir.Fake({"create", in, out, "--options", "A=1"}, c.answers);
    EXPECT_EQ(r.exitCode, c.exitCode);
    EXPECT_EQ(r.err, c.err);
    std::vector<std::string> expected(calls.begin(), calls.begin() + c.callsBeforeEnd);
    expected.push_back("EndExportToFile");
    EXPECT_EQ(dir.TakeCalls(), expected);
  }
}

}  // namespace
}  // namespace lattest
