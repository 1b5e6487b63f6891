// Blanked nodes: every blank method, exact comparison with the blank value and its NaN
// mend, the fixed value's range check (error code 27), and the options that choose them.
#include <limits>

#include "tests/export/ExportHarness.h"
#include "tests/support/LatPlainWriter.h"

namespace lattest {
namespace {

using hostbase::CPrimType;
using ExportBlanksTest = ExportTest;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// A one-row lattice with blanks marked by `blank`, data range 0 .. 10.
ExportLattice Blanked(std::int32_t type, std::vector<double> values, double blank) {
  ExportLattice lattice =
      MakeLattice(lat::binary::kUniform, type, static_cast<std::int32_t>(values.size()), 1, 1);
  lattice.values = std::move(values);
  lattice.blanks = true;
  lattice.blankValue = blank;
  lattice.componentMin = {0};
  lattice.componentMax = {10};
  return lattice;
}

TEST_F(ExportBlanksTest, EveryMethodReplacesExactlyTheBlankedValues) {
  const std::vector<double> i16 = {4, -1, 5, -1, -2}, i32 = {-1, 5, 2147483647, -1};
  const double i32Max = 2147483647, f = 0.1f;
  const struct {
    std::int32_t type;
    std::vector<double> values;
    double blank;
    const char* options;
    std::vector<double> written;
  } cases[] = {
      {CPrimType::Int16, i16, -1, "BlankMethod=0", {4, 0, 5, 0, -2}},
      {CPrimType::Int16, i16, -1, "BlankMethod=1", {4, 10, 5, 10, -2}},
      {CPrimType::Int16, i16, -1, "BlankMethod=2", {4, -32768, 5, -32768, -2}},
      {CPrimType::Int16, i16, -1, "BlankMethod=7", {4, 32767, 5, 32767, -2}},  // as 3
      {CPrimType::Int16, i16, -1, "BlankMethod=4,FixedBlankValue=-2.6", {4, -3, 5, -3, -2}},
      {CPrimType::Int16, {1, 2}, 2, "BlankMethod=4,FixedBlankValue=-32768", {1, -32768}},
      {CPrimType::Int32, i32, -1, "BlankMethod=3", {i32Max, 5, i32Max, i32Max}},
      {CPrimType::Int32, i32, -1, "BlankMethod=4,FixedBlankValue=0", {0, 5, i32Max, 0}},
      // Compared exactly; a float value compares as the double it reads as.
      {CPrimType::Double, {0.1, 0.1000000001}, 0.1, "BlankMethod=4,FixedBlankValue=-7", {-7, 0.1000000001}},
      {CPrimType::Float, {0.1, 0.5}, f, "BlankMethod=4,FixedBlankValue=-7", {-7, 0.5}},
      // A NaN blank value blanks every NaN; a NaN is no blank of a number.
      {CPrimType::Float, {1, kNaN, -kNaN}, kNaN, "BlankMethod=4,FixedBlankValue=-1", {1, -1, -1}},
      {CPrimType::Double, {kNaN, 2}, kNaN, "BlankMethod=4,FixedBlankValue=-1", {-1, 2}},
      {CPrimType::Double, {kNaN, -1}, -1, "BlankMethod=4,FixedBlankValue=9", {kNaN, 9}},
      // Promoted data: the written type's range and a fixed value beyond 8 bits.
      {CPrimType::UInt8, {200, 0}, 0, "BlankMethod=3", {200, 32767}},
      {CPrimType::UInt8, {200, 0}, 0, "BlankMethod=4,FixedBlankValue=-1000", {200, -1000}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.type << " " << c.options);
    ExportLattice lattice = Blanked(c.type, c.values, c.blank);
    filter.SetOptions(c.options);
    EXPECT_TRUE(SameBytes(ExportBytes(lattice), ExpectedFile(lattice, &c.written)));
    if (c.type != CPrimType::Int16) continue;
    lattice.blanks = false;  // without the flag the blank value is data, the value unchecked
    filter.SetOptions("BlankMethod=4,FixedBlankValue=1e300");
    EXPECT_TRUE(SameBytes(ExportBytes(lattice), ExpectedFile(lattice)));
  }
}

TEST_F(ExportBlanksTest, FixedValueOutsideTheWrittenTypeFailsWithCode27BeforeOpening) {
  const struct {
    std::int32_t type;
    double value;
    const char* typeName;
  } cases[] = {
      {CPrimType::Int16, 32768, "16-bit signed integer"},
      {CPrimType::Int16, -32769, "16-bit signed integer"},
      {CPrimType::Int8, 128, "8-bit signed integer"},
      {CPrimType::UInt16, 2147483648.0, "32-bit signed integer"},
      {CPrimType::Float, -1e39, "32-bit float"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.typeName << " " << c.value);
    filter.SetOptions(("BlankMethod=4,FixedBlankValue=" + FormatNumber(c.value)).c_str());
    ASSERT_EQ(Begin(), hostfw::ExportStatus_Accepted);
    ExpectFilterError([&] { SendHeader(Blanked(c.type, {1, 2}, 2)); }, "",
                      hostfw::ErrCode::DataTypeNotSupported, {std::string(c.typeName)});
    EXPECT_TRUE(DirEntries().empty());
    EXPECT_TRUE(host.beginMessages.empty());
    EXPECT_EQ(filter.EndExportToFile(), hostfw::ExportStatus_Accepted);
  }
}

TEST(ExportOptionsTest, OptionsStringOverSavedOptionsAndSavedBack) {
  const std::string saved = "BlankMethod=1\nFixedBlankValue=9\n";
  const struct {
    std::string saved;
    const char* options;
    std::string session, savedAfter;
  } cases[] = {
      {"BlankMethod=2\n", nullptr, "BlankMethod=2,FixedBlankValue=0", "BlankMethod=2\nFixedBlankValue=0\n"},
      {saved, "FixedBlankValue=3", "BlankMethod=1,FixedBlankValue=3", "BlankMethod=1\nFixedBlankValue=3\n"},
      {saved, "FixedBlankValue=3,Defaults=yes", "BlankMethod=0,FixedBlankValue=3", "BlankMethod=0\nFixedBlankValue=3\n"},
      {saved, "BlankMethod=2,ForgetOptions", "BlankMethod=2,FixedBlankValue=9", saved},
      {"BlankMethod=7\nFixedBlankValue=1.5\n", "", "BlankMethod=3,FixedBlankValue=1.5", "BlankMethod=3\nFixedBlankValue=1.5\n"},
      {"", "BlankMethod=-1", "BlankMethod=3,FixedBlankValue=0", "BlankMethod=3\nFixedBlankValue=0\n"},
      {saved, "BlankMethod=max,FixedBlankValue=lots", "BlankMethod=1,FixedBlankValue=9", saved},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.options == nullptr ? "null" : c.options);
    hostfw::IoManager manager;
    manager.LoadSavedOptions(c.saved);
    LatExportFilter filter(manager);
    filter.SetOptions(c.options);
    EXPECT_EQ(filter.GetOptionsInStringForm(), c.session);
    EXPECT_EQ(manager.SavedOptionsText(), c.savedAfter);
  }
}

}  // namespace
}  // namespace lattest
