// lattool between the formats: every example through a VTK file and back reads the same;
// an extension of another dataset kind is refused, naming the right one, and nothing is
// written; --to chooses the format whatever the extension; probe names the format.
#include <gtest/gtest.h>

#include <filesystem>

#include "LattoolTestSupport.h"

namespace lattest {
namespace {

// Each example's extension, in kExamples' order: two uniform, rectilinear, curvilinear.
constexpr const char* kRightExtension[] = {".vti", ".vti", ".vtr", ".vts"};
constexpr const char* kWrongExtension[] = {".vts", ".vtr", ".vti", ".vti"};

TEST(VtkConvert, EachExampleThroughVtkAndBackReadsTheSame) {
  ExportDir dir;
  for (std::size_t i = 0; i < std::size(kExamples); ++i) {
    const std::string name = kExamples[i];
    const std::string vtk = dir.File(name + kRightExtension[i]);
    const std::string back = dir.File(name + "-back.lat");
    const char* options = i % 2 == 0 ? "Compress=zlib" : "ArrayName=wind";
    ToolResult r = dir.Run({"convert", ExamplePath(name), vtk, "--options", options});
    EXPECT_EQ(r.exitCode, 0) << name << ": " << r.err;
    EXPECT_EQ(RunTool({"probe", vtk}).out, vtk + ": VTK\n");
    r = dir.Run({"convert", vtk, back});
    EXPECT_EQ(r.exitCode, 0) << name << ": " << r.err;
    const nlohmann::json in = DumpLattice(ExamplePath(name));
    ExpectSameLattice(in, DumpLattice(vtk), name + " as VTK");
    ExpectSameLattice(in, DumpLattice(back), name + " back");
  }
}

TEST(VtkConvert, AnExtensionOfAnotherKindIsRefusedNamingTheRightOne) {
  ExportDir dir;
  for (std::size_t i = 0; i < std::size(kExamples); ++i) {
    const std::string out = dir.File(std::string("out") + kWrongExtension[i]);
    const ToolResult r = dir.Run({"convert", ExamplePath(kExamples[i]), out});
    EXPECT_EQ(r.exitCode, 2) << kExamples[i];
    EXPECT_NE(r.err.find(std::string("use the extension ") + kRightExtension[i]),
              std::string::npos)
        << r.err;
    EXPECT_FALSE(std::filesystem::exists(out)) << out;
  }
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Dir().Path()),
                          std::filesystem::directory_iterator()),
            0);
}

TEST(VtkConvert, ToChoosesTheFormatWhateverTheExtension) {
  ExportDir dir;
  const std::string uniform = ExamplePath(kExamples[0]);
  const std::string asVtk = dir.File("a.dat"), asLat = dir.File("b.vti");
  EXPECT_EQ(dir.Run({"convert", uniform, asVtk, "--to", "vtk"}).exitCode, 0);
  EXPECT_EQ(dir.Run({"convert", uniform, asLat, "--to", "LAT"}).exitCode, 0);
  EXPECT_EQ(RunTool({"probe", asVtk, asLat}).out, asVtk + ": VTK\n" + asLat + ": LAT\n");
  const ToolResult r = dir.Run({"convert", uniform, dir.File("c.vti"), "--to", "png"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_FALSE(std::filesystem::exists(dir.File("c.vti")));
}

}  // namespace
}  // namespace lattest
