// Plain text LAT files: the three geometries, data blocks, value types, progress and a
// host that stops the import.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "tests/import/ImportHarness.h"

namespace lattest {
namespace {

const std::string kMagic = "#!/usr/explorer/bin/explorer cxLattice plain 1.0\n";

class PlainReaderTest : public ImportTest {
 protected:
  hostfw::ImportStatus ImportText(const std::string& body) {
    return Import(WritePlain(kMagic + body));
  }
  const RecordedObject& Object(std::size_t i) const { return host.objects.at(i); }
};

TEST_F(PlainReaderTest, UniformBlocksBecomeLatticesOfTheirOwn) {
  ASSERT_EQ(ImportText("2\n2 2\n1 2 0 2\n0 1 0 3\n1 2 3 4\n5 6 7 8\n"), 0);
  ASSERT_EQ(host.Sequence(), "U S S E U S S E");
  for (std::size_t h : {0u, 4u}) {
    EXPECT_EQ(Object(h).nx, 2);
    EXPECT_EQ(Object(h).ny, 2);
    EXPECT_EQ(Object(h).dataType, 4);
    EXPECT_EQ(Object(h).origin, (std::array<double, 3>{0, 0, 0}));
    EXPECT_EQ(Object(h).spacing, (std::array<double, 3>{1, 3, 0}));
  }
  EXPECT_EQ(Object(5).Values<std::int32_t>(), (std::vector<std::int32_t>{5, 6}));
  EXPECT_EQ(Object(6).Values<std::int32_t>(), (std::vector<std::int32_t>{7, 8}));
  EXPECT_EQ(host.fractions, (std::vector<double>{0, 0}));
}

TEST_F(PlainReaderTest, RectilinearBlocksShareTheGeometry) {
  ASSERT_EQ(ImportText("3\n2 1 2\n2 3 1 2\n0 1\n5\n-1 -2\n"
                       "1 2 3 4\n5 6 7 8\n"
                       "9 10 11 12\n13 14 15 16\n"),
            0);
  ASSERT_EQ(host.Sequence(), "R S S E R S S E");
  for (std::size_t h : {0u, 4u}) {
    EXPECT_EQ(Object(h).numComponents, 2);
    EXPECT_EQ(Object(h).coordType, 7);
    EXPECT_EQ(Object(h).xCoords, (std::vector<float>{0, 1}));
    EXPECT_EQ(Object(h).yCoords, (std::vector<float>{5}));
    EXPECT_EQ(Object(h).zCoords, (std::vector<float>{-1, -2}));
  }
  EXPECT_EQ(Object(0).address, Object(4).address);
  EXPECT_EQ(Object(2).Values<float>(), (std::vector<float>{5, 6, 7, 8}));
  EXPECT_EQ(Object(6).Values<float>(), (std::vector<float>{13, 14, 15, 16}));
}

TEST_F(PlainReaderTest, CurvilinearBlocksSendCoordinatesBeforeEachRow) {
  ASSERT_EQ(ImportText("2\n2 2\n1 4 2 2\n3\n"
                       "0 0 0  1 0 0\n0 1 0  1 1 1\n"
                       "1 2 3 4\n5 6 7 8\n"),
            0);
  ASSERT_EQ(host.Sequence(), "C S S S S E C S S S S E");
  EXPECT_EQ(Object(0).dataType, 8);
  EXPECT_EQ(Object(0).coordType, 7);
  EXPECT_EQ(Object(1).Values<float>(), (std::vector<float>{0, 0, 0, 1, 0, 0}));
  EXPECT_EQ(Object(2).Values<double>(), (std::vector<double>{1, 2}));
  EXPECT_EQ(Object(3).Values<float>(), (std::vector<float>{0, 1, 0, 1, 1, 1}));
  EXPECT_EQ(Object(4).Values<double>(), (std::vector<double>{3, 4}));
  EXPECT_EQ(Object(7).Values<float>(), (std::vector<float>{0, 0, 0, 1, 0, 0}));
  EXPECT_EQ(Object(8).Values<double>(), (std::vector<double>{5, 6}));
  EXPECT_EQ(Object(10).Values<double>(), (std::vector<double>{7, 8}));
}

TEST_F(PlainReaderTest, CurvilinearNodesWithTwoCoordinatesGetZZero) {
  ASSERT_EQ(ImportText("1\n3\n1 3 2 1\n2\n1 2 3 4 5 6\n7 8 9\n"), 0);
  ASSERT_EQ(host.Sequence(), "C S S E");
  EXPECT_EQ(Object(1).Values<float>(), (std::vector<float>{1, 2, 0, 3, 4, 0, 5, 6, 0}));
  EXPECT_EQ(Object(2).Values<float>(), (std::vector<float>{7, 8, 9}));
}

TEST_F(PlainReaderTest, OneDimensionalFilesGiveOneRow) {
  ASSERT_EQ(ImportText("1\n4\n1 3 0 1\n2 8\n1 2 3 4\n"), 0);
  ASSERT_EQ(host.Sequence(), "U S E");
  EXPECT_EQ(Object(0).ny, 1);
  EXPECT_EQ(Object(0).nz, 1);
  EXPECT_EQ(Object(0).origin, (std::array<double, 3>{2, 0, 0}));
  EXPECT_EQ(Object(0).spacing, (std::array<double, 3>{2, 0, 0}));
  host.Clear();
  ASSERT_EQ(ImportText("1\n3\n1 3 1 1\n7 8 9\n1 2 3\n"), 0);
  ASSERT_EQ(host.Sequence(), "R S E");
  EXPECT_EQ(Object(0).xCoords, (std::vector<float>{7, 8, 9}));
  EXPECT_EQ(Object(0).yCoords, (std::vector<float>{0}));
  EXPECT_EQ(Object(0).zCoords, (std::vector<float>{0}));
  EXPECT_EQ(Object(1).Values<float>(), (std::vector<float>{1, 2, 3}));
}

TEST_F(PlainReaderTest, UniformAxisOfOneNodeSpansFirstToLast) {
  ASSERT_EQ(ImportText("3\n1 2 1\n1 3 0 1\n5 7  -1 3  4 4\n1 2\n"), 0);
  EXPECT_EQ(Object(0).origin, (std::array<double, 3>{5, -1, 4}));
  EXPECT_EQ(Object(0).spacing, (std::array<double, 3>{2, 4, 0}));
}

TEST_F(PlainReaderTest, ConvertsValuesToTheDataType) {
  const char* const bodies[] = {
      "1\n4\n1 0 0 1\n0 1\n-1 2.6 300 -300\n",
      "1\n4\n1 1 0 1\n0 1\n-1 2.5 40000 -2.5\n",
      "1\n4\n1 2 0 1\n0 1\n-1 1e3 -2147483649 0.49\n",
  };
  const std::vector<std::vector<std::int64_t>> expected = {
      {-1, 3, 127, -128}, {-1, 3, 32767, -3}, {-1, 1000, -2147483648LL, 0}};
  for (std::size_t t = 0; t < 3; ++t) {
    host.Clear();
    ASSERT_EQ(ImportText(bodies[t]), 0);
    std::vector<std::int64_t> read;
    if (t == 0)
      for (auto v : Object(1).Values<std::int8_t>()) read.push_back(v);
    if (t == 1)
      for (auto v : Object(1).Values<std::int16_t>()) read.push_back(v);
    if (t == 2)
      for (auto v : Object(1).Values<std::int32_t>()) read.push_back(v);
    EXPECT_EQ(read, expected[t]) << bodies[t];
  }
  host.Clear();
  ASSERT_EQ(ImportText("1\n2\n1 4 0 1\n0 1\n0.1 -1e-300\n"), 0);
  EXPECT_EQ(Object(1).Values<double>(), (std::vector<double>{0.1, -1e-300}));
  host.Clear();
  ASSERT_EQ(ImportText("1\n2\n1 3 0 1\n0 1\n0.1 1e39\n"), 0);
  EXPECT_EQ(Object(1).Values<float>()[0], 0.1f);
}

TEST_F(PlainReaderTest, ReportsProgressEveryTenthRowOfEachBlock) {
  std::string body = "2\n1 25\n1 3 0 2\n0 1 0 1\n";
  for (int block = 0; block < 2; ++block)
    for (int row = 0; row < 25; ++row) body += std::to_string(row) + "\n";
  ASSERT_EQ(ImportText(body), 0);
  EXPECT_EQ(host.fractions, (std::vector<double>{0, 0.4, 0.8, 0, 0.4, 0.8}));
  EXPECT_EQ(host.stops, 1);
}

TEST_F(PlainReaderTest, CancelAtAProgressReportStopsTheImport) {
  host.cancelAtProportion = 0;
  EXPECT_EQ(Import(WritePlain(ExamplePlainText())), 1);
  EXPECT_EQ(host.Sequence(), "U S");
  host.Clear();
  EXPECT_EQ(ImportText("1\n2\n1 3 2 1\n3\n0 0 0 1 1 1\n5 6\n"), 1);
  EXPECT_EQ(host.Sequence(), "C S S");
}

TEST_F(PlainReaderTest, StopsAtOnceWhenTheHostRefusesAnObject) {
  const std::string path = WritePlain(ExamplePlainText());
  const char* const expected[] = {"U", "U S", "U S S", "U S S E"};
  for (int refused = 0; refused < 4; ++refused) {
    host.Clear();
    host.refuseObject = refused;
    EXPECT_EQ(Import(path), 1);
    EXPECT_EQ(host.Sequence(), expected[refused]);
  }
  host.Clear();
  host.refuseObject = 3;  // the second block's header
  EXPECT_EQ(ImportText("1\n1\n1 3 1 2\n0\n1\n2\n"), 1);
  EXPECT_EQ(host.Sequence(), "R S E R");
}

TEST_F(PlainReaderTest, BadFirstValueLeavesTheHostWithWhatWasSent) {
  ExpectNumberError(WritePlain(kMagic + "1\n2\n1 3 0 1\n0 1\nx 2\n"), 5);
  EXPECT_EQ(host.Sequence(), "U");
  host.Clear();
  ExpectNumberError(WritePlain(kMagic + "1\n2\n1 3 1 1\n0 1\nx 2\n"), 5);
  EXPECT_EQ(host.Sequence(), "R");
  host.Clear();
  ExpectNumberError(WritePlain(kMagic + "1\n2\n1 3 2 1\n3\n0 0 0 1 1 1\nx 2\n"), 6);
  EXPECT_EQ(host.Sequence(), "C S");
}

TEST_F(PlainReaderTest, StreamsRowsWithoutHoldingTheLattice) {
  // A header that claims a billion rows: rows arrive until the text runs out.
  ExpectNumberError(WritePlain(kMagic + "2\n2 1000000000\n1 3 0 1\n0 1 0 1\n1 2\n3 4\n"), 7);
  EXPECT_EQ(host.Sequence(), "U S S");
}

}  // namespace
}  // namespace lattest
