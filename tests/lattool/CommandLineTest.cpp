// lattool's command line: usage errors, --help, --version, the plug-in module option, and
// probe's line per file with an exit code that says whether all were LAT files.
#include <gtest/gtest.h>

#include "LattoolTestSupport.h"

namespace lattest {
namespace {

TEST(CommandLine, UsageErrorsExitWithOneAndPrintOnlyToStderr) {
  const std::vector<std::vector<std::string>> wrong = {
      {},                                                // no command
      {"frobnicate", "x.lat"},                           // unknown command
      {"convert", "x.lat"},                              // missing OUT
      {"create", "x.json"},                              // missing OUT
      {"convert", "a.lat", "b.lat", "--lattice", "-1"},  // lattices count from 0
      {"convert", "a.lat", "b.lat", "--lattice", "x"},
      {"convert", "a.lat", "b.lat", "--options"},  // option without its value
      {"create", "a.json", "b.lat", "c.lat"},      // one OUT only
      {"info"},                                    // missing FILE
      {"dump"},                                    // missing FILE
      {"probe"},                                   // no FILE at all
      {"info", "a.lat", "b.lat"},                  // one FILE only
      {"--frobnicate", "info", "a.lat"},           // unknown option
      {"--plugin"},                                // option without its value
  };
  for (const auto& args : wrong) {
    const ToolResult r = RunTool(args);
    EXPECT_EQ(r.exitCode, 1) << testing::PrintToString(args);
    EXPECT_EQ(r.out, "") << testing::PrintToString(args);
    EXPECT_NE(r.err, "") << testing::PrintToString(args);
  }
}

TEST(CommandLine, VersionAndHelp) {
  const ToolResult version = RunTool({"--version"});
  EXPECT_EQ(version.exitCode, 0);
  EXPECT_EQ(version.out, std::string("lattool ") + LATTOOL_VERSION + "\n");
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
  EXPECT_EQ(r.out, text + ": not LAT\n" + lat + ": LAT\n" + empty + ": not LAT\n" + missing +
                       ": not LAT\n");
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
