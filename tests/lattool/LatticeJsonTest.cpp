// Reading the JSON description of a lattice: which object is the lattice, how members and
// arrays are kept, and the errors for documents that are no lattice description.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>

#include "LatticeJson.h"
#include "tests/support/TempDir.h"

namespace lattest {
namespace {

using lattool::InputError;
using lattool::JsonMember;
using lattool::JsonMembers;
using lattool::ParseLatticeJson;
using Kind = JsonMember::Kind;

// The message of the InputError that parsing `text` raises, or "" when none.
std::string ParseError(const std::string& text) {
  try {
    ParseLatticeJson(text);
  } catch (const InputError& e) {
    return e.what();
  }
  return "";
}

TEST(LatticeJson, ALatticeObjectIsTakenAsItIs) {
  const JsonMembers m = ParseLatticeJson(
      R"({"kind": "uniform", "nx": 3, "blankValue": -1.5, "ok": true, "none": null,
          "values": [1, 2.5, -3], "origin": {"x": 1}})");
  EXPECT_EQ(m.at("kind").kind, Kind::String);
  EXPECT_EQ(m.at("kind").text, "uniform");
  EXPECT_EQ(m.at("nx").kind, Kind::Integer);
  EXPECT_EQ(m.at("nx").integer, 3);
  EXPECT_EQ(m.at("blankValue").kind, Kind::Real);
  EXPECT_EQ(m.at("blankValue").real, -1.5);
  EXPECT_EQ(m.at("ok").kind, Kind::Bool);
  EXPECT_TRUE(m.at("ok").boolean);
  EXPECT_EQ(m.at("none").kind, Kind::Null);
  EXPECT_EQ(m.at("origin").kind, Kind::Other);
  const JsonMember& values = m.at("values");
  ASSERT_EQ(values.kind, Kind::Numbers);
  ASSERT_EQ(values.numbers.Size(), 3u);
  EXPECT_TRUE(values.numbers.IsInteger(0));
  EXPECT_FALSE(values.numbers.IsInteger(1));
  EXPECT_EQ(values.numbers.Real(1), 2.5);
  EXPECT_EQ(values.numbers.Integer(2), -3);
  EXPECT_EQ(values.problem, "");
}

TEST(LatticeJson, OfADumpDocumentTheFirstLatticeIsUsed) {
  const JsonMembers m = ParseLatticeJson(
      R"({"file": "a.lat", "lattices": [{"nx": 4, "values": [7]}, {"nx": 9, "bad": [[1]]}],
          "status": 0, "error": {"args": ["x", 3]}})");
  EXPECT_EQ(m.at("nx").integer, 4);
  EXPECT_EQ(m.at("values").numbers.Integer(0), 7);
  EXPECT_EQ(m.count("file"), 0u);
  EXPECT_EQ(m.count("bad"), 0u);
}

TEST(LatticeJson, NumbersKeepTheirExactValues) {
  const JsonMembers m = ParseLatticeJson(
      R"({"values": [9223372036854775807, -9223372036854775808, 9007199254740993,
                     18446744073709551615, 0.1, 1e-320, "NaN", "Infinity", "-Infinity"]})");
  const lattool::NumberList& n = m.at("values").numbers;
  ASSERT_EQ(n.Size(), 9u);
  EXPECT_EQ(n.Integer(0), std::numeric_limits<std::int64_t>::max());
  EXPECT_EQ(n.Integer(1), std::numeric_limits<std::int64_t>::min());
  EXPECT_EQ(n.Integer(2), 9007199254740993);  // not a double
  EXPECT_FALSE(n.IsInteger(3));               // beyond 64-bit signed: kept as a double
  EXPECT_EQ(n.Real(3), 18446744073709551615.0);
  EXPECT_EQ(n.Real(4), 0.1);
  EXPECT_EQ(n.Real(5), 1e-320);
  EXPECT_TRUE(std::isnan(n.Real(6)));
  EXPECT_EQ(n.Real(7), std::numeric_limits<double>::infinity());
  EXPECT_EQ(n.Real(8), -std::numeric_limits<double>::infinity());
}

TEST(LatticeJson, AnArrayElementThatIsNoNumberIsNamed) {
  const JsonMembers m = ParseLatticeJson(
      R"({"a": [1, 2, "x", 4], "b": [1, [2]], "c": [{}], "d": [true], "e": [null, "y"]})");
  EXPECT_EQ(m.at("a").problem, "[2] is not a number (\"x\")");
  EXPECT_EQ(m.at("b").problem, "[1] is an array");
  EXPECT_EQ(m.at("c").problem, "[0] is an object");
  EXPECT_EQ(m.at("d").problem, "[0] is not a number (true)");
  EXPECT_EQ(m.at("e").problem, "[0] is not a number (null)");
}

TEST(LatticeJson, ARepeatedMemberCountsOnce) {
  const JsonMembers m = ParseLatticeJson(R"({"nx": [1, 2], "nx": 5})");
  EXPECT_EQ(m.at("nx").kind, Kind::Integer);
  EXPECT_EQ(m.at("nx").integer, 5);
}

TEST(LatticeJson, DocumentsThatHoldNoLatticeAreRefused) {
  EXPECT_EQ(ParseError(R"({"lattices": []})"), "\"lattices\" holds no lattice");
  EXPECT_EQ(ParseError(R"({"lattices": [3, {"nx": 1}]})"), "\"lattices\"[0] is not an object");
  EXPECT_EQ(ParseError(R"({"lattices": [[], {"nx": 1}]})"), "\"lattices\"[0] is not an object");
  EXPECT_EQ(ParseError("[1, 2]"), "the document is not a JSON object");
  EXPECT_EQ(ParseError("42"), "the document is not a JSON object");
}

TEST(LatticeJson, MalformedJsonIsRefusedWithWhereItWentWrong) {
  for (const char* text : {"", "{", R"({"nx": 1,})", R"({"nx" 1})", R"({"values": [1, 2})",
                           R"({"nx": 1} trailing)", "{\"a\": 01}"}) {
    const std::string error = ParseError(text);
    EXPECT_EQ(error.rfind("malformed JSON: ", 0), 0u) << text << " -> " << error;
    EXPECT_NE(error.find("line 1, column"), std::string::npos) << error;
    EXPECT_EQ(error.find("[json.exception"), std::string::npos) << error;
  }
}

TEST(LatticeJson, FilesAreReadLikeText) {
  TempDir dir;
  const std::string path = dir.Write("l.json", R"({"lattices": [{"ny": 2}]})");
  EXPECT_EQ(lattool::ReadLatticeJson(path).at("ny").integer, 2);
  try {
    lattool::ReadLatticeJson(dir.File("missing.json"));
    ADD_FAILURE() << "a missing file was read";
  } catch (const InputError& e) {
    EXPECT_EQ(std::string(e.what()),
              "cannot read '" + dir.File("missing.json") + "': No such file or directory");
  }
}

}  // namespace
}  // namespace lattest
