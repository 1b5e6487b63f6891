// lattool dump and info: the shipped examples field by field, values of each type as
// their shortest text, and a failed import's code, module, arguments and the lattices
// received before it, with exit code 2 and the error line on stderr.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "LattoolTestSupport.h"
#include "hostbase/Error.h"
#include "hostbase/Path.h"
#include "hostbase/PrimType.h"
#include "tests/support/LatBinaryWriter.h"

namespace lattest {
namespace {

TEST(Dump, PlainUniform3x2FieldByField) {
  const std::string file = ExamplePath("uniform-3x2.lat");
  ToolResult r;
  const nlohmann::json doc = Dump(file, r);
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(doc["file"], file);
  EXPECT_EQ(doc["status"], 0);
  EXPECT_FALSE(doc.contains("error"));
  ASSERT_EQ(doc["lattices"].size(), 1u);
  const nlohmann::json& lat = doc["lattices"][0];
  EXPECT_EQ(lat["kind"], "uniform");
  EXPECT_EQ(lat["dataType"], 7);
  EXPECT_EQ(lat["nx"], 3);
  EXPECT_EQ(lat["ny"], 2);
  EXPECT_EQ(lat["nz"], 1);
  EXPECT_EQ(Doubles(lat["origin"]), (std::vector<double>{0, 10, 0}));
  EXPECT_EQ(Doubles(lat["spacing"]), (std::vector<double>{0.5, 10, 0}));
  EXPECT_EQ(Doubles(lat["values"]), (std::vector<double>{1.5, 2.5, 3.5, 4.5, 5.5, 6.5}));
  EXPECT_EQ(lat["scans"], 2);
  EXPECT_EQ(lat["ended"], true);
  EXPECT_EQ(lat["info"],
            "Name:\tuniform-3x2.lat\r\nFormat:\tIris Explorer LAT\r\nSamples per pixel:\t1\r\n"
            "Size:\t2 rows x 3 columns x 1 planes\r\nSpacing:\tX=0.5,   Y=10,   Z=0\r\n"
            "xMin:\t0\txMax:\t1\r\nyMin:\t10\tyMax:\t20\r\nSW Corner:\t0, 10\r\n"
            "NW Corner:\t0, 20\r\nNE Corner:\t1, 20\r\nSE Corner:\t1, 10\r\n");
  EXPECT_FALSE(lat.contains("coords"));
  EXPECT_FALSE(lat.contains("xCoords"));

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

TEST(Dump, NoValuesIsTheWholeDumpWithoutValuesAndNodePositions) {
  for (const char* name : {"uniform-3x2.lat", "rectilinear-4x3x2.lat", "curvilinear-4x3x2.lat"}) {
    ToolResult r;
    nlohmann::json whole = Dump(ExamplePath(name), r);
    for (const char* key : {"values", "coords"}) whole["lattices"][0].erase(key);
    EXPECT_EQ(ParseDump(RunTool({"--quiet", "dump", "--no-values", ExamplePath(name)})), whole);
  }
}

TEST(Dump, ValuesPrintAsIntegersInFullRealsShortestAndNanAsStrings) {
  TempDir dir;
  const double inf = std::numeric_limits<double>::infinity();
  const double tiny = std::numeric_limits<double>::denorm_min();
  const struct {
    int primType;
    std::vector<double> values;
    const char* printed;
  } cases[] = {
      // Printed through double, 0.1f would read back as 0.10000000149011612.
      {3, {0.1, 1.0 / 3.0, 1e-45, 3e38}, "[0.1, 0.33333334, 1e-45, 3e+38]"},
      {4, {0.1, 1.0 / 3.0, -1e300, tiny}, "[0.1, 0.3333333333333333, -1e+300, 5e-324]"},
      {3, {std::numeric_limits<double>::quiet_NaN(), inf, -inf, 2},
       R"(["NaN", "Infinity", "-Infinity", 2])"},
      {0, {-128, 127, 0, -1}, "[-128, 127, 0, -1]"},
      {1, {-32768, 32767, 5}, "[-32768, 32767, 5]"},
      {2, {-2147483648.0, 2147483647.0, -3}, "[-2147483648, 2147483647, -3]"},
  };
  for (const auto& c : cases) {
    ToolResult r;
    Dump(WriteRow(dir, c.primType, c.values), r);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find(std::string("\"values\": ") + c.printed), std::string::npos) << r.out;
  }
}

// Checks what every failed dump shows, and returns its "error" object.
nlohmann::json ExpectFailure(const ToolResult& r, const nlohmann::json& doc, int code,
                             const char* module) {
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_FALSE(doc.contains("status"));
  const nlohmann::json error = doc.value("error", nlohmann::json::object());
  EXPECT_EQ(error.value("code", -1), code);
  EXPECT_EQ(error.value("module", ""), module);
  const std::string message = error.value("message", "");
  EXPECT_NE(message, "");
  EXPECT_EQ(r.err, "lattool: error: " + message + "\n");
  return error;
}

TEST(DumpErrors, APlainFileEndingInsideItsSecondBlockKeepsTheLatticesBefore) {
  TempDir dir;
  PlainText text;
  text.Header().Numbers({2}).Numbers({2, 2}).Numbers({1, 3, 0, 2}).Numbers({0, 1, 0, 1});
  text.Numbers({1, 2, 3, 4}).Raw("5 6 ");  // six line feeds, then the file ends
  const std::string path = dir.File("cut.lat");
  text.WriteTo(path);
  ToolResult r;
  const nlohmann::json doc = Dump(path, r);
  const nlohmann::json error = ExpectFailure(r, doc, 17, "LatImpPlain");
  EXPECT_EQ(error["args"], nlohmann::json::array({6, path}));
  ASSERT_EQ(doc["lattices"].size(), 2u);
  EXPECT_EQ(Doubles(doc["lattices"][0]["values"]), (std::vector<double>{1, 2, 3, 4}));
  EXPECT_EQ(doc["lattices"][0]["ended"], true);
  EXPECT_EQ(Doubles(doc["lattices"][1]["values"]), (std::vector<double>{5, 6}));
  EXPECT_EQ(doc["lattices"][1]["scans"], 1);
  EXPECT_EQ(doc["lattices"][1]["ended"], false);

  // info prints what came, then the error.
  const ToolResult info = RunTool({"--quiet", "info", path});
  EXPECT_EQ(info.exitCode, 2);
  EXPECT_NE(info.out.find("  Component 0: 4 values, 0 NaN, min 1, max 4, mean 2.5, std 1.118034\n\nName:"), std::string::npos)
      << info.out;
  EXPECT_EQ(info.err, r.err);
}

TEST(DumpErrors, AsciiOtherAndMissingFilesAreRefusedWithTheirArguments) {
  TempDir dir;
  PlainText text;
  text.Header("ascii", "1.0").Numbers({1});
  const std::string ascii = dir.File("ascii.lat");
  text.WriteTo(ascii);
  ToolResult r;
  nlohmann::json doc = Dump(ascii, r);
  EXPECT_EQ(ExpectFailure(r, doc, 14, "LatImportFilter")["args"],
            nlohmann::json::array({"Iris Explorer LAT", "import of 'ASCII' format files", ascii}));
  EXPECT_TRUE(doc["lattices"].empty());

  const std::string other =
      dir.Write("other.lat", "#!/usr/explorer/bin/explorer cxlattice plain 1\n");
  doc = Dump(other, r);
  EXPECT_EQ(ExpectFailure(r, doc, 16, "LatImportFilter")["args"], nlohmann::json::array({other}));

  // A missing file raises the host library's own open error.
  const std::string missing = dir.File("missing.lat");
  doc = Dump(missing, r);
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_EQ(doc["file"], missing);
  EXPECT_TRUE(doc["lattices"].empty());
  EXPECT_EQ(doc["error"]["code"], hostbase::kErrFileOpen);
  ASSERT_FALSE(doc["error"]["args"].empty());
  EXPECT_EQ(doc["error"]["args"][0], missing);
  EXPECT_EQ(r.err, "lattool: error: " + doc["error"]["message"].get<std::string>() + "\n");
  const ToolResult info = RunTool({"info", missing});
  EXPECT_EQ(info.exitCode, 2);
  EXPECT_EQ(info.out, "");
  EXPECT_EQ(info.err, r.err);
}

TEST(DumpErrors, OddFileNamesAreEscapedAndComeBackUnchanged) {
  TempDir dir;
  const std::string example = ReadText(ExamplePath("uniform-3x2.lat"));
  ASSERT_FALSE(example.empty());
  for (const char* name :
       {"quote\"back\\slash.lat", "tab\tand\nnewline.lat", "caf\xc3\xa9.lat", "ctl\x01\x1f.lat"}) {
    const std::string path = dir.Write(name, example);
    ToolResult r;
    const nlohmann::json doc = Dump(path, r);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(doc["file"], path);
    // The summary names the file after its last '/' or '\\', as the host splits paths.
    const std::string shown = hostbase::CPath::GetNamePtr(path.c_str());
    EXPECT_EQ(doc["lattices"][0]["info"].get<std::string>().rfind("Name:\t" + shown + "\r\n", 0),
              0u);
  }
  // Bytes from 0x80 on pass through as given (the file is missing: enough to print it).
  const std::string bad = dir.File("bad\xff\xfe.lat");
  const ToolResult r = RunTool({"--quiet", "dump", bad});
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_NE(r.out.find("\"file\": \"" + bad + "\""), std::string::npos) << r.out;
}

TEST(Info, PlainExamplePrintsItsSummaryTypeAndRange) {
  const ToolResult r = RunTool({"info", ExamplePath("uniform-3x2.lat")});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.out, std::string("Name:\tuniform-3x2.lat\nFormat:\tIris Explorer LAT\n"
                               "Samples per pixel:\t1\nSize:\t2 rows x 3 columns x 1 planes\n"
                               "Spacing:\tX=0.5,   Y=10,   Z=0\nxMin:\t0\txMax:\t1\n"
                               "yMin:\t10\tyMax:\t20\nSW Corner:\t0, 10\nNW Corner:\t0, 20\n"
                               "NE Corner:\t1, 20\nSE Corner:\t1, 10\nForm: plain\nKind: uniform\n"
                               "zMin:\t0\tzMax:\t0\nData type: ") +
                       hostbase::CPrimType::TypeName[hostbase::CPrimType::Float] +
                       "\nComponents: 1\n  Component 0: 6 values, 0 NaN, min 1.5, max 6.5, mean 4, std "
                       "1.707825\n");
}

TEST(Info, NanValuesAreLeftOutOfTheRange) {
  TempDir dir;
  BinaryLattice lat;
  lat.dims = {4, 1, 1};
  lat.nDataVar = 2;
  const double nan = std::numeric_limits<double>::quiet_NaN();
  lat.values = {nan, nan, 2.5, nan, -1, nan, nan, nan};
  lat.coords = {0, 3, 0, 0, 0, 0};
  const std::string path = dir.File("nan.lat");
  EncodeBinary(lat).WriteTo(path);
  const ToolResult r = RunTool({"--quiet", "info", path});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.out.find("Components: 2\n  Component 0: 2 values, 2 NaN, min -1, max 2.5, mean "
                       "0.75, std 1.75\n  Component 1: 0 values, 4 NaN\n"),
            std::string::npos)
      << r.out;

}

}  // namespace
}  // namespace lattest
