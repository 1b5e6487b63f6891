// How lattool dump prints node values of each data type: integers in full, reals as their
// shortest round-trip text, NaN and infinities as strings.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "LattoolTestSupport.h"
#include "tests/support/LatBinaryWriter.h"
#include "tests/support/LatPlainWriter.h"
#include "tests/support/TempDir.h"

namespace lattest {
namespace {

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

nlohmann::json DumpValues(const std::string& path, ToolResult& r) {
  const nlohmann::json doc = Dump(path, r);
  EXPECT_EQ(r.exitCode, 0) << r.err;
  if (!doc.contains("lattices") || doc["lattices"].size() != 1) {
    ADD_FAILURE() << r.out;
    return nlohmann::json::array();
  }
  return doc["lattices"][0]["values"];
}

TEST(DumpValues, FloatsPrintAsTheShortestTextOfTheFloat) {
  TempDir dir;
  ToolResult r;
  const nlohmann::json values = DumpValues(WriteRow(dir, 3, {0.1, 1.0 / 3.0, 1e-45, 3e38}), r);
  // Printed through double, 0.1f would read back as 0.10000000149011612.
  EXPECT_NE(r.out.find("[0.1, 0.33333334, 1e-45, 3e+38]"), std::string::npos) << r.out;
  ASSERT_EQ(values.size(), 4u);
  EXPECT_EQ(values[0].get<double>(), 0.1);
  EXPECT_EQ(values[1].get<float>(), 1.0f / 3.0f);
}

TEST(DumpValues, DoublesPrintAsTheShortestTextOfTheDouble) {
  TempDir dir;
  ToolResult r;
  const double tiny = std::numeric_limits<double>::denorm_min();
  const nlohmann::json values = DumpValues(WriteRow(dir, 4, {0.1, 1.0 / 3.0, -1e300, tiny}), r);
  ASSERT_EQ(values.size(), 4u);
  EXPECT_EQ(values[0].get<double>(), 0.1);
  EXPECT_EQ(values[1].get<double>(), 1.0 / 3.0);
  EXPECT_EQ(values[2].get<double>(), -1e300);
  EXPECT_EQ(values[3].get<double>(), tiny);
  EXPECT_NE(r.out.find("[0.1, 0.3333333333333333, -1e+300, 5e-324]"), std::string::npos);
}

TEST(DumpValues, NanAndInfinitiesInAFloatLatticePrintAsStrings) {
  TempDir dir;
  ToolResult r;
  const double inf = std::numeric_limits<double>::infinity();
  const nlohmann::json values =
      DumpValues(WriteRow(dir, 3, {std::numeric_limits<double>::quiet_NaN(), inf, -inf, 2}), r);
  EXPECT_EQ(values, nlohmann::json::parse(R"(["NaN", "Infinity", "-Infinity", 2])"));
}

TEST(DumpValues, IntegerTypesPrintAsJsonIntegersAtTheirExtremes) {
  TempDir dir;
  const struct {
    int primType;
    std::vector<double> values;
  } cases[] = {
      {0, {-128, 127, 0, -1}},
      {1, {-32768, 32767, 5}},
      {2, {-2147483648.0, 2147483647.0, -3}},
  };
  for (const auto& c : cases) {
    ToolResult r;
    const nlohmann::json values = DumpValues(WriteRow(dir, c.primType, c.values), r);
    ASSERT_EQ(values.size(), c.values.size()) << c.primType;
    for (std::size_t i = 0; i < c.values.size(); ++i) {
      EXPECT_TRUE(values[i].is_number_integer()) << values[i];
      EXPECT_EQ(values[i].get<std::int64_t>(), static_cast<std::int64_t>(c.values[i]));
    }
  }
}

TEST(DumpValues, NegativeSpacingAndANarrowAxisComeThroughAsDoubles) {
  TempDir dir;
  BinaryLattice lat;
  lat.dims = {3, 1, 2};
  lat.values = Ramp(6);
  lat.coords = {10, 0, 5, 5, -1, 1};  // x descends; y has one node
  const std::string path = dir.File("neg.lat");
  EncodeBinary(lat).WriteTo(path);
  ToolResult r;
  const nlohmann::json doc = Dump(path, r);
  EXPECT_EQ(r.exitCode, 0) << r.err;
  const nlohmann::json& l = doc["lattices"][0];
  EXPECT_EQ(Doubles(l["origin"]), (std::vector<double>{10, 5, -1}));
  EXPECT_EQ(Doubles(l["spacing"]), (std::vector<double>{-5, 0, 2}));
  EXPECT_EQ(Doubles(l["values"]), Ramp(6));
}

TEST(DumpValues, EachBlockOfARectilinearPlainFileIsItsOwnEntry) {
  TempDir dir;
  PlainLattice lat;
  lat.nDim = 2;
  lat.dims = {2, 2};
  lat.primType = 4;
  lat.geometryType = 1;
  lat.geometry = {0.5, 1.5, -2, 2};
  lat.blocks = {{1, 2, 3, 4}, {0.25, 0.5, 0.75, 1}};
  const std::string path = dir.Write("blocks.lat", PlainLatticeText(lat));
  ToolResult r;
  const nlohmann::json doc = Dump(path, r);
  EXPECT_EQ(r.exitCode, 0) << r.err;
  ASSERT_EQ(doc["lattices"].size(), 2u);
  for (std::size_t k = 0; k < 2; ++k) {
    const nlohmann::json& l = doc["lattices"][k];
    EXPECT_EQ(l["kind"], "rectilinear");
    EXPECT_EQ(l["dataType"], 8);
    EXPECT_EQ(Doubles(l["xCoords"]), (std::vector<double>{0.5, 1.5}));
    EXPECT_EQ(Doubles(l["yCoords"]), (std::vector<double>{-2, 2}));
    EXPECT_EQ(Doubles(l["zCoords"]), (std::vector<double>{0}));
    EXPECT_EQ(Doubles(l["values"]), lat.blocks[k]);
    EXPECT_EQ(l["scans"], 2);
    EXPECT_EQ(l["ended"], true);
  }
}

}  // namespace
}  // namespace lattest
