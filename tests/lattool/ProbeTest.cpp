// lattool probe: one line per file and an exit code that says whether all were LAT files.
#include <gtest/gtest.h>

#include "LattoolTestSupport.h"
#include "tests/support/LatPlainWriter.h"
#include "tests/support/TempDir.h"

namespace lattest {
namespace {

TEST(Probe, ExamplesOfBothFormsAreRecognised) {
  const std::string plain = ExamplePath("uniform-3x2.lat");
  const std::string binary = ExamplePath("curvilinear-4x3x2.lat");
  const ToolResult r = RunTool({"probe", plain, binary});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, plain + ": LAT\n" + binary + ": LAT\n");
  EXPECT_EQ(r.err, "");
}

TEST(Probe, OtherAndMissingFilesAreNotLatAndTheExitCodeIsOne) {
  TempDir dir;
  const std::string text = dir.Write("notes.txt", "#!/bin/sh\necho cxLattice explorer\n");
  const std::string empty = dir.Write("empty.lat", "");
  const std::string missing = dir.File("missing.lat");
  const std::string lat = ExamplePath("uniform-3x2.lat");
  const ToolResult r = RunTool({"probe", text, lat, empty, missing});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.out, text + ": not LAT\n" + lat + ": LAT\n" + empty + ": not LAT\n" + missing +
                       ": not LAT\n");
}

TEST(Probe, AnAsciiFileIsRecognisedThoughItCannotBeImported) {
  TempDir dir;
  PlainText ascii;
  ascii.Header("ascii").Numbers({1});
  const std::string path = dir.File("a.lat");
  ascii.WriteTo(path);
  const ToolResult r = RunTool({"probe", path});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out, path + ": LAT\n");
}

}  // namespace
}  // namespace lattest
