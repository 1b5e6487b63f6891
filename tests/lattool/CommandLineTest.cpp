// lattool's command line: what it refuses before anything is imported or written, --help,
// --version, and probe's line per file.
#include <gtest/gtest.h>

#include <array>

#include "LattoolTestSupport.h"
#include "tests/support/LatPlainWriter.h"

namespace lattest {
namespace {

TEST(CommandLine, RefusalsExitWithOneSayingWhatIsWrongAndWriteNothing) {
  ExportDir dir;
  const std::string lat = ExamplePath("uniform-3x2.lat");
  const std::string json = dir.WriteJson("in.json", UniformRow(7, {1, 2}));
  const std::string out = dir.File("out.lat");
  const std::string noTerminal =
      "--interactive and --page show their dialogs on a terminal, and there is none";
  const struct {
    std::vector<std::string> args;
    std::string says;
  } refusals[] = {
      {{}, "a command is needed: probe, info, dump, convert or create"},
      {{"frobnicate", lat}, "unknown command 'frobnicate': the commands are probe, info"},
      {{"convert", lat}, "OUT is required"},
      {{"convert", lat, out, "--lattice", "-1"},
       "--lattice: K is a lattice index, a whole number counting from 0, not '-1'"},
      {{"convert", lat, out, "--lattice", "abc"}, "not 'abc'"},
      {{"info"}, "FILE is required"},
      {{"info", lat, out}, out},
      {{"--frobnicate", "info", lat}, "--frobnicate"},
      {{"--plugin", "/no/such/LAT.so", "dump", lat},
       "cannot load plug-in module '/no/such/LAT.so': "},
      // The host's own library loads but exports no factory.
      {{"--plugin", HOSTBASE_LIBRARY_PATH, "info", lat}, "does not export ImportLAT"},
      {{"--plugin", HOSTBASE_LIBRARY_PATH, "create", json, out}, "does not export ExportLAT"},
      {{"create", "--interactive", json, out}, noTerminal},
      {{"convert", "--page", lat, out}, noTerminal},
  };
  for (const auto& [args, says] : refusals) {
    SCOPED_TRACE(testing::PrintToString(args));
    const ToolResult r = dir.Run(args);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err.rfind("lattool: error: ", 0), 0u) << r.err;
    EXPECT_NE(r.err.find(says), std::string::npos) << r.err;
    EXPECT_FALSE(Exists(out));
    EXPECT_FALSE(Exists(dir.File("config")));
  }
}

// Writing onto its own input would destroy it before it is read, by whatever name.
TEST(CommandLine, InAndOutMayNotNameTheSameFile) {
  ExportDir dir;
  std::filesystem::create_directory(dir.File("sub"));
  const std::string lat = dir.Write("in.lat", ReadText(ExamplePath("uniform-4x3x2.lat")));
  const std::string json = dir.WriteJson("in.json", UniformRow(7, {1, 2}));
  for (const auto& [command, name] :
       {std::array<std::string, 2>{"convert", "in.lat"}, {"create", "in.json"}}) {
    const std::string in = dir.File(name);
    const std::string before = ReadText(in);
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

TEST(CommandLine, VersionAndHelp) {
  const ToolResult version = RunTool({"--plugin", LAT_PLUGIN_PATH, "--version"});
  EXPECT_EQ(version.exitCode, 0);
  EXPECT_EQ(version.out, std::string("lattool ") + LATTOOL_VERSION +
                             "\nLAT module: " + LAT_PLUGIN_PATH + " (records no version)\n");
  const ToolResult help = RunTool({"--help"});
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_NE(help.out.find("create"), std::string::npos) << help.out;
}

TEST(Probe, NamesEachFilesFormatAndExitsWithOneUnlessAllAreLat) {
  TempDir dir;
  const std::string lat = ExamplePath("uniform-3x2.lat");
  const std::string binary = ExamplePath("curvilinear-4x3x2.lat");
  // An ASCII file is LAT, though it cannot be imported.
  const std::string ascii = dir.Write("a.lat", PlainText().Header("ascii").Numbers({1}).Text());
  const std::string text = dir.Write("notes.txt", "#!/bin/sh\necho cxLattice explorer\n");
  const std::string empty = dir.Write("empty.lat", "");
  const std::string missing = dir.File("missing.lat");
  // Global options may follow the command's name.
  const ToolResult all = RunTool({"probe", lat, binary, ascii, "--plugin", LAT_PLUGIN_PATH});
  EXPECT_EQ(all.exitCode, 0) << all.err;
  EXPECT_EQ(all.out, lat + ": LAT\n" + binary + ": LAT\n" + ascii + ": LAT\n");
  EXPECT_EQ(all.err, "");
  const ToolResult r = RunTool({"probe", text, lat, empty, missing});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.out, text + ": not recognised\n" + lat + ": LAT\n" + empty + ": not recognised\n" +
                       missing + ": not recognised\n");
}

}  // namespace
}  // namespace lattest
