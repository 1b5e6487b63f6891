// Checking a lattice description member by member: what is required, what has a default,
// and the error that names each member that is missing, of the wrong kind or size.
#include <gtest/gtest.h>

#include "LatticeJson.h"
#include "LatticeSpec.h"

namespace lattest {
namespace {

using lattool::InputError;
using lattool::LatticeSpec;
using lattool::ObjectKind;

constexpr const char* kUniform =
    R"("kind": "uniform", "dataType": 7, "nx": 3, "ny": 2, "nz": 1, "components": 1,
       "origin": [0, 10, 0], "spacing": [0.5, 10, 0])";

// Parses a lattice object made of `members` and checks it; keeps the document alive.
struct Checked {
  explicit Checked(const std::string& members)
      : json(lattool::ParseLatticeJson("{" + members + "}")),
        spec(lattool::ReadLatticeSpec(json)) {}
  lattool::JsonMembers json;
  LatticeSpec spec;
};

std::string SpecError(const std::string& members) {
  try {
    Checked checked(members);
  } catch (const InputError& e) {
    return e.what();
  }
  return "";
}

TEST(LatticeSpec, AUniformLatticeWithItsDefaults) {
  const Checked c(std::string(kUniform) + R"(, "values": [1, 2, 3, 4, 5, 6])");
  EXPECT_EQ(c.spec.kind, ObjectKind::Uniform);
  EXPECT_EQ(c.spec.dataType, 7);
  EXPECT_EQ(c.spec.nx, 3);
  EXPECT_EQ(c.spec.RowCount(), 2u);
  EXPECT_EQ(c.spec.flags, 0);
  EXPECT_FALSE(c.spec.MayHaveBlanks());
  EXPECT_EQ(c.spec.blankValue, 0.0);
  EXPECT_EQ(c.spec.origin[1], 10.0);
  EXPECT_EQ(c.spec.spacing[0], 0.5);
  EXPECT_EQ(c.spec.values->Size(), 6u);
  EXPECT_FALSE(c.spec.componentMin.has_value());
  EXPECT_FALSE(c.spec.componentMax.has_value());
}

TEST(LatticeSpec, ExtraMembersAreTaken) {
  const Checked c(std::string(kUniform) +
                  R"(, "values": [1, 2, 3, 4, 5, 6], "flags": 1, "blankValue": -999,
                     "componentMin": [1], "componentMax": [6.5], "scans": 2, "info": "x")");
  EXPECT_TRUE(c.spec.MayHaveBlanks());
  EXPECT_EQ(c.spec.blankValue, -999.0);
  EXPECT_EQ(c.spec.componentMin, std::vector<double>{1.0});
  EXPECT_EQ(c.spec.componentMax, std::vector<double>{6.5});
}

TEST(LatticeSpec, RectilinearAndCurvilinearGeometry) {
  const Checked rect(
      R"("kind": "rectilinear", "dataType": 2, "nx": 2, "ny": 3, "nz": 1, "components": 2,
         "coordType": 8, "xCoords": [0, 1], "yCoords": [5, 6, 7], "zCoords": [0],
         "values": [1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12])");
  EXPECT_EQ(rect.spec.kind, ObjectKind::Rectilinear);
  EXPECT_EQ(rect.spec.coordType, 8);
  EXPECT_EQ(rect.spec.yCoords->Size(), 3u);
  const Checked curv(
      R"("kind": "curvilinear", "dataType": 8, "nx": 2, "ny": 1, "nz": 1, "components": 1,
         "coords": [0, 0, 0, 1, 1, 1], "values": [3, 4])");
  EXPECT_EQ(curv.spec.coordType, 7);  // float unless given
  EXPECT_EQ(curv.spec.coords->Size(), 6u);
}

TEST(LatticeSpec, MissingMembersAreNamed) {
  EXPECT_EQ(SpecError(R"("nx": 1)"), R"(missing member "kind")");
  EXPECT_EQ(SpecError(R"("kind": "uniform")"), R"(missing member "dataType")");
  EXPECT_EQ(SpecError(R"("kind": "uniform", "dataType": 7, "nx": 1, "nz": 1, "components": 1)"),
            R"(missing member "ny")");
  EXPECT_EQ(SpecError(kUniform), R"(missing member "values")");
  EXPECT_EQ(SpecError(R"("kind": "rectilinear", "dataType": 7, "nx": 1, "ny": 1, "nz": 1,
                         "components": 1, "xCoords": [0], "zCoords": [0], "values": [1])"),
            R"(missing member "yCoords")");
  EXPECT_EQ(SpecError(R"("kind": "curvilinear", "dataType": 7, "nx": 1, "ny": 1, "nz": 1,
                         "components": 1, "values": [1])"),
            R"(missing member "coords")");
}

TEST(LatticeSpec, MembersOfTheWrongKindOrRange) {
  const std::string v6 = R"(, "values": [1, 2, 3, 4, 5, 6])";
  EXPECT_EQ(SpecError(R"("kind": "cubic")"),
            R"("kind" must be "uniform", "rectilinear" or "curvilinear")");
  EXPECT_EQ(SpecError(R"("kind": 1)"),
            R"("kind" must be "uniform", "rectilinear" or "curvilinear")");
  EXPECT_EQ(SpecError(R"("kind": "uniform", "dataType": 9)"),
            R"("dataType" must be from 0 to 8, not 9)");
  EXPECT_EQ(SpecError(R"("kind": "uniform", "dataType": -1)"),
            R"("dataType" must be from 0 to 8, not -1)");
  EXPECT_EQ(SpecError(R"("kind": "uniform", "dataType": 7.5)"), R"("dataType" must be an integer)");
  EXPECT_EQ(SpecError(R"("kind": "uniform", "dataType": 7, "nx": 0)"),
            R"("nx" must be from 1 to 2147483647, not 0)");
  EXPECT_EQ(SpecError(R"("kind": "uniform", "dataType": 7, "nx": "3")"),
            R"("nx" must be an integer)");
  EXPECT_EQ(SpecError(std::string(kUniform) + R"(, "flags": 256)" + v6),
            R"("flags" must be from 0 to 255, not 256)");
  EXPECT_EQ(SpecError(std::string(kUniform) + R"(, "blankValue": "NaN")" + v6),
            R"("blankValue" must be a number)");
  EXPECT_EQ(SpecError(std::string(kUniform) + R"(, "values": 5)"),
            R"("values" must be an array of numbers)");
  EXPECT_EQ(SpecError(std::string(kUniform) + R"(, "values": [1, 2, 3, "four", 5, 6])"),
            R"("values"[3] is not a number ("four"))");
}

TEST(LatticeSpec, MembersOfTheWrongSizeAreNamed) {
  const std::string v6 = R"(, "values": [1, 2, 3, 4, 5, 6])";
  EXPECT_EQ(SpecError(std::string(kUniform) + R"(, "values": [1, 2, 3, 4, 5])"),
            R"("values" holds 5 numbers, expected 6 (nx x ny x nz x components))");
  EXPECT_EQ(SpecError(R"("kind": "uniform", "dataType": 7, "nx": 3, "ny": 2, "nz": 1,
                         "components": 1, "origin": [0, 0], "spacing": [1, 1, 1])" +
                      v6),
            R"("origin" holds 2 numbers, expected 3 (x, y, z))");
  EXPECT_EQ(SpecError(std::string(kUniform) + R"(, "componentMin": [1, 2])" + v6),
            R"("componentMin" holds 2 numbers, expected 1 (one per component))");
  EXPECT_EQ(SpecError(std::string(kUniform) + R"(, "componentMax": [])" + v6),
            R"("componentMax" holds 0 numbers, expected 1 (one per component))");
  EXPECT_EQ(SpecError(R"("kind": "rectilinear", "dataType": 7, "nx": 2, "ny": 1, "nz": 1,
                         "components": 1, "xCoords": [0, 1, 2], "yCoords": [0], "zCoords": [0],
                         "values": [1, 2])"),
            R"("xCoords" holds 3 numbers, expected 2 (nx))");
  EXPECT_EQ(SpecError(R"("kind": "curvilinear", "dataType": 7, "nx": 2, "ny": 1, "nz": 1,
                         "components": 1, "coords": [0, 0, 0, 1, 1], "values": [1, 2])"),
            R"("coords" holds 5 numbers, expected 6 (3 x nx x ny x nz))");
}

TEST(LatticeSpec, CountsTooLargeForAScanOrForMemoryAreRefused) {
  EXPECT_EQ(SpecError(R"("kind": "uniform", "dataType": 8, "nx": 1073741824, "ny": 1, "nz": 1,
                         "components": 1)"),
            "a row of nx x components values is too large");
  EXPECT_EQ(SpecError(R"("kind": "uniform", "dataType": 0, "nx": 65536, "ny": 1, "nz": 1,
                         "components": 65536)"),
            "a row of nx x components values is too large");
  EXPECT_EQ(SpecError(R"("kind": "uniform", "dataType": 0, "nx": 1, "ny": 2147483647,
                         "nz": 2147483647, "components": 1)"),
            "the lattice has too many rows (ny x nz)");
}

}  // namespace
}  // namespace lattest
