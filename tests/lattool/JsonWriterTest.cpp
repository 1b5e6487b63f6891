// The JSON writer: number texts, escaping, layout and buffering.
#include "JsonWriter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <nlohmann/json.hpp>
#include <stdexcept>
#include <string>

namespace lattool {
namespace {

// The JSON text of one value written at the top level.
template <class T>
std::string NumberText(T value) {
  std::string text;
  {
    JsonWriter json(text);
    json.Number(value);
  }
  return text;
}

std::string StringText(std::string_view value) {
  std::string text;
  {
    JsonWriter json(text);
    json.String(value);
  }
  return text;
}

TEST(JsonWriterNumbers, FloatsPrintShortestTextThatReadsBackAsTheSameFloat) {
  EXPECT_EQ(NumberText(0.1f), "0.1");
  EXPECT_EQ(NumberText(1.5f), "1.5");
  EXPECT_EQ(NumberText(16777216.0f), "16777216");
  EXPECT_EQ(NumberText(-0.0f), "-0");
  EXPECT_EQ(NumberText(std::numeric_limits<float>::max()), "3.4028235e+38");
  EXPECT_EQ(NumberText(std::numeric_limits<float>::denorm_min()), "1e-45");
  const float third = 1.0f / 3.0f;
  EXPECT_EQ(std::stof(NumberText(third)), third);
  EXPECT_EQ(NumberText(third), "0.33333334");
}

TEST(JsonWriterNumbers, DoublesPrintShortestTextThatReadsBackAsTheSameDouble) {
  EXPECT_EQ(NumberText(0.1), "0.1");
  EXPECT_EQ(NumberText(1.0 / 3.0), "0.3333333333333333");
  EXPECT_EQ(NumberText(static_cast<double>(0.1f)), "0.10000000149011612");
  EXPECT_EQ(NumberText(1e300), "1e+300");
  EXPECT_EQ(NumberText(std::numeric_limits<double>::denorm_min()), "5e-324");
  EXPECT_EQ(NumberText(-2.5), "-2.5");
}

TEST(JsonWriterNumbers, IntegersOfEveryWidthPrintInFull) {
  EXPECT_EQ(NumberText(std::int8_t{-128}), "-128");
  EXPECT_EQ(NumberText(std::int8_t{127}), "127");
  EXPECT_EQ(NumberText(std::uint8_t{255}), "255");
  EXPECT_EQ(NumberText(std::int16_t{-32768}), "-32768");
  EXPECT_EQ(NumberText(std::uint16_t{65535}), "65535");
  EXPECT_EQ(NumberText(std::numeric_limits<std::int32_t>::min()), "-2147483648");
  EXPECT_EQ(NumberText(std::numeric_limits<std::uint32_t>::max()), "4294967295");
  EXPECT_EQ(NumberText(std::numeric_limits<std::int64_t>::min()), "-9223372036854775808");
  EXPECT_EQ(NumberText(std::numeric_limits<std::int64_t>::max()), "9223372036854775807");
  EXPECT_EQ(NumberText(std::numeric_limits<std::uint64_t>::max()), "18446744073709551615");
  EXPECT_EQ(NumberText(0), "0");
}

TEST(JsonWriterNumbers, NanAndInfinitiesPrintAsStrings) {
  EXPECT_EQ(NumberText(std::numeric_limits<float>::quiet_NaN()), "\"NaN\"");
  EXPECT_EQ(NumberText(-std::numeric_limits<double>::quiet_NaN()), "\"NaN\"");
  EXPECT_EQ(NumberText(std::numeric_limits<float>::infinity()), "\"Infinity\"");
  EXPECT_EQ(NumberText(-std::numeric_limits<float>::infinity()), "\"-Infinity\"");
  EXPECT_EQ(NumberText(std::numeric_limits<double>::infinity()), "\"Infinity\"");
  EXPECT_EQ(NumberText(-std::numeric_limits<double>::infinity()), "\"-Infinity\"");
}

TEST(JsonWriterStrings, QuotesBackslashesAndControlCharactersAreEscaped) {
  EXPECT_EQ(StringText("a\"b\\c"), R"("a\"b\\c")");
  EXPECT_EQ(StringText("\r\n\t\b\f"), R"("\r\n\t\b\f")");
  EXPECT_EQ(StringText(std::string_view("\x00\x01\x1f", 3)), R"("\u0000\u0001\u001f")");
  EXPECT_EQ(StringText("/ and \x7f stay"), "\"/ and \x7f stay\"");
  EXPECT_EQ(StringText(""), "\"\"");
}

TEST(JsonWriterStrings, BytesFromHex80OnPassThroughUnchanged) {
  EXPECT_EQ(StringText("caf\xc3\xa9"), "\"caf\xc3\xa9\"");
  EXPECT_EQ(StringText("\xff\x80"), "\"\xff\x80\"");
}

TEST(JsonWriterStrings, EscapedTextParsesBackToTheOriginal) {
  std::string original;
  for (int c = 1; c < 0x80; ++c) original += static_cast<char>(c);
  EXPECT_EQ(nlohmann::json::parse(StringText(original)).get<std::string>(), original);
}

// A document with every kind of value, nested.
void WriteSample(JsonWriter& json, int rows) {
  json.BeginObject();
  json.Key("name");
  json.String("sample \"one\"");
  json.Key("empty");
  json.BeginObject();
  json.EndObject();
  json.Key("none");
  json.BeginArray();
  json.EndArray();
  json.Key("rows");
  json.BeginArray();
  for (int r = 0; r < rows; ++r) {
    json.BeginObject();
    json.Key("values");
    json.BeginArray();
    for (int i = 0; i < 20; ++i) json.Number(r * 0.25 + i);
    json.EndArray();
    json.Key("ok");
    json.Bool(r % 2 == 0);
    json.Key("nothing");
    json.Null();
    json.EndObject();
  }
  json.EndArray();
  json.Key("raw");
  json.Raw("[1, 2]");
  json.EndObject();
}

TEST(JsonWriterLayout, NestedDocumentIsValidJsonWithAllItsMembers) {
  std::string text;
  {
    JsonWriter json(text);
    WriteSample(json, 3);
    EXPECT_TRUE(json.Finish());
  }
  const nlohmann::json doc = nlohmann::json::parse(text);
  EXPECT_EQ(doc["name"], "sample \"one\"");
  EXPECT_TRUE(doc["empty"].is_object() && doc["empty"].empty());
  EXPECT_TRUE(doc["none"].is_array() && doc["none"].empty());
  ASSERT_EQ(doc["rows"].size(), 3u);
  EXPECT_EQ(doc["rows"][2]["values"][19], 19.5);
  EXPECT_EQ(doc["rows"][1]["ok"], false);
  EXPECT_TRUE(doc["rows"][0]["nothing"].is_null());
  EXPECT_EQ(doc["raw"], nlohmann::json::parse("[1, 2]"));
  EXPECT_EQ(text.back(), '\n');
}

TEST(JsonWriterLayout, ObjectMembersGoOnTheirOwnLinesAndPlainArraysStayOnOne) {
  std::string text;
  {
    JsonWriter json(text);
    json.BeginObject();
    json.Key("a");
    json.BeginArray();
    json.Number(1);
    json.Number(2);
    json.EndArray();
    json.Key("b");
    json.BeginArray();
    json.BeginObject();
    json.EndObject();
    json.EndArray();
    json.EndObject();
  }
  EXPECT_EQ(text, "{\n  \"a\": [1, 2],\n  \"b\": [\n    {}\n  ]\n}");
}

TEST(JsonWriterBuffering, ASmallBufferDrainsToTheSameText) {
  std::string large;
  std::string small;
  {
    JsonWriter a(large);
    JsonWriter b(small, 1);  // raised to the smallest size that holds a number
    WriteSample(a, 50);
    WriteSample(b, 50);
    const std::string longText(1000, 'x');
    a.String(longText);
    b.String(longText);
  }
  EXPECT_GT(small.size(), 1000u);
  EXPECT_EQ(small, large);
}

TEST(JsonWriterBuffering, WritesToAFileAndReportsAFailedWrite) {
  std::FILE* file = std::tmpfile();
  ASSERT_NE(file, nullptr);
  {
    JsonWriter json(file, 64);
    WriteSample(json, 5);
    EXPECT_TRUE(json.Finish());
  }
  std::string text(static_cast<std::size_t>(std::ftell(file)), '\0');
  std::rewind(file);
  EXPECT_EQ(std::fread(text.data(), 1, text.size(), file), text.size());
  std::fclose(file);
  EXPECT_EQ(nlohmann::json::parse(text)["rows"].size(), 5u);

  std::FILE* full = std::fopen("/dev/full", "w");
  if (full == nullptr) GTEST_SKIP() << "no /dev/full";
  {
    JsonWriter failing(full, 64);
    WriteSample(failing, 5);
    EXPECT_FALSE(failing.Finish());
  }
  std::fclose(full);
}

TEST(JsonWriterMisuse, ValuesAndKeysOutOfPlaceAreRefused) {
  std::string text;
  JsonWriter json(text);
  json.BeginObject();
  EXPECT_THROW(json.Number(1), std::logic_error);  // a member needs a key
  EXPECT_THROW(json.EndArray(), std::logic_error);
  json.Key("list");
  EXPECT_THROW(json.Key("again"), std::logic_error);
  json.BeginArray();
  EXPECT_THROW(json.Key("k"), std::logic_error);
  EXPECT_THROW(json.EndObject(), std::logic_error);
  json.EndArray();
  json.EndObject();
}

TEST(JsonWriterMisuse, NestingBeyondTheLimitIsRefused) {
  std::string text;
  JsonWriter json(text);
  for (int i = 0; i < JsonWriter::kMaxDepth; ++i) json.BeginArray();
  EXPECT_THROW(json.BeginArray(), std::length_error);
}

}  // namespace
}  // namespace lattool
