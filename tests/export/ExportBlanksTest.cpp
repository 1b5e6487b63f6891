// Blanked nodes: every blank method, the fixed value's range check (error code 27), exact
// comparison with the blank value and its NaN mend, and lattices without blanks.
#include <cmath>
#include <cstring>
#include <limits>

#include "tests/export/ExportHarness.h"
#include "tests/support/LatPlainWriter.h"

namespace lattest {
namespace {

namespace bin = lat::binary;
using hostbase::CPrimType;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// A one-row lattice with blanks marked by `blank`, data range 0 .. 10.
ExportLattice BlankedLattice(std::int32_t type, std::vector<double> values, double blank) {
  ExportLattice lattice =
      MakeLattice(bin::kUniform, type, static_cast<std::int32_t>(values.size()), 1, 1);
  lattice.values = std::move(values);
  lattice.blanks = true;
  lattice.blankValue = blank;
  lattice.componentMin = {0};
  lattice.componentMax = {10};
  return lattice;
}

using ExportBlanksTest = ExportTest;

TEST_F(ExportBlanksTest, EveryMethodReplacesTheBlankedValues) {
  struct Case {
    const char* options;
    double replacement;
  };
  const Case cases[] = {
      {"BlankMethod=0", 0},
      {"BlankMethod=1", 10},
      {"BlankMethod=2", -32768},
      {"BlankMethod=3", 32767},
      {"BlankMethod=4,FixedBlankValue=300", 300},
      {"BlankMethod=7", 32767},
      {"BlankMethod=4,FixedBlankValue=-2.6", -3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.options);
    const ExportLattice lattice = BlankedLattice(CPrimType::Int16, {4, -1, 5, -1, -2}, -1);
    filter.SetOptions(c.options);
    const std::vector<double> written = {4, c.replacement, 5, c.replacement, -2};
    EXPECT_TRUE(SameBytes(ExportBytes(lattice), ExpectedFile(lattice, &written)));
  }
}

TEST_F(ExportBlanksTest, MinusOneBlanksInInt32WithTypeMaximumAndFixedZero) {
  const ExportLattice lattice =
      BlankedLattice(CPrimType::Int32, {-1, 5, -1, 7, 0, -2, 2147483647, -1}, -1);
  filter.SetOptions("BlankMethod=3");
  std::vector<double> written = {2147483647, 5, 2147483647, 7, 0, -2, 2147483647, 2147483647};
  EXPECT_TRUE(SameBytes(ExportBytes(lattice), ExpectedFile(lattice, &written)));
  filter.SetOptions("BlankMethod=4,FixedBlankValue=0");
  written = {0, 5, 0, 7, 0, -2, 2147483647, 0};
  EXPECT_TRUE(SameBytes(ExportBytes(lattice), ExpectedFile(lattice, &written)));
}

TEST_F(ExportBlanksTest, BlanksAreFoundInEveryRowAndComponent) {
  ExportLattice lattice = MakeLattice(bin::kCurvilinear, CPrimType::Float, 2, 2, 2, 3);
  lattice.blanks = true;
  lattice.blankValue = 5;
  lattice.componentMin = {0, 0, 0};
  lattice.componentMax = {1, 2, 3};
  // Six values per row: blanks in the first, second and fourth rows, first and last
  // components.
  for (std::size_t i : {0, 4, 11, 18, 23}) lattice.values[i] = 5;
  std::vector<double> written = lattice.values;
  for (double& v : written) v = v == 5 ? 3 : v;
  filter.SetOptions("BlankMethod=1");
  EXPECT_TRUE(SameBytes(ExportBytes(lattice), ExpectedFile(lattice, &written)));
}

TEST_F(ExportBlanksTest, WithoutTheBlankFlagTheBlankValueIsData) {
  ExportLattice lattice = BlankedLattice(CPrimType::Int16, {4, -1, 5}, -1);
  lattice.blanks = false;
  filter.SetOptions("BlankMethod=3");
  EXPECT_TRUE(SameBytes(ExportBytes(lattice), ExpectedFile(lattice)));
}

TEST_F(ExportBlanksTest, BlankValueIsComparedExactly) {
  const ExportLattice lattice = BlankedLattice(CPrimType::Double, {0.1, 0.1000000001, 0.2}, 0.1);
  filter.SetOptions("BlankMethod=4,FixedBlankValue=-7");
  const std::vector<double> written = {-7, 0.1000000001, 0.2};
  EXPECT_TRUE(SameBytes(ExportBytes(lattice), ExpectedFile(lattice, &written)));
  // A float value compares as the double it reads as.
  const ExportLattice floats =
      BlankedLattice(CPrimType::Float, {0.1, 0.5}, static_cast<double>(0.1f));
  const std::vector<double> floatsWritten = {-7, 0.5};
  EXPECT_TRUE(SameBytes(ExportBytes(floats), ExpectedFile(floats, &floatsWritten)));
}

TEST_F(ExportBlanksTest, NaNBlankValueBlanksEveryNaN) {
  const ExportLattice lattice = BlankedLattice(CPrimType::Float, {1, kNaN, 3, -kNaN}, kNaN);
  filter.SetOptions("BlankMethod=4,FixedBlankValue=-1");
  const std::vector<double> written = {1, -1, 3, -1};
  EXPECT_TRUE(SameBytes(ExportBytes(lattice), ExpectedFile(lattice, &written)));
  // Double data as well.
  const ExportLattice doubles = BlankedLattice(CPrimType::Double, {kNaN, 2}, kNaN);
  const std::vector<double> doublesWritten = {-1, 2};
  EXPECT_TRUE(SameBytes(ExportBytes(doubles), ExpectedFile(doubles, &doublesWritten)));
}

TEST_F(ExportBlanksTest, NaNValuesStayWhenTheBlankValueIsANumber) {
  const ExportLattice lattice = BlankedLattice(CPrimType::Double, {kNaN, -1, 2}, -1);
  filter.SetOptions("BlankMethod=4,FixedBlankValue=9");
  const std::vector<std::uint8_t> bytes = ExportBytes(lattice);
  ASSERT_EQ(bytes.size(), 193u + 24);
  std::uint64_t bits = 0;
  for (std::size_t i = 0; i < 8; ++i) bits = (bits << 8) | bytes[149 + i];
  double first = 0.0;
  std::memcpy(&first, &bits, 8);
  EXPECT_TRUE(std::isnan(first));
  const std::vector<double> written = {kNaN, 9, 2};
  std::vector<std::uint8_t> expected = ExpectedFile(lattice, &written);
  EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin() + 157, bytes.end()),
            std::vector<std::uint8_t>(expected.begin() + 157, expected.end()));
}

TEST_F(ExportBlanksTest, PromotedDataUsesTheWrittenTypesRange) {
  // 8-bit unsigned data is written as 16-bit signed: type maximum 32767, not 255.
  const ExportLattice lattice = BlankedLattice(CPrimType::UInt8, {200, 0, 255}, 0);
  filter.SetOptions("BlankMethod=3");
  const std::vector<double> written = {200, 32767, 255};
  EXPECT_TRUE(SameBytes(ExportBytes(lattice), ExpectedFile(lattice, &written)));
  // And a fixed value beyond 8 bits is valid for it.
  filter.SetOptions("BlankMethod=4,FixedBlankValue=-1000");
  const std::vector<double> fixed = {200, -1000, 255};
  EXPECT_TRUE(SameBytes(ExportBytes(lattice), ExpectedFile(lattice, &fixed)));
}

TEST_F(ExportBlanksTest, FixedValueOutsideTheWrittenTypeFailsWithCode27) {
  struct Case {
    std::int32_t type;
    double value;
    const char* typeName;
  };
  const Case cases[] = {
      {CPrimType::Int16, 40000, "16-bit signed integer"},
      {CPrimType::Int16, -32769, "16-bit signed integer"},
      {CPrimType::Int8, 128, "8-bit signed integer"},
      {CPrimType::UInt16, 2147483648.0, "32-bit signed integer"},
      {CPrimType::Float, 1e39, "32-bit float"},
      {CPrimType::Float, -1e39, "32-bit float"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.typeName << " " << c.value);
    host.Clear();
    const ExportLattice lattice = BlankedLattice(c.type, {1, 2}, 2);
    filter.SetOptions(("BlankMethod=4,FixedBlankValue=" + FormatNumber(c.value)).c_str());
    ASSERT_EQ(Begin(), hostfw::ExportStatus_Accepted);
    ExpectFilterCode([&] { SendHeader(lattice); }, hostfw::ErrCode::DataTypeNotSupported,
                     {std::string(c.typeName)});
    // Before the output was opened.
    EXPECT_TRUE(DirEntries().empty());
    EXPECT_TRUE(host.beginMessages.empty());
    EXPECT_EQ(filter.EndExportToFile(), hostfw::ExportStatus_Accepted);
  }
}

TEST_F(ExportBlanksTest, FixedValueAtTheTypesLimitsIsValid) {
  for (double value : {-32768.0, 32767.0}) {
    SCOPED_TRACE(value);
    const ExportLattice lattice = BlankedLattice(CPrimType::Int16, {1, 2}, 2);
    filter.SetOptions(("BlankMethod=4,FixedBlankValue=" + FormatNumber(value)).c_str());
    const std::vector<double> written = {1, value};
    EXPECT_TRUE(SameBytes(ExportBytes(lattice), ExpectedFile(lattice, &written)));
  }
}

TEST_F(ExportBlanksTest, FixedValueIsNotCheckedWithoutBlanksOrPage) {
  ExportLattice lattice = BlankedLattice(CPrimType::Int16, {1, 2}, 2);
  lattice.blanks = false;
  filter.SetOptions("BlankMethod=4,FixedBlankValue=40000");
  EXPECT_TRUE(SameBytes(ExportBytes(lattice), ExpectedFile(lattice)));
}

}  // namespace
}  // namespace lattest
