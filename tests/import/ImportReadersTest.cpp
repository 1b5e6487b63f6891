// Both readers over generated lattices of every geometry, value type, dimension count and
// component count, value by value; progress, a host that stops the import anywhere, and the
// "LatticeInfo" text of each lattice kind.
#include "tests/import/ImportHarness.h"

namespace lattest {
namespace {

namespace bin = lat::binary;

using ImportReadersTest = ImportTest;

TEST_F(ImportReadersTest, EveryGeometryTypeAndShapeArrivesValueByValue) {
  // One node along a given axis; x of 4 nodes, whose spacing differs in single precision.
  const Sample shapes[] = {{0, 0, 1, {5, 1, 1}}, {0, 0, 2, {4, 1, 1}}, {0, 0, 2, {2, 3, 1}},
                           {0, 0, 3, {3, 2, 4}}};
  for (const bool binary : {true, false}) {
    for (std::int32_t kind = 0; kind < 3; ++kind) {
      for (std::int32_t code = 0; code < bin::kValueTypeCount; ++code) {
        for (Sample s : shapes) {
          s.kind = kind, s.code = code, s.components = 1 + code % 2;
          if (!binary) s.blocks = 1 + s.nDim % 2, s.coordVars = 2 + code % 2;
          SCOPED_TRACE(testing::Message() << (binary ? "binary" : "plain") << " kind " << kind
                                          << " code " << code << " nDim " << s.nDim);
          std::string path;
          if (binary) {  // tolerated: CR LF after the magic line, any data dimsRef, a tail
            BinaryLattice lat = s.Binary();
            if (code % 2) lat.magicLine.insert(lat.magicLine.size() - 1, "\r");
            BinaryImage image = EncodeBinary(lat);
            if (code % 2) image.SetInt(BinaryField::DataDimsRef, 9), image.Append({0xFF, 0x0A});
            path = Write(image);
          } else {
            path = Write(s.Plain());
          }
          host.Clear();
          ASSERT_EQ(Import(path), 0);
          ExpectSample(s, binary);
        }
      }
    }
  }
}

// Every tenth row of each block is reported; refusing any object, or cancelling at any
// progress report or at the first message, stops the import right there.
TEST_F(ImportReadersTest, ReportsProgressAndStopsWhereTheHostRefusesOrCancels) {
  for (std::int32_t kind = 0; kind < 3; ++kind) {
    for (const bool binary : {true, false}) {
      const Sample s{kind, 1, 2, {2, 11, 1}, 1, binary ? 1 : 2};
      const std::string path = binary ? Write(EncodeBinary(s.Binary()), "b.lat") : Write(s.Plain());
      host.Clear();
      ASSERT_EQ(Import(path), 0);
      EXPECT_EQ(host.beginMessages, std::vector<std::string>{"Importing Iris Explorer LAT file " +
                                                             path.substr(dir.Path().size() + 1)});
      std::vector<double> fractions = {0, 10.0 / 11};
      if (!binary) fractions.insert(fractions.end(), {0, 10.0 / 11});
      EXPECT_EQ(host.fractions, fractions);
      EXPECT_EQ(host.stops, 1);
      const std::string whole = host.Sequence();
      for (std::size_t k = 0; k <= whole.size() / 2; ++k) {
        SCOPED_TRACE(testing::Message() << (binary ? "binary" : "plain") << " kind " << kind
                                        << " refused " << k);
        host.Clear();
        host.refuseObject = static_cast<int>(k);
        EXPECT_EQ(Import(path), 1);
        EXPECT_EQ(host.Sequence(), whole.substr(0, 2 * k + 1));
      }
      host.refuseObject = RecordingHost::kNever;
      // At the first report the first row has been sent; at the last, all but the end.
      const std::size_t firstRow = kind == bin::kCurvilinear ? 3 : 2;
      for (const std::size_t k : {std::size_t{0}, 2 * std::size_t(s.blocks) - 1}) {
        host.Clear();
        host.cancelAtProportion = static_cast<int>(k);
        EXPECT_EQ(Import(path), 1);
        EXPECT_EQ(host.Sequence(), whole.substr(0, k == 0 ? 2 * firstRow - 1 : whole.size() - 2));
      }
      host.Clear();
      host.cancelAtProportion = RecordingHost::kNever;
      host.cancelAtBegin = true;
      EXPECT_EQ(Import(path), 1);
      EXPECT_TRUE(host.objects.empty());
      EXPECT_EQ(host.stops, 1);
      host.cancelAtBegin = false;
    }
  }
}

TEST_F(ImportReadersTest, SummaryTextOfEachKind) {
  manager.formatName = "Lattice Files";
  const struct {
    const char* body;
    const char* text;
  } cases[] = {
      {"2\n2 3\n2 3 0 1\n-1e-05 1e-05 123456789.123456 123456785.123456\n1 2 3 4 5 6 7 8 9 1 2 3\n",
       "Name:\ts.lat\r\nFormat:\tLattice Files\r\nSamples per pixel:\t2\r\n"
       "Size:\t3 rows x 2 columns x 1 planes\r\nSpacing:\tX=2E-05,   Y=2,   Z=0\r\n"
       "xMin:\t-1E-05\txMax:\t1E-05\r\nyMin:\t123456789.123\tyMax:\t123456785.123\r\n"
       "SW Corner:\t-1E-05, 123456789.123\r\nNW Corner:\t-1E-05, 123456785.123\r\n"
       "NE Corner:\t1E-05, 123456785.123\r\nSE Corner:\t1E-05, 123456789.123\r\n"},
      {"2\n3 2\n1 3 1 1\n0.5 5 0.25\n1024.125 9.5367431640625e-07\n1 2 3 4 5 6\n",
       "Filename:\ts.lat\r\nFormat:\tLattice Files\r\nSize:\t2 rows x 3 columns x 1 planes\r\n"
       "X, Y and Z spacings variate\r\nxMin:\t0.5\txMax:\t0.25\r\n"
       "yMin:\t1024.125\tyMax:\t9.53674316406E-07\r\n"},
      {"2\n4 2\n1 3 2 1\n2\n0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0\n1 2 3 4 5 6 7 8\n",
       "Filename:\ts.lat\r\nFormat:\tLattice Files\r\nSize:\t2 rows x 4 columns x 1 planes\r\n"
       "Regular topology, irregular geometry.\r\nThe lattice may be warped into any "
       "configuration\r\nin which the cells do not overlap or self-intersect.\r\n"},
  };
  for (const auto& c : cases) {
    host.Clear();
    ASSERT_EQ(Import(Write(kPlainMagic + c.body, "s.lat")), 0);
    EXPECT_EQ(host.objects.at(0).paramCount, 1u);
    EXPECT_EQ(host.objects.at(0).latticeInfo, c.text);
  }
}

}  // namespace
}  // namespace lattest
