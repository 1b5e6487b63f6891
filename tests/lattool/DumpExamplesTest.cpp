// lattool dump of each shipped example: header fields, geometry, values, scans, end.
#include <gtest/gtest.h>

#include "LattoolTestSupport.h"

namespace lattest {
namespace {

constexpr int kNx = 4, kNy = 3, kNz = 2;

void ExpectCompleteImport(const ToolResult& r, const nlohmann::json& doc, const std::string& file) {
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(doc["file"], file);
  EXPECT_EQ(doc["status"], 0);
  EXPECT_FALSE(doc.contains("error"));
  ASSERT_EQ(doc["lattices"].size(), 1u);
}

void ExpectHeader(const nlohmann::json& lat, const char* kind, int dataType, int components) {
  EXPECT_EQ(lat["kind"], kind);
  EXPECT_EQ(lat["dataType"], dataType);
  EXPECT_EQ(lat["nx"], kNx);
  EXPECT_EQ(lat["ny"], kNy);
  EXPECT_EQ(lat["nz"], kNz);
  EXPECT_EQ(lat["components"], components);
  EXPECT_EQ(lat["flags"], 0);
  EXPECT_EQ(lat["scanMode"], 0);
  EXPECT_EQ(lat["scanParam"], 0);
  EXPECT_EQ(lat["ended"], true);
}

TEST(DumpExamples, PlainUniform3x2) {
  const std::string file = ExamplePath("uniform-3x2.lat");
  ToolResult r;
  const nlohmann::json doc = Dump(file, r);
  ExpectCompleteImport(r, doc, file);
  const nlohmann::json& lat = doc["lattices"][0];
  EXPECT_EQ(lat["kind"], "uniform");
  EXPECT_EQ(lat["dataType"], 7);
  EXPECT_EQ(lat["nx"], 3);
  EXPECT_EQ(lat["ny"], 2);
  EXPECT_EQ(lat["nz"], 1);
  EXPECT_EQ(lat["components"], 1);
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

TEST(DumpExamples, BinaryUniformTemperatures) {
  const std::string file = ExamplePath("uniform-4x3x2.lat");
  ToolResult r;
  const nlohmann::json doc = Dump(file, r);
  ExpectCompleteImport(r, doc, file);
  const nlohmann::json& lat = doc["lattices"][0];
  ExpectHeader(lat, "uniform", 7, 1);
  EXPECT_EQ(Doubles(lat["origin"]), (std::vector<double>{0, 10, 0}));
  EXPECT_EQ(Doubles(lat["spacing"]), (std::vector<double>{0.5, 1, 2}));
  std::vector<double> expected;
  for (int z = 0; z < kNz; ++z)
    for (int y = 0; y < kNy; ++y)
      for (int x = 0; x < kNx; ++x) expected.push_back(20.0 + 0.5 * x + 0.25 * y - 1.5 * z);
  EXPECT_EQ(Doubles(lat["values"]), expected);
  EXPECT_EQ(lat["scans"], kNy * kNz);
  EXPECT_EQ(lat["info"].get<std::string>().rfind("Name:\tuniform-4x3x2.lat\r\n", 0), 0u);
}

TEST(DumpExamples, BinaryRectilinearWindWithTwoComponents) {
  const std::string file = ExamplePath("rectilinear-4x3x2.lat");
  ToolResult r;
  const nlohmann::json doc = Dump(file, r);
  ExpectCompleteImport(r, doc, file);
  const nlohmann::json& lat = doc["lattices"][0];
  ExpectHeader(lat, "rectilinear", 2, 2);
  EXPECT_EQ(lat["coordType"], 7);
  EXPECT_EQ(Doubles(lat["xCoords"]), (std::vector<double>{0, 1, 3, 7}));
  EXPECT_EQ(Doubles(lat["yCoords"]), (std::vector<double>{50, 50.5, 51}));
  EXPECT_EQ(Doubles(lat["zCoords"]), (std::vector<double>{10, 100}));
  std::vector<int> expected;
  for (int z = 0; z < kNz; ++z)
    for (int y = 0; y < kNy; ++y)
      for (int x = 0; x < kNx; ++x) {
        expected.push_back(100 * x - 50 * y + 300 * z);
        expected.push_back(-20 * x + 10 * y * y - 150);
      }
  for (const auto& v : lat["values"]) EXPECT_TRUE(v.is_number_integer()) << v;
  EXPECT_EQ(lat["values"].get<std::vector<int>>(), expected);
  EXPECT_EQ(lat["scans"], kNy * kNz);
  EXPECT_FALSE(lat.contains("origin"));
}

TEST(DumpExamples, BinaryCurvilinearCoordinatesAndValuesAlternate) {
  const std::string file = ExamplePath("curvilinear-4x3x2.lat");
  ToolResult r;
  const nlohmann::json doc = Dump(file, r);
  ExpectCompleteImport(r, doc, file);
  const nlohmann::json& lat = doc["lattices"][0];
  ExpectHeader(lat, "curvilinear", 7, 1);
  EXPECT_EQ(lat["coordType"], 7);
  std::vector<double> coords;
  std::vector<double> values;
  for (int z = 0; z < kNz; ++z)
    for (int y = 0; y < kNy; ++y)
      for (int x = 0; x < kNx; ++x) {
        const double px = x + 0.25 * y, py = y + 0.125 * x * x, pz = 2.0 * z + 0.5 * x;
        for (double c : {px, py, pz}) coords.push_back(static_cast<float>(c));
        values.push_back(static_cast<float>(px * px + py * py + pz * pz));
      }
  EXPECT_EQ(Doubles(lat["coords"]), coords);
  EXPECT_EQ(Doubles(lat["values"]), values);
  EXPECT_EQ(lat["scans"], 2 * kNy * kNz);  // a coordinate scan and a data scan per row
  EXPECT_EQ(lat["info"].get<std::string>().rfind("Filename:\tcurvilinear-4x3x2.lat\r\n", 0), 0u);
}

}  // namespace
}  // namespace lattest
