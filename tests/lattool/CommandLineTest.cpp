// lattool's command line: usage errors, --help, --version, the plug-in module option, and
// probe's line per file with an exit code that says whether all were LAT files.
#include <gtest/gtest.h>

#include "LattoolTestSupport.h"

namespace lattest {
namespace {

TEST(CommandLine, UsageErrorsExitWithOneAndSayWhatIsWrong) {
  const struct {
    std::vector<std::string> args;
    const char* says;
  } wrong[] = {
      {{}, "a command is needed: probe, info, dump, convert or create"},
      {{"frobnicate", "x.lat"}, "unknown command 'frobnicate': the commands are probe, info"},
      {{"convert", "x.lat"}, "OUT is required"},
      {{"convert", "a.lat", "b.lat", "--lattice", "-1"},
       "--lattice: K is a lattice index, a whole number counting from 0, not '-1'"},
      {{"convert", "a.lat", "b.lat", "--lattice", "abc"}, "not 'abc'"},
      {{"convert", "a.lat", "b.lat", "--options"}, "--options"},
      {{"info"}, "FILE is required"},
      {{"info", "a.lat", "b.lat"}, "b.lat"},
      {{"--frobnicate", "info", "a.lat"}, "--frobnicate"},
      {{"--plugin"}, "--plugin"},
  };
  for (const auto& [args, says] : wrong) {
    const ToolResult r = RunTool(args);
    EXPECT_EQ(r.exitCode, 1) << testing::PrintToString(args);
    EXPECT_EQ(r.out, "") << testing::PrintToString(args);
    EXPECT_EQ(r.err.rfind("lattool: error: ", 0), 0u) << r.err;
    EXPECT_NE(r.err.find(says), std::string::npos) << r.err;
    EXPECT_LT(r.err.size(), 300u) << r.err;
  }
}

TEST(CommandLine, GlobalOptionsWorkAfterTheCommandToo) {
  const std::string lat = ExamplePath("uniform-3x2.lat");
  const ToolResult before = RunTool({"--quiet", "--plugin", LAT_PLUGIN_PATH, "info", lat});
  ASSERT_EQ(before.exitCode, 0) << before.err;
  const ToolResult after = RunTool({"info", lat, "--plugin", LAT_PLUGIN_PATH, "--quiet"});
  EXPECT_EQ(after.exitCode, 0) << after.err;
  EXPECT_EQ(after.out, before.out);
}

TEST(CommandLine, VersionAndHelp) {
  const ToolResult version = RunTool({"--plugin", LAT_PLUGIN_PATH, "--version"});
  EXPECT_EQ(version.exitCode, 0);
  EXPECT_EQ(version.out, std::string("lattool ") + LATTOOL_VERSION + "\nLAT module: " +
                             LAT_PLUGIN_PATH + " (records no version)\n");
  const ToolResult help = RunTool({"--help"});
  EXPECT_EQ(help.exitCode, 0);
  for (const char* word :
       {"probe", "info", "dump", "convert", "create", "--plugin", "--quiet", "--version"}) {
    EXPECT_NE(help.out.find(word), std::string::npos) << word;
  }
}

TEST(CommandLine, AModuleThatCannotBeLoadedIsASetupError) {
  const std::string bad = "/nonexistent/dir/LAT.so";
  for (const char* command : {"probe", "info", "dump"}) {
    const ToolResult r = RunTool({"--plugin", bad, command, ExamplePath("uniform-3x2.lat")});
    EXPECT_EQ(r.exitCode, 1) << command;
    EXPECT_EQ(r.out, "") << command;
    EXPECT_EQ(r.err.rfind("lattool: error: cannot load plug-in module '" + bad + "': ", 0), 0u)
        << r.err;
  }
}

TEST(CommandLine, AModuleWithoutImportOrExportLatIsASetupError) {
  // The host's own utility library loads fine but exports no factory.
  const ToolResult r =
      RunTool({"--plugin", HOSTBASE_LIBRARY_PATH, "info", ExamplePath("uniform-3x2.lat")});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_NE(r.err.find("lattool: error: plug-in module '"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("does not export ImportLAT"), std::string::npos) << r.err;
  ExportDir dir;
  const std::string json = dir.WriteJson("in.json", UniformRow(7, {1, 2}));
  const ToolResult create =
      dir.Run({"--plugin", HOSTBASE_LIBRARY_PATH, "create", json, dir.File("out.lat")});
  EXPECT_EQ(create.exitCode, 1);
  EXPECT_NE(create.err.find("does not export ExportLAT"), std::string::npos) << create.err;
  EXPECT_FALSE(Exists(dir.File("out.lat")));
}

TEST(Probe, OtherAndMissingFilesAreNotLatAndTheExitCodeIsOne) {
  TempDir dir;
  const std::string text = dir.Write("notes.txt", "#!/bin/sh\necho cxLattice explorer\n");
  const std::string empty = dir.Write("empty.lat", "");
  const std::string missing = dir.File("missing.lat");
  const std::string lat = ExamplePath("uniform-3x2.lat");
  const std::string binary = ExamplePath("curvilinear-4x3x2.lat");
  // --plugin names the module used.
  const ToolResult all = RunTool({"--plugin", LAT_PLUGIN_PATH, "probe", lat, binary});
  EXPECT_EQ(all.exitCode, 0) << all.err;
  EXPECT_EQ(all.out, lat + ": LAT\n" + binary + ": LAT\n");
  EXPECT_EQ(all.err, "");
  const ToolResult r = RunTool({"probe", text, lat, empty, missing});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.out, text + ": not recognised\n" + lat + ": LAT\n" + empty + ": not recognised\n" +
                       missing + ": not recognised\n");
  // An ASCII file is LAT, though it cannot be imported.
  PlainText ascii;
  ascii.Header("ascii").Numbers({1});
  const std::string path = dir.File("a.lat");
  ascii.WriteTo(path);
  const ToolResult a = RunTool({"probe", path});
  EXPECT_EQ(a.exitCode, 0);
  EXPECT_EQ(a.out, path + ": LAT\n");
}

}  // namespace
}  // namespace lattest
