// lattool dump when the import fails: the error's code, module, arguments and message,
// the lattices received before it, exit code 2 and the error line on stderr.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "LattoolTestSupport.h"
#include "hostbase/Error.h"
#include "hostbase/Path.h"
#include "tests/support/LatBinaryWriter.h"
#include "tests/support/LatPlainWriter.h"
#include "tests/support/TempDir.h"

namespace lattest {
namespace {

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

BinaryLattice Curvilinear2x2() {
  BinaryLattice lat;
  lat.dims = {2, 2, 1};
  lat.geometryType = lat::binary::kCurvilinear;
  lat.values = {1, 2, 3, 4};
  lat.coords = {0, 0, 0, 1, 0, 0, 0, 1, 0, 1, 1, 0};
  return lat;
}

TEST(DumpErrors, ABadCoordinateCountFailsAfterTheCurvilinearHeaderWasReceived) {
  TempDir dir;
  BinaryImage image = EncodeBinary(Curvilinear2x2());
  image.SetInt(BinaryField::CoordCount, 11);
  const std::string path = dir.File("coords.lat");
  image.WriteTo(path);
  ToolResult r;
  const nlohmann::json doc = Dump(path, r);
  const nlohmann::json error = ExpectFailure(r, doc, 18, "LatImpBinary");
  const auto position = static_cast<std::int64_t>(image.Offset(BinaryField::CoordCount) + 4);
  EXPECT_EQ(error["args"], nlohmann::json::array({position, path}));
  ASSERT_EQ(doc["lattices"].size(), 1u);
  const nlohmann::json& lat = doc["lattices"][0];
  EXPECT_EQ(lat["kind"], "curvilinear");
  EXPECT_EQ(lat["nx"], 2);
  EXPECT_EQ(lat["scans"], 0);
  EXPECT_EQ(lat["ended"], false);
  EXPECT_TRUE(lat["values"].empty());
  EXPECT_TRUE(lat["coords"].empty());
}

TEST(DumpErrors, AValueListCutShortReportsWhereReadingStopped) {
  TempDir dir;
  BinaryLattice lat;
  lat.dims = {2, 3, 1};
  lat.values = Ramp(6);
  lat.coords = {0, 1, 0, 2, 0, 0};
  BinaryImage image = EncodeBinary(lat);
  image.Truncate(image.firstValue + 10);  // two and a half floats
  const std::string path = dir.File("short.lat");
  image.WriteTo(path);
  ToolResult r;
  const nlohmann::json doc = Dump(path, r);
  const nlohmann::json error = ExpectFailure(r, doc, 18, "LatImpBinary");
  // The reader finds too few bytes left before it reads the list: it stops at its start.
  EXPECT_EQ(error["args"], nlohmann::json::array({image.firstValue, path}));
  EXPECT_TRUE(doc["lattices"].empty());
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
}

TEST(DumpErrors, AnAsciiFileIsRefusedWithItsThreeArguments) {
  TempDir dir;
  PlainText text;
  text.Header("ascii", "1.0").Numbers({1});
  const std::string path = dir.File("ascii.lat");
  text.WriteTo(path);
  ToolResult r;
  const nlohmann::json doc = Dump(path, r);
  const nlohmann::json error = ExpectFailure(r, doc, 14, "LatImportFilter");
  EXPECT_EQ(error["args"],
            nlohmann::json::array({"Iris Explorer LAT", "import of 'ASCII' format files", path}));
  EXPECT_TRUE(doc["lattices"].empty());
}

TEST(DumpErrors, AFileThatIsNotLatNamesItsPath) {
  TempDir dir;
  const std::string path =
      dir.Write("other.lat", "#!/usr/explorer/bin/explorer cxlattice plain 1\n");
  ToolResult r;
  const nlohmann::json doc = Dump(path, r);
  const nlohmann::json error = ExpectFailure(r, doc, 16, "LatImportFilter");
  EXPECT_EQ(error["args"], nlohmann::json::array({path}));
}

TEST(DumpErrors, AMissingFileRaisesTheHostLibrarysOwnOpenError) {
  TempDir dir;
  const std::string path = dir.File("missing.lat");
  ToolResult r;
  const nlohmann::json doc = Dump(path, r);
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_EQ(doc["file"], path);
  EXPECT_TRUE(doc["lattices"].empty());
  const nlohmann::json& error = doc["error"];
  EXPECT_EQ(error["code"], hostbase::kErrFileOpen);
  ASSERT_FALSE(error["args"].empty());
  EXPECT_EQ(error["args"][0], path);
  EXPECT_EQ(r.err, "lattool: error: " + error["message"].get<std::string>() + "\n");
}

TEST(DumpErrors, OddFileNamesAreEscapedAndComeBackUnchanged) {
  TempDir dir;
  std::ifstream in(ExamplePath("uniform-3x2.lat"), std::ios::binary);
  const std::string example{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
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
}

TEST(DumpErrors, BytesFromHex80OnInAFileNamePassThroughAsGiven) {
  TempDir dir;
  const std::string path = dir.File("bad\xff\xfe.lat");
  const ToolResult r = RunTool({"--quiet", "dump", path});
  EXPECT_EQ(r.exitCode, 2);  // missing, which is enough to have the name printed
  EXPECT_NE(r.out.find("\"file\": \"" + path + "\""), std::string::npos) << r.out;
}

}  // namespace
}  // namespace lattest
