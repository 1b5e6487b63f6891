// lattool's command line: usage errors, --help, --version and the plug-in module option.
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

TEST(CommandLine, AModuleWithoutImportLatIsASetupError) {
  // The host's own utility library loads fine but exports no factory.
  const ToolResult r =
      RunTool({"--plugin", HOSTBASE_LIBRARY_PATH, "info", ExamplePath("uniform-3x2.lat")});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_NE(r.err.find("lattool: error: plug-in module '"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("does not export ImportLAT"), std::string::npos) << r.err;
}

TEST(CommandLine, TheModuleNamedByPluginIsTheOneUsed) {
  const ToolResult r =
      RunTool({"--plugin", LAT_PLUGIN_PATH, "--quiet", "probe", ExamplePath("uniform-3x2.lat")});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, ExamplePath("uniform-3x2.lat") + ": LAT\n");
}

}  // namespace
}  // namespace lattest
