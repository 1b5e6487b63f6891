// lattool convert and create end to end: round trips, the failures that write nothing,
// standard streams and FIFOs, and what reaches the exporter (through the fake module).
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <thread>

#include "LattoolTestSupport.h"
#include "tests/support/LatBinaryWriter.h"

namespace lattest {
namespace {

// One pass, two passes (--interactive: the ranges first) and create from the dump (showing
// its progress on a terminal) each give back the lattice.
TEST(Convert, EachLatticeReadsBackTheSameFromOnePassTwoPassesAndItsDump) {
  ExportDir dir;
  const std::string lattices = dir.Write("two.lat", kTwoLattices);
  std::vector<std::pair<std::string, int>> inputs{{lattices, 0}, {lattices, 1}};
  for (const char* name : {"uniform-4x3x2.lat", "rectilinear-4x3x2.lat", "curvilinear-4x3x2.lat"})
    inputs.emplace_back(ExamplePath(name), 0);
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
    EXPECT_EQ(ReadFile(one), ReadFile(two));
    ExpectSameLattice(lat, DumpLattice(one), "converted");
    const std::string made = dir.File("made.lat");
    const ToolResult c =
        RunOnTerminal({"create", dir.WriteJson("in.json", lat), made}, dir.Environment(), "");
    EXPECT_EQ(c.exitCode, 0) << c.out;
    EXPECT_NE(c.out.find("in.json [###"), std::string::npos) << c.out;
    ExpectSameLattice(lat, DumpLattice(made), "created");
  }
}

// The VTK import marks hidden nodes as blanks, so the way back takes two passes and ranges
// without them. --to chooses the format whatever the extension.
TEST(Convert, ThroughVtkAndBack) {
  ExportDir dir;
  const std::string vtk = dir.File("blanked.vti"), back = dir.File("back.vti");
  ASSERT_EQ(dir.Run({"create", dir.WriteJson("in.json", BlankedRow()), vtk}).exitCode, 0);
  const ToolResult r = dir.Run({"convert", vtk, back, "--to", "LAT", "--options", "BlankMethod=0"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(DumpLattice(back)["values"], nlohmann::json({5, 5, 300, 5, 40, 7}));
  const std::string curvilinear = ExamplePath("curvilinear-4x3x2.lat"), asVtk = dir.File("c.dat");
  EXPECT_EQ(dir.Run({"convert", curvilinear, asVtk, "--to", "vtk"}).exitCode, 0);
  ExpectSameLattice(DumpLattice(curvilinear), DumpLattice(asVtk), "as VTK");
}

// What it refuses exits with 1 before anything is written (writing onto its own input
// would destroy it before it is read, by whatever name); a failure on the way, with 2.
TEST(Convert, RefusalsAndFailuresSayWhatIsWrongAndWriteNothing) {
  ExportDir dir;
  const std::string two = dir.Write("two.lat", kTwoLattices), in = two;
  const std::string rect = ExamplePath("rectilinear-4x3x2.lat");  // 4 x 3 x 2, 2 components
  const std::string json = dir.WriteJson("in.json", Uniform(7, {1, 2}));
  const std::string out = dir.File("out.lat"), vti = dir.File("out.vti");
  const std::string missing = dir.File("missing.lat");
  const std::string cut = dir.Write("cut.lat", ReadFile(rect).substr(0, 200));
  const std::string noDir = dir.File("no/such/dir/out.lat");
  std::filesystem::create_hard_link(in, dir.File("hard.lat"));
  std::filesystem::create_symlink(json, dir.File("soft.json"));
  const std::string noTerminal =
      "--interactive and --page show their dialogs on a terminal, and there is none";
  const std::string same = "IN and OUT name the same file ('";
  const struct {
    std::vector<std::string> args;
    std::string says;
    int exitCode = 1;
    bool optionsSaved = false;
  } cases[] = {
      {{}, "a command is needed: probe, info, dump, convert or create"},
      {{"frobnicate", in}, "unknown command 'frobnicate': the commands are probe, info"},
      {{"convert", in}, "OUT is required"},
      {{"convert", in, out, "--lattice", "-1"},
       "--lattice: K is a lattice index, a whole number counting from 0, not '-1'"},
      {{"--plugin", "/no/such/LAT.so", "dump", in},
       "cannot load plug-in module '/no/such/LAT.so': "},
      // The host's own library loads but exports no factory.
      {{"--plugin", HOSTBASE_LIBRARY_PATH, "info", in}, "does not export ImportLAT"},
      {{"--plugin", HOSTBASE_LIBRARY_PATH, "create", json, out}, "does not export ExportLAT"},
      {{"create", "--interactive", json, out}, noTerminal},
      {{"convert", "--page", in, out}, noTerminal},
      {{"convert", in, dir.File("hard.lat")}, same + dir.File("hard.lat") + "')\n"},
      {{"create", json, dir.File("soft.json")}, same + dir.File("soft.json") + "')\n"},
      // A file not there yet has no identity: its spelling is compared.
      {{"convert", missing, dir.File("./missing.lat")}, same},
      {{"convert", rect, out, "--region", ",,:3"},
       "the box's z nodes 0:3 lie outside the lattice's 0:2"},
      {{"dump", rect, "--region", ",,2:"}, "the box's z nodes 2:2 are none"},
      {{"convert", rect, out, "--component", "2"},
       "component 2 does not exist: the lattice has 2 (0 to 1)"},
      {{"dump", rect, "--region", "1:2,,,"}, "--region '1:2,,,' has more than three parts"},
      {{"convert", rect, out, "--region", "1-2"}, "the part '1-2' is not X0:X1"},
      {{"convert", rect, out, "--region", ",:x"}, "not 'x'"},
      {{"convert", two, out, "--lattice", "2"},
       two + " holds 2 lattices, so there is no lattice 2\n",
       2},
      {{"convert", rect, out, "--lattice", "1"}, "holds 1 lattice, so there is no lattice 1\n", 2},
      {{"convert", cut, out}, "Bad or short binary LAT data in '" + cut, 2},
      {{"convert", rect, vti},
       "lattice cannot be written to '" + vti + "': use the extension .vtr",
       2},
      {{"convert", in, vti, "--options", "Compress=lz4"}, "compression 'lz4' is not supported", 2},
      {{"convert", missing, out}, missing, 2},
      {{"create", missing, out}, missing + ": cannot read '" + missing + "': No such file", 2},
      // The export ran to its end, and saved its options, but could not create OUT.
      {{"convert", in, noDir}, noDir, 2, true},
  };
  const std::string before = ReadFile(in) + ReadFile(json);
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.args));
    const ToolResult r = dir.Run(c.args);
    EXPECT_EQ(r.exitCode, c.exitCode);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err.rfind("lattool: error: ", 0), 0u) << r.err;
    EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
    EXPECT_FALSE(Exists(out) || Exists(vti) || Exists(noDir));
    EXPECT_EQ(Exists(dir.File("config")), c.optionsSaved);
  }
  EXPECT_EQ(ReadFile(in) + ReadFile(json), before);
  // No temporary file is left: two.lat, in.json, cut.lat, two links and the saved options.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()),
                          std::filesystem::directory_iterator()),
            6);
}

// The plug-in seeks in its input: a FIFO or "-" is copied to a temporary file, removed
// afterwards, read through a link named as the FIFO. create takes a whole dump document.
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
      {{"--quiet", "convert", fifo, dir.File("a.lat")}, ReadFile(example), 0, ""},
      {{"--quiet", "create", fifo, dir.File("b.lat")}, Dump(example).dump(), 0, ""},
      {{"--quiet", "info", fifo}, "not a lattice\n", 2, "/pipe' is not a LAT file.\n"},
      {{"--quiet", "info", "-"}, "", 2, "/stdin' is not a LAT file.\n"},  // stdin is /dev/null
      {{"--quiet", "info", fifo}, ReadFile(example), 0, "Name:\tpipe\n"},
      {{"--quiet", "convert", example, "-"}, "", 0, ""},
  };
  std::string written;
  for (const auto& run : runs) {
    SCOPED_TRACE(testing::PrintToString(run.args));
    std::thread feeder([&] {
      if (run.args[2] == fifo) std::ofstream(fifo, std::ios::binary) << run.fed;
    });
    const ToolResult r = RunTool(
        run.args, {"TMPDIR=" + tmp, "XDG_CONFIG_HOME=" + dir.File("config"),
                   "HOSTBASE_NAMED_TEMPORARY=" + std::string(run.shown.empty() ? "1" : "")});
    feeder.join();
    EXPECT_EQ(r.exitCode, run.exitCode) << r.err;
    EXPECT_NE((r.out + r.err).find(run.shown), std::string::npos) << r.out << r.err;
    EXPECT_TRUE(std::filesystem::is_empty(tmp));
    written = r.out;
  }
  EXPECT_EQ(written, ReadFile(dir.File("a.lat")));
  EXPECT_EQ(ReadFile(dir.File("b.lat")), written);
  EXPECT_FALSE(Exists("-"));
}

// The exit code for each answer of the filter (0 finished, 3 cancelled, 4 no lattice
// completed, 2 an error); nothing is sent after the stopping answer, EndExportToFile always.
// The header has NaN ranges in one pass, the values' ranges in two: not the coordinates'.
TEST(ExportCalls, EachAnswerOfTheFilterAndTheRangesOfTwoPasses) {
  ExportDir dir;
  const std::string in = dir.File("curv.lat"), out = dir.File("out.lat");
  BinaryLattice curv;
  curv.geometryType = lat::binary::kCurvilinear;
  curv.dims = {2, 2, 1};
  curv.nDataVar = 2;
  curv.values = {0.5, -1.5, 2.5, 1, -3, 7, 4, -8};
  curv.coords = {-1000, 0, 0, 1000, 0, 0, -1000, 1, 0, 1000, 1, 0};
  EncodeBinary(curv).WriteTo(in);
  const std::string header = "ExportObject curvilinear 2x2x1 components=2 dataType=7 flags=0 ";
  // A row of x, y, z of 2 nodes (24 bytes), then its values of 2 components (16 bytes).
  const std::string coords = "ExportObject scan 24", values = "ExportObject scan 16";
  std::vector<std::string> calls{"SetOptions A=1", "BeginExportToFile " + out,
                                 header + "blank=0 min=[nan,nan] max=[nan,nan]"};
  calls.insert(calls.end(),
               {coords, values, coords, values, "ExportObject end", "EndExportToFile"});
  const struct {
    const char* answers;
    int exitCode;
    std::string err;
    std::size_t callsBeforeEnd;
  } cases[] = {
      {"", 0, "", 8},
      {"Begin=2", 3, "", 2},
      {"Object0=2", 3, "", 3},
      {"Object4=2", 3, "", 7},
      {"End=1", 4, "", 8},
      {"Raise=Object1", 2, "lattool: error: fake failure at Object1\n", 4},
      {"Raise=End", 2, "lattool: error: fake failure at End\n", 8},
      {"Object1=3", 2, "lattool: error: the export filter refused an object (status 3)\n", 4},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.answers);
    const ToolResult r = dir.Fake({"convert", in, out, "--options", "A=1"}, c.answers);
    EXPECT_EQ(r.exitCode, c.exitCode);
    EXPECT_EQ(r.err, c.err);
    std::vector<std::string> expected(calls.begin(), calls.begin() + c.callsBeforeEnd);
    expected.push_back("EndExportToFile");
    EXPECT_EQ(dir.TakeCalls(), expected);
  }
  const ToolResult t = dir.Terminal(
      {"--plugin", FAKE_EXPORT_PATH, "convert", "--interactive", in, out, "--options", "A=1"}, "");
  ASSERT_EQ(t.exitCode, 0) << t.out;
  calls[1] += " interactive";
  calls[2] = header + "blank=0 min=[-3,-8] max=[4,7]";
  EXPECT_EQ(dir.TakeCalls(), calls);
}

}  // namespace
}  // namespace lattest
