// lattool create end to end: every geometry from the JSON that dump prints, each data
// type with its promotion, blanks under each method, given and computed component
// ranges, coordinate types, and the options string.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "ExportTestSupport.h"

namespace lattest {
namespace {

// Creates OUT from `json` with `options` (none when empty); returns the run.
ToolResult Create(const ExportDir& dir, const nlohmann::json& json, const std::string& out,
                  const std::string& options = "") {
  const std::string in = dir.WriteJson("in.json", json);
  std::vector<std::string> args{"create", in, out};
  if (!options.empty()) args.insert(args.end(), {"--options", options});
  return dir.Run(args);
}

TEST(Create, EachExampleComesBackFromItsDump) {
  ExportDir dir;
  for (const char* name :
       {"uniform-3x2.lat", "uniform-4x3x2.lat", "rectilinear-4x3x2.lat", "curvilinear-4x3x2.lat"}) {
    ToolResult dumped;
    const nlohmann::json doc = Dump(ExamplePath(name), dumped);
    const std::string out = dir.File(std::string("made-") + name);
    // The whole dump document, whose first lattice is used.
    const ToolResult r = Create(dir, doc, out);
    ASSERT_EQ(r.exitCode, 0) << name << ": " << r.err;
    EXPECT_EQ(r.err, "");
    ExpectSameLattice(doc["lattices"][0], DumpLattice(out), name);
  }
}

TEST(Create, OneLatticeObjectIsEnough) {
  ExportDir dir;
  const std::string out = dir.File("out.lat");
  nlohmann::json lat = UniformRow(7, {0.5, 1.5, 2.5});
  lat["origin"] = {1, 2, 3};
  lat["spacing"] = {0.25, 0, 0};
  const ToolResult r = Create(dir, lat, out);
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const nlohmann::json back = DumpLattice(out);
  EXPECT_EQ(Doubles(back["values"]), (std::vector<double>{0.5, 1.5, 2.5}));
  EXPECT_EQ(Doubles(back["origin"]), (std::vector<double>{1, 2, 3}));
  EXPECT_EQ(Doubles(back["spacing"]), (std::vector<double>{0.25, 0, 0}));
}

struct TypeCase {
  int dataType;
  nlohmann::json values;
  int written;
  nlohmann::json readBack;
  const char* warning;  // null: none
};

TEST(Create, EachDataTypeIsWrittenAsTheFormatHoldsIt) {
  const std::int64_t big = (std::int64_t{1} << 53) + 1;
  const TypeCase cases[] = {
      {0, {-128, 0, 127}, 0, {-128, 0, 127}, nullptr},
      {1,
       {0, 200, 255},
       2,
       {0, 200, 255},
       "This file format does not support 8-bit unsigned integer data.  Export will proceed "
       "by converting to 16-bit signed data."},
      {2, {-32768, 1, 32767}, 2, {-32768, 1, 32767}, nullptr},
      {3,
       {0, 40000, 65535},
       4,
       {0, 40000, 65535},
       "This file format does not support 16-bit unsigned integer data.  Export will proceed "
       "by converting to 32-bit signed data."},
      {4, {-2147483648LL, 0, 2147483647}, 4, {-2147483648LL, 0, 2147483647}, nullptr},
      {5,
       {0, 3000000000LL, 4294967295LL},
       8,
       {0, 3000000000LL, 4294967295LL},
       "This file format does not support 32-bit unsigned integer data.  Export will proceed "
       "by converting to double-precision floating-point data."},
      {6,
       {-5, big, 7},
       8,
       {-5, big - 1, 7},  // 2^53 + 1 has no double
       "This file format does not support 64-bit integer data.  Export will proceed by "
       "converting to 64-bit floating-point data.  Some data values may be truncated during "
       "conversion."},
      {7, {0.1, -2.5, 3e38}, 7, {0.1, -2.5, 3e38}, nullptr},
      {8, {0.1, -1e300, 5e-324}, 8, {0.1, -1e300, 5e-324}, nullptr},
  };
  ExportDir dir;
  for (const TypeCase& c : cases) {
    const std::string out = dir.File("type" + std::to_string(c.dataType) + ".lat");
    const ToolResult r = Create(dir, UniformRow(c.dataType, c.values), out);
    EXPECT_EQ(r.exitCode, 0) << c.dataType << ": " << r.err;
    EXPECT_EQ(r.err, c.warning ? "lattool: warning: " + std::string(c.warning) + "\n" : "")
        << c.dataType;
    const nlohmann::json back = DumpLattice(out);
    EXPECT_EQ(back["dataType"], c.written) << c.dataType;
    EXPECT_EQ(back["values"], c.readBack) << c.dataType;
  }
}

// Six 16-bit values, two of them the blank value -1.
nlohmann::json BlankedRow() {
  nlohmann::json lat = UniformRow(2, {5, -1, 300, -1, 40, 7});
  lat["flags"] = 1;
  lat["blankValue"] = -1;
  return lat;
}

TEST(Create, BlanksAreWrittenByEachMethod) {
  const struct {
    const char* options;
    int blank;
  } methods[] = {
      {"BlankMethod=0", 5},  // the data minimum, the blanks left out
      {"BlankMethod=1", 300},
      {"BlankMethod=2", -32768},
      {"BlankMethod=3", 32767},
      {"BlankMethod=4,FixedBlankValue=300", 300},
      {"BlankMethod=4,FixedBlankValue=-17", -17},
  };
  ExportDir dir;
  for (const auto& m : methods) {
    const std::string out = dir.File("blanks.lat");
    const ToolResult r = Create(dir, BlankedRow(), out, m.options);
    ASSERT_EQ(r.exitCode, 0) << m.options << ": " << r.err;
    EXPECT_EQ(DumpLattice(out)["values"], nlohmann::json({5, m.blank, 300, m.blank, 40, 7}))
        << m.options;
  }
}

TEST(Create, AFixedValueOutsideTheTypeIsAnErrorAndWritesNothing) {
  ExportDir dir;
  const std::string out = dir.File("out.lat");
  const ToolResult r = Create(dir, BlankedRow(), out, "BlankMethod=4,FixedBlankValue=40000");
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_EQ(r.err,
            "lattool: error: The data type '16-bit signed integer' cannot be exported: the fixed "
            "blank value lies outside its range.\n");
  EXPECT_FALSE(Exists(out));
}

TEST(Create, GivenComponentRangesAreHandedOverAsTheyAre) {
  ExportDir dir;
  const std::string out = dir.File("out.lat");
  nlohmann::json lat = BlankedRow();
  lat["componentMin"] = {-50};
  lat["componentMax"] = {1000};
  ASSERT_EQ(Create(dir, lat, out, "BlankMethod=0").exitCode, 0);
  EXPECT_EQ(DumpLattice(out)["values"], nlohmann::json({5, -50, 300, -50, 40, 7}));
  ASSERT_EQ(Create(dir, lat, out, "BlankMethod=1").exitCode, 0);
  EXPECT_EQ(DumpLattice(out)["values"], nlohmann::json({5, 1000, 300, 1000, 40, 7}));

  // Through the fake module: given ones as they are, a missing one computed.
  lat.erase("componentMax");
  const std::string in = dir.WriteJson("ranges.json", lat);
  ASSERT_EQ(dir.RunFake({"create", in, out}).exitCode, 0);
  const auto log = ReadLines(dir.LogFile());
  ASSERT_GE(log.size(), 3u);
  EXPECT_EQ(log[2],
            "ExportObject uniform 6x1x1 components=1 dataType=2 flags=1 blank=-1 min=[-50] "
            "max=[300]");
}

TEST(Create, ComputedRangesLeaveOutBlanksOnlyWhenTheLatticeMayHaveThem) {
  ExportDir dir;
  nlohmann::json lat = UniformRow(4, {-1, 9, 4, -1, -3, 2}, 2);
  lat["blankValue"] = -1;
  const std::string plain = dir.WriteJson("plain.json", lat);
  lat["flags"] = 1;
  const std::string blanked = dir.WriteJson("blanked.json", lat);
  const std::string out = dir.File("out.lat");
  ASSERT_EQ(dir.RunFake({"create", plain, out}).exitCode, 0);
  ASSERT_EQ(dir.RunFake({"create", blanked, out}).exitCode, 0);
  const auto log = ReadLines(dir.LogFile());
  ASSERT_EQ(log.size(), 12u);
  EXPECT_EQ(log[2],
            "ExportObject uniform 3x1x1 components=2 dataType=4 flags=0 blank=-1 min=[-3,-1] "
            "max=[4,9]");
  EXPECT_EQ(log[8],
            "ExportObject uniform 3x1x1 components=2 dataType=4 flags=1 blank=-1 min=[-3,2] "
            "max=[4,9]");
  // Without the flag, -1 is an ordinary value and is written as it is.
  ASSERT_EQ(dir.Run({"create", plain, out}).exitCode, 0);
  EXPECT_EQ(DumpLattice(out)["values"], nlohmann::json({-1, 9, 4, -1, -3, 2}));
}

TEST(Create, CoordinatesOfAnyTypeAreWrittenAsFloats) {
  ExportDir dir;
  const std::string out = dir.File("out.lat");
  const struct {
    int coordType;
    nlohmann::json xs;
  } cases[] = {
      {8, {0.1, 1.0 / 3.0, 1e10}}, {4, {-3, 0, 1000000}},
      {0, {-128, 0, 127}},         {6, {-(std::int64_t{1} << 40), 0, std::int64_t{1} << 40}},
      {3, {0, 1, 65535}},
  };
  for (const auto& c : cases) {
    const nlohmann::json lat = {{"kind", "rectilinear"},
                                {"dataType", 7},
                                {"nx", 3},
                                {"ny", 2},
                                {"nz", 1},
                                {"components", 1},
                                {"coordType", c.coordType},
                                {"xCoords", c.xs},
                                {"yCoords", {2, 4}},
                                {"zCoords", {7}},
                                {"values", {1, 2, 3, 4, 5, 6}}};
    const ToolResult r = Create(dir, lat, out);
    ASSERT_EQ(r.exitCode, 0) << c.coordType << ": " << r.err;
    const nlohmann::json back = DumpLattice(out);
    EXPECT_EQ(back["coordType"], 7) << c.coordType;
    ASSERT_EQ(back["xCoords"].size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
      EXPECT_EQ(back["xCoords"][i].get<float>(), static_cast<float>(c.xs[i].get<double>()))
          << c.coordType << " " << i;
    }
    EXPECT_EQ(Doubles(back["yCoords"]), (std::vector<double>{2, 4}));
  }
  // A curvilinear lattice's node positions likewise.
  const nlohmann::json curv = {{"kind", "curvilinear"},
                               {"dataType", 8},
                               {"nx", 2},
                               {"ny", 1},
                               {"nz", 1},
                               {"components", 1},
                               {"coordType", 8},
                               {"coords", {0.1, 0, 0, 1e-3, 1, 2}},
                               {"values", {1, 2}}};
  ASSERT_EQ(Create(dir, curv, out).exitCode, 0);
  const nlohmann::json back = DumpLattice(out);
  std::vector<float> coords;
  for (const auto& v : back["coords"]) coords.push_back(v.get<float>());
  EXPECT_EQ(coords, (std::vector<float>{0.1f, 0, 0, 1e-3f, 1, 2}));
  EXPECT_EQ(Doubles(back["values"]), (std::vector<double>{1, 2}));
}

TEST(Create, UnknownOptionKeysAreIgnoredAndBadValuesLeaveTheSettingAsItWas) {
  const struct {
    const char* options;
    int blank;
  } cases[] = {
      {"Frobnicate=1,BlankMethod=1", 300},      // an unknown key is passed over
      {"BlankMethod=abc", 5},                   // not a number: the default method 0
      {"BlankMethod=7", 32767},                 // outside 0..4: taken as 3
      {"BlankMethod=4,FixedBlankValue=x", 0},   // not a number: the default value 0
      {"Defaults=true", 5},                     // method 0, value 0
      {"Defaults=true,BlankMethod=2", -32768},  // an explicit method wins
      {" blankmethod = 1 ", 300},               // keys ignore case and blanks
  };
  for (const auto& c : cases) {
    ExportDir dir;  // each with fresh saved options
    const std::string out = dir.File("out.lat");
    const ToolResult r = Create(dir, BlankedRow(), out, c.options);
    ASSERT_EQ(r.exitCode, 0) << c.options << ": " << r.err;
    EXPECT_EQ(r.err, "") << c.options;
    EXPECT_EQ(DumpLattice(out)["values"], nlohmann::json({5, c.blank, 300, c.blank, 40, 7}))
        << c.options;
  }
}

TEST(Create, TheShippedJsonExampleFillsItsFailedGauges) {
  ExportDir dir;
  const std::string in = ExamplePath("rainfall-4x3.json");
  const std::string out = dir.File("rain.lat");
  ASSERT_EQ(dir.Run({"create", in, out, "--options", "BlankMethod=4,FixedBlankValue=0"}).exitCode,
            0);
  const nlohmann::json lat = DumpLattice(out);
  EXPECT_EQ(lat["values"], nlohmann::json({12, 15, 0, 22, 10, 18, 25, 31, 0, 20, 27, 40}));
  EXPECT_EQ(Doubles(lat["origin"]), (std::vector<double>{5, 45, 0}));
  ASSERT_EQ(dir.Run({"create", in, out, "--options", "BlankMethod=0"}).exitCode, 0);
  EXPECT_EQ(DumpLattice(out)["values"][2], 10);  // the smallest reading
}

}  // namespace
}  // namespace lattest
