// Data types the format lacks are promoted with their warning; the data range of a lattice.
#include <cstdint>
#include <cstring>
#include <limits>

#include "tests/export/ExportHarness.h"

namespace lattest {
namespace {

namespace bin = lat::binary;
using hostbase::CPrimType;

struct PromotionCase {
  std::int32_t received;
  std::int32_t primType;  // file value type code written
  const char* warning;    // null: none
};

const PromotionCase kPromotions[] = {
    {CPrimType::Int8, 0, nullptr},
    {CPrimType::UInt8, 1,
     "This file format does not support 8-bit unsigned integer data.  Export will proceed by "
     "converting to 16-bit signed data."},
    {CPrimType::Int16, 1, nullptr},
    {CPrimType::UInt16, 2,
     "This file format does not support 16-bit unsigned integer data.  Export will proceed by "
     "converting to 32-bit signed data."},
    {CPrimType::Int32, 2, nullptr},
    {CPrimType::UInt32, 4,
     "This file format does not support 32-bit unsigned integer data.  Export will proceed by "
     "converting to double-precision floating-point data."},
    {CPrimType::Int64, 4,
     "This file format does not support 64-bit integer data.  Export will proceed by converting "
     "to 64-bit floating-point data.  Some data values may be truncated during conversion."},
    {CPrimType::Float, 3, nullptr},
    {CPrimType::Double, 4, nullptr},
};

using ExportTypesTest = ExportTest;

TEST_F(ExportTypesTest, EveryReceivedTypeIsWrittenAsTheFormatsTypeWithItsWarning) {
  for (const PromotionCase& c : kPromotions) {
    SCOPED_TRACE(c.received);
    host.Clear();
    const ExportLattice lattice = MakeLattice(bin::kUniform, c.received, 2, 2, 1);
    const std::vector<std::uint8_t> bytes = ExportBytes(lattice);
    ASSERT_GT(bytes.size(), 105u);
    EXPECT_EQ(IntAt(bytes, 97), c.primType);
    EXPECT_EQ(IntAt(bytes, 101), c.primType);
    EXPECT_TRUE(SameBytes(bytes, ExpectedFile(lattice)));
    if (c.warning != nullptr)
      EXPECT_EQ(host.warnings, std::vector<std::string>{c.warning});
    else
      EXPECT_TRUE(host.warnings.empty());
  }
}

TEST_F(ExportTypesTest, PromotedValuesKeepTheirValues) {
  struct Case {
    std::int32_t type;
    std::vector<double> values, written;
  };
  const Case cases[] = {
      {CPrimType::UInt8, {0, 200, 255}, {0, 200, 255}},
      {CPrimType::UInt16, {0, 40000, 65535}, {0, 40000, 65535}},
      {CPrimType::UInt32, {0, 3e9, 4294967295.0}, {0, 3e9, 4294967295.0}},
      // 2^53 + 1 has no double: the conversion truncates it to the nearest one.
      {CPrimType::Int64, {-5, 9007199254740993.0, 1e18}, {-5, 9007199254740992.0, 1e18}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.type);
    ExportLattice lattice = MakeLattice(bin::kUniform, c.type, 3, 1, 1);
    lattice.values = c.values;
    if (c.type == CPrimType::Int64) {
      // Doubles cannot carry 2^53 + 1 into the scan; write the 64-bit values directly.
      ASSERT_EQ(Begin(), hostfw::ExportStatus_Accepted);
      ASSERT_EQ(SendHeader(lattice), hostfw::ExportStatus_Accepted);
      hostfw::TrLatticeScan scan(*header);
      const std::int64_t raw[3] = {-5, 9007199254740993, 1000000000000000000};
      std::memcpy(scan.data, raw, sizeof raw);
      ASSERT_EQ(filter.ExportObject(scan), hostfw::ExportStatus_Accepted);
      ASSERT_EQ(filter.EndExportToFile(), hostfw::ExportStatus_Accepted);
      EXPECT_TRUE(SameBytes(ReadFileBytes(out), ExpectedFile(lattice, &c.written)));
    } else {
      EXPECT_TRUE(SameBytes(ExportBytes(lattice), ExpectedFile(lattice, &c.written)));
    }
  }
}

TEST_F(ExportTypesTest, SecondLatticeHeaderGivesNoSecondWarning) {
  const ExportLattice lattice = MakeLattice(bin::kUniform, CPrimType::UInt16, 2, 2, 1);
  ASSERT_EQ(Begin(), hostfw::ExportStatus_Accepted);
  ASSERT_EQ(SendLattice(lattice), hostfw::ExportStatus_Accepted);
  EXPECT_EQ(host.warnings.size(), 1u);
  ExpectFilterMessage([&] { SendHeader(lattice); },
                      "Export of multiple lattices to one Iris LAT file is not supported.");
  EXPECT_EQ(host.warnings.size(), 1u);
  EXPECT_EQ(filter.EndExportToFile(), hostfw::ExportStatus_Accepted);
  // A new export warns again.
  EXPECT_TRUE(SameBytes(ExportBytes(lattice), ExpectedFile(lattice)));
  EXPECT_EQ(host.warnings.size(), 2u);
}

TEST_F(ExportTypesTest, PromoteDataTypeReplacesOnlyTheMissingTypes) {
  for (const PromotionCase& c : kPromotions) {
    SCOPED_TRACE(c.received);
    host.Clear();
    std::int32_t type = c.received;
    filter.PromoteDataType(type);
    EXPECT_EQ(bin::CodeOfPrimType(type), c.primType);
    EXPECT_EQ(host.warnings.size(), c.warning != nullptr ? 1u : 0u);
  }
  std::int32_t unknown = 42;
  filter.PromoteDataType(unknown);
  EXPECT_EQ(unknown, 42);
}

// The value a blanked node gets with method 0 (data minimum) and 1 (data maximum) shows
// the data range the filter computed.
class DataRangeTest : public ExportTest {
 protected:
  std::vector<double> BlankWrittenAs(std::int32_t type, const std::vector<double>& minima,
                                     const std::vector<double>& maxima) {
    std::vector<double> result;
    for (int method : {0, 1}) {
      ExportLattice lattice = MakeLattice(bin::kUniform, type, 1, 1, 1);
      lattice.values = {-99};
      lattice.blanks = true;
      lattice.blankValue = -99;
      lattice.componentMin = minima;
      lattice.componentMax = maxima;
      filter.SetOptions(method == 0 ? "BlankMethod=0" : "BlankMethod=1");
      const std::vector<std::uint8_t> bytes = ExportBytes(lattice);
      if (bytes.size() != 193u + static_cast<std::size_t>(CPrimType::TypeSize[type])) {
        ADD_FAILURE() << "file of " << bytes.size() << " bytes";
        return {};
      }
      double value = 0.0;
      if (type == CPrimType::Double) {
        std::uint64_t bits = 0;
        for (std::size_t i = 0; i < 8; ++i) bits = (bits << 8) | bytes[149 + i];
        std::memcpy(&value, &bits, 8);
      } else {
        value = IntAt(bytes, 149);
      }
      result.push_back(value);
    }
    return result;
  }
};

TEST_F(DataRangeTest, RangeSpansAllComponents) {
  EXPECT_EQ(BlankWrittenAs(CPrimType::Int32, {3, 1}, {5, 9}), (std::vector<double>{1, 9}));
}

TEST_F(DataRangeTest, SingleValueRangeIsInverted) {
  EXPECT_EQ(BlankWrittenAs(CPrimType::Int32, {7}, {7}), (std::vector<double>{8, 7}));
}

TEST_F(DataRangeTest, NegativeMaximaStay) {
  EXPECT_EQ(BlankWrittenAs(CPrimType::Double, {-8, -6}, {-5, -3}), (std::vector<double>{-8, -3}));
}

TEST_F(DataRangeTest, MissingRangesGiveTheExtremeDoubles) {
  const double max = std::numeric_limits<double>::max();
  EXPECT_EQ(BlankWrittenAs(CPrimType::Double, {}, {}), (std::vector<double>{max, -max}));
  // Converted to a 32-bit integer the extremes saturate.
  EXPECT_EQ(BlankWrittenAs(CPrimType::Int32, {}, {}),
            (std::vector<double>{2147483647.0, -2147483648.0}));
}

TEST_F(DataRangeTest, ShorterMaximaAreNotReadPastTheirEnd) {
  EXPECT_EQ(BlankWrittenAs(CPrimType::Int32, {3, 1, 2}, {5}), (std::vector<double>{1, 5}));
}

TEST_F(DataRangeTest, RangeIsConvertedToTheWrittenType) {
  // Rounded to the nearest integer, halves away from zero.
  EXPECT_EQ(BlankWrittenAs(CPrimType::Int32, {-2.5}, {7.4}), (std::vector<double>{-3, 7}));
}

}  // namespace
}  // namespace lattest
