// lattool dump and info: an example as JSON and as a summary, values of each type as their
// shortest text, and a failed import's code, module, arguments and the lattices received
// before it, with exit code 2 and the error line on stderr.
#include <gtest/gtest.h>

#include <limits>

#include "LattoolTestSupport.h"
#include "hostbase/Error.h"
#include "tests/support/LatBinaryWriter.h"
#include "tests/support/LatPlainWriter.h"

namespace lattest {
namespace {

TEST(Dump, AnExampleAsJsonAndAsItsSummary) {
  const std::string file = ExamplePath("uniform-3x2.lat");
  ToolResult r;
  const nlohmann::json doc = Dump(file, &r);
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(doc["file"], file);
  EXPECT_EQ(doc["status"], 0);
  nlohmann::json lat = doc["lattices"].at(0);
  std::string summary = lat["info"];
  lat.erase("info");
  EXPECT_EQ(lat, nlohmann::json::parse(R"({"kind": "uniform", "dataType": 7, "nx": 3, "ny": 2,
      "nz": 1, "components": 1, "flags": 0, "scanMode": 0, "scanParam": 0, "origin": [0, 10, 0],
      "spacing": [0.5, 10, 0], "values": [1.5, 2.5, 3.5, 4.5, 5.5, 6.5], "scans": 2,
      "ended": true})"));
  const ToolResult info = RunTool({"info", file});
  EXPECT_EQ(info.exitCode, 0) << info.err;
  EXPECT_EQ(info.err, "");
  EXPECT_EQ(
      info.out,
      "Name:\tuniform-3x2.lat\nFormat:\tIris Explorer LAT\nSamples per pixel:\t1\n"
      "Size:\t2 rows x 3 columns x 1 planes\nSpacing:\tX=0.5,   Y=10,   Z=0\nxMin:\t0\txMax:\t1\n"
      "yMin:\t10\tyMax:\t20\nSW Corner:\t0, 10\nNW Corner:\t0, 20\nNE Corner:\t1, 20\n"
      "SE Corner:\t1, 10\nForm: plain\nKind: uniform\nzMin:\t0\tzMax:\t0\n"
      "Data type: 32-bit float\nComponents: 1\n"
      "  Component 0: 6 values, 0 NaN, min 1.5, max 6.5, mean 4, std 1.707825\n");
  // info shows the summary that dump carries, with its line ends made plain.
  std::erase(summary, '\r');
  EXPECT_EQ(info.out.rfind(summary, 0), 0u) << summary;
}

TEST(Dump, NoValuesIsTheWholeDumpWithoutValuesAndNodePositions) {
  for (const char* name : {"uniform-3x2.lat", "rectilinear-4x3x2.lat", "curvilinear-4x3x2.lat"}) {
    nlohmann::json whole = Dump(ExamplePath(name));
    for (const char* key : {"values", "coords"}) whole["lattices"][0].erase(key);
    const ToolResult r = RunTool({"--quiet", "dump", "--no-values", ExamplePath(name)});
    EXPECT_EQ(nlohmann::json::parse(r.out, nullptr, false), whole) << name;
  }
}

// A one-row uniform binary file of `values` in file type code `primType`.
std::string WriteRow(const TempDir& dir, int primType, const std::vector<double>& values) {
  BinaryLattice lat;
  lat.dims = {static_cast<std::int32_t>(values.size()), 1, 1};
  lat.primType = primType;
  lat.values = values;
  lat.coords = {0, 1, 0, 0, 0, 0};
  const std::string path = dir.File("row" + std::to_string(primType) + ".lat");
  EncodeBinary(lat).WriteTo(path);
  return path;
}

TEST(Dump, ValuesPrintAsIntegersInFullRealsShortestAndNanAsStrings) {
  TempDir dir;
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const struct {
    int primType;
    std::vector<double> values;
    const char* printed;
  } cases[] = {
      // Printed through double, 0.1f would read back as 0.10000000149011612.
      {3, {0.1, 1.0 / 3.0, 1e-45, 3e38}, "[0.1, 0.33333334, 1e-45, 3e+38]"},
      {4, {0.1, 1.0 / 3.0, -1e300, 5e-324}, "[0.1, 0.3333333333333333, -1e+300, 5e-324]"},
      {3, {nan, inf, -inf, 2}, R"(["NaN", "Infinity", "-Infinity", 2])"},
      {0, {-128, 127, 0, -1}, "[-128, 127, 0, -1]"},
      {2, {-2147483648.0, 2147483647.0, -3}, "[-2147483648, 2147483647, -3]"},
  };
  for (const auto& c : cases) {
    ToolResult r;
    Dump(WriteRow(dir, c.primType, c.values), &r);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find(std::string("\"values\": ") + c.printed), std::string::npos) << r.out;
  }
}

TEST(DumpErrors, APlainFileEndingInsideItsSecondBlockKeepsTheLatticesBefore) {
  TempDir dir;
  PlainText text;
  text.Header().Numbers({2}).Numbers({2, 2}).Numbers({1, 3, 0, 2}).Numbers({0, 1, 0, 1});
  text.Numbers({1, 2, 3, 4}).Raw("5 6 ");  // six line feeds, then the file ends
  const std::string path = dir.Write("cut.lat", text.Text());
  ToolResult r;
  const nlohmann::json doc = Dump(path, &r);
  EXPECT_EQ(r.exitCode, 2);
  const std::string message = doc["error"].value("message", "");
  EXPECT_EQ(
      doc["error"],
      (nlohmann::json{
          {"code", 17}, {"module", "LatImpPlain"}, {"args", {6, path}}, {"message", message}}));
  EXPECT_EQ(r.err, "lattool: error: " + message + "\n");
  EXPECT_FALSE(doc.contains("status"));
  const nlohmann::json& l = doc["lattices"];
  EXPECT_EQ(l.size(), 2u);
  EXPECT_EQ(
      (nlohmann::json{l[0]["values"], l[0]["ended"], l[1]["values"], l[1]["scans"], l[1]["ended"]}),
      nlohmann::json::parse("[[1, 2, 3, 4], true, [5, 6], 1, false]"));
  // info prints what came, then the error.
  const ToolResult info = RunTool({"--quiet", "info", path});
  EXPECT_EQ(info.exitCode, 2);
  EXPECT_NE(info.out.find("  Component 0: 4 values, 0 NaN, min 1, max 4, mean 2.5, std "
                          "1.118034\n\nName:\tcut.lat\n"),
            std::string::npos)
      << info.out;
  EXPECT_EQ(info.err, r.err);
}

TEST(DumpErrors, FilesItCannotImportAreRefusedWithTheirArguments) {
  TempDir dir;
  const std::string ascii =
      dir.Write("a.lat", PlainText().Header("ascii", "1.0").Numbers({1}).Text());
  const std::string other = dir.Write("o.lat", "#!/usr/explorer/bin/explorer cxlattice plain 1\n");
  const std::string missing = dir.File("missing.lat");
  const struct {
    std::string file;
    int code;
    const char* module;
    nlohmann::json args;
  } cases[] = {
      {ascii,
       14,
       "LatImportFilter",
       {"Iris Explorer LAT", "import of 'ASCII' format files", ascii}},
      {other, 16, "LatImportFilter", {other}},
      // The host library's own open error.
      {missing, hostbase::kErrFileOpen, "CBufferedFile", {missing, "No such file or directory"}},
  };
  for (const auto& c : cases) {
    ToolResult r;
    const nlohmann::json doc = Dump(c.file, &r);
    EXPECT_EQ(r.exitCode, 2) << c.file;
    EXPECT_EQ(doc["file"], c.file);
    EXPECT_EQ(doc["lattices"], nlohmann::json::array());
    const std::string message = doc["error"].value("message", "");
    EXPECT_EQ(doc["error"],
              (nlohmann::json{
                  {"code", c.code}, {"module", c.module}, {"args", c.args}, {"message", message}}));
    EXPECT_EQ(r.err, "lattool: error: " + message + "\n");
    const ToolResult info = RunTool({"--quiet", "info", c.file});
    EXPECT_EQ(info.exitCode, 2);
    EXPECT_EQ(info.out + info.err, r.err);
  }
}

TEST(Dump, OddFileNamesAreEscapedAndComeBackUnchanged) {
  TempDir dir;
  const std::string example = ReadText(ExamplePath("uniform-3x2.lat"));
  const std::string path = dir.Write("quote\"back\\slash\ttab\nline\x01\x1f.lat", example);
  const nlohmann::json doc = Dump(path);
  EXPECT_EQ(doc["file"], path);
  // The summary names the file after its last '/' or '\\', as the host splits paths.
  EXPECT_EQ(doc["lattices"][0]["info"].get<std::string>().rfind(
                "Name:\tslash\ttab\nline\x01\x1f.lat\r\n", 0),
            0u);
  // Bytes from 0x80 on pass through as given (the file is missing: enough to print it).
  const std::string bad = dir.File("bad\xff\xfe.lat");
  const ToolResult r = RunTool({"--quiet", "dump", bad});
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_NE(r.out.find("\"file\": \"" + bad + "\""), std::string::npos) << r.out;
}

}  // namespace
}  // namespace lattest
