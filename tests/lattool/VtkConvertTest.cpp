// lattool between the formats: every example through a VTK file and back reads the same;
// an extension of another dataset kind is refused, naming the right one, and nothing is
// written; --to chooses the format whatever the extension; probe names the format; a
// compressor other than zlib is refused.
#include <gtest/gtest.h>

#include <filesystem>

#include "LattoolTestSupport.h"

namespace lattest {
namespace {

TEST(VtkConvert, EachExampleThroughVtkAndBackReadsTheSameAndAWrongExtensionWritesNothing) {
  // In kExamples' order: two uniform, rectilinear, curvilinear.
  const struct {
    const char* right;
    const char* wrong;
    const char* options;
    const char* warned;
  } cases[] = {
      {".vti", ".vts", "Compress=zlib", ""},
      {".vti", ".vtr", "ArrayName=wind", ""},
      {".vtr", ".vti", "Compres=zlib",
       "lattool: warning: --options: the export filter does not know the key 'Compres', which "
       "is ignored (it knows ArrayName, Compress)\n"},
      {".vts", ".vti", "compress=zlib,arrayname=a", ""},
  };
  ExportDir dir;
  for (std::size_t i = 0; i < std::size(kExamples); ++i) {
    const std::string name = kExamples[i];
    SCOPED_TRACE(name);
    const std::string vtk = dir.File(name + cases[i].right);
    const std::string back = dir.File(name + "-back.lat");
    ToolResult r = dir.Run({"convert", ExamplePath(name), vtk, "--options", cases[i].options});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err, cases[i].warned);
    EXPECT_EQ(RunTool({"probe", vtk}).out, vtk + ": VTK\n");
    r = dir.Run({"convert", vtk, back});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    const nlohmann::json in = DumpLattice(ExamplePath(name));
    ExpectSameLattice(in, DumpLattice(vtk), name + " as VTK");
    ExpectSameLattice(in, DumpLattice(back), name + " back");

    const std::string wrong = dir.File(std::string("out") + cases[i].wrong);
    r = dir.Run({"convert", ExamplePath(name), wrong});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find(std::string("use the extension ") + cases[i].right), std::string::npos)
        << r.err;
    EXPECT_FALSE(std::filesystem::exists(wrong)) << wrong;
  }
  // The files converted both ways and the saved options' folder: no leftover.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()),
                          std::filesystem::directory_iterator()),
            2 * std::ssize(kExamples) + 1);
}

TEST(VtkConvert, ToChoosesTheFormatWhateverTheExtension) {
  ExportDir dir;
  const std::string uniform = ExamplePath(kExamples[0]);
  const std::string asVtk = dir.File("a.dat"), asLat = dir.File("b.vti");
  EXPECT_EQ(dir.Run({"convert", uniform, asVtk, "--to", "vtk"}).exitCode, 0);
  EXPECT_EQ(dir.Run({"convert", uniform, asLat, "--to", "LAT"}).exitCode, 0);
  EXPECT_EQ(RunTool({"probe", asVtk, asLat}).out, asVtk + ": VTK\n" + asLat + ": LAT\n");
  ToolResult r = dir.Run({"convert", uniform, dir.File("c.vti"), "--to", "png"});
  EXPECT_EQ(r.exitCode, 1);
  // Another compressor than zlib is named, and nothing is written.
  r = dir.Run({"convert", uniform, dir.File("c.vti"), "--options", "Compress=lz4"});
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_NE(r.err.find("compression 'lz4' is not supported"), std::string::npos) << r.err;
  EXPECT_FALSE(std::filesystem::exists(dir.File("c.vti")));
}

}  // namespace
}  // namespace lattest
