// The row store keeps exactly the bytes of every row, in memory and spilled to its
// temporary file, in export order and in any other, for each lattice geometry.
#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <random>
#include <vector>

#include "ResequencerTestRows.h"
#include "hostaux/LatticeResequencer.h"

namespace {

using hostaux::LatticeResequencer;
using restest::Bytes;
using restest::PatternRow;

// One lattice of the tests: its counts and how it is stored.
struct Shape {
  int type = 1;
  int nx = 7, ny = 5, nz = 4;
  int components = 2;
  int coordSize = 0;
  int dataSize = 4;
  bool nodeCoords = false;
  std::size_t DataRow() const { return std::size_t(nx) * components * dataSize; }
  std::size_t XyzRow() const { return nodeCoords ? std::size_t(nx) * 3 * coordSize : 0; }
  std::size_t Bytes() const { return std::size_t(ny) * nz * (DataRow() + XyzRow()); }
};

void Start(LatticeResequencer& store, const Shape& s, bool allowSpill = true) {
  store.Start(s.type, s.nx, s.ny, s.nz, s.components, s.coordSize, s.dataSize, s.nodeCoords,
              allowSpill);
}

// Writes every row in export order (y fastest; the coordinate row before the data row).
void WriteInOrder(LatticeResequencer& store, const Shape& s, unsigned salt = 0) {
  for (int z = 0; z < s.nz; ++z) {
    for (int y = 0; y < s.ny; ++y) {
      if (s.nodeCoords) store.WriteRowOfXYZ(y, z, PatternRow(s.XyzRow(), y, z, salt + 1).data());
      store.WriteRowOfMultiComponentData(y, z, PatternRow(s.DataRow(), y, z, salt).data());
    }
  }
}

// Reads every row back in export order (all data rows, then all coordinate rows).
void ExpectAllRows(const LatticeResequencer& store, const Shape& s, unsigned salt = 0) {
  Bytes row(s.DataRow());
  for (int z = 0; z < s.nz; ++z) {
    for (int y = 0; y < s.ny; ++y) {
      store.ReadRowOfMultiComponentData(y, z, row.data());
      ASSERT_EQ(row, PatternRow(s.DataRow(), y, z, salt)) << "data row y " << y << " z " << z;
    }
  }
  if (!s.nodeCoords) return;
  Bytes xyz(s.XyzRow());
  for (int z = 0; z < s.nz; ++z) {
    for (int y = 0; y < s.ny; ++y) {
      store.ReadRowOfXYZ(y, z, xyz.data());
      ASSERT_EQ(xyz, PatternRow(s.XyzRow(), y, z, salt + 1)) << "xyz row y " << y << " z " << z;
    }
  }
}

// (y, z) of every row, shuffled with a fixed seed.
std::vector<std::pair<int, int>> ShuffledRows(const Shape& s, unsigned seed) {
  std::vector<std::pair<int, int>> rows;
  for (int z = 0; z < s.nz; ++z)
    for (int y = 0; y < s.ny; ++y) rows.emplace_back(y, z);
  std::shuffle(rows.begin(), rows.end(), std::mt19937(seed));
  return rows;
}

// Memory limits: everything in memory, spilled on the first row, spilled part way.
class StoreLimits : public ::testing::TestWithParam<std::size_t> {};

INSTANTIATE_TEST_SUITE_P(Resequencer, StoreLimits,
                         ::testing::Values(LatticeResequencer::kDefaultMemoryLimit, std::size_t{0},
                                           std::size_t{1000}));

TEST_P(StoreLimits, ExportOrderRoundTripForEachGeometry) {
  Shape uniform;
  Shape rectilinear{.type = 2, .nx = 9, .ny = 6, .nz = 3, .components = 1, .coordSize = 4,
                    .dataSize = 8};
  Shape curvilinear{
      .type = 3, .nx = 5, .ny = 7, .nz = 4, .components = 3, .coordSize = 4, .dataSize = 2,
      .nodeCoords = true};
  Shape bytes{.type = 1, .nx = 13, .ny = 11, .nz = 3, .components = 1, .dataSize = 1};
  for (const Shape& s : {uniform, rectilinear, curvilinear, bytes}) {
    LatticeResequencer store(GetParam());
    Start(store, s);
    EXPECT_EQ(store.GetDataScanlineSize(), s.DataRow());
    EXPECT_EQ(store.GetXYZScanlineSize(), s.XyzRow());
    WriteInOrder(store, s);
    EXPECT_EQ(store.IsSpilled(), s.Bytes() > GetParam()) << "type " << s.type;
    ExpectAllRows(store, s);
    // A second read-back gives the same bytes (the read-ahead restarts at the first row).
    ExpectAllRows(store, s);
  }
}

TEST_P(StoreLimits, RandomOrderWritesAndReads) {
  const Shape s{.type = 3, .nx = 6, .ny = 9, .nz = 7, .components = 2, .coordSize = 8,
                .dataSize = 4, .nodeCoords = true};
  LatticeResequencer store(GetParam());
  Start(store, s);
  for (auto [y, z] : ShuffledRows(s, 11)) {
    store.WriteRowOfMultiComponentData(y, z, PatternRow(s.DataRow(), y, z).data());
  }
  for (auto [y, z] : ShuffledRows(s, 12)) {
    store.WriteRowOfXYZ(y, z, PatternRow(s.XyzRow(), y, z, 1).data());
  }
  Bytes row(s.DataRow()), xyz(s.XyzRow());
  for (auto [y, z] : ShuffledRows(s, 13)) {
    store.ReadRowOfMultiComponentData(y, z, row.data());
    ASSERT_EQ(row, PatternRow(s.DataRow(), y, z)) << y << "," << z;
    store.ReadRowOfXYZ(y, z, xyz.data());
    ASSERT_EQ(xyz, PatternRow(s.XyzRow(), y, z, 1)) << y << "," << z;
  }
}

TEST_P(StoreLimits, RowWrittenAgainKeepsTheLastBytes) {
  const Shape s{.nx = 4, .ny = 30, .nz = 2, .components = 1, .dataSize = 8};
  LatticeResequencer store(GetParam());
  Start(store, s);
  WriteInOrder(store, s);
  // Rewrites: one still waiting in the write-behind window, one far back, the first row.
  for (auto [y, z] : {std::pair{29, 1}, std::pair{3, 0}, std::pair{0, 0}}) {
    store.WriteRowOfMultiComponentData(y, z, PatternRow(s.DataRow(), y, z, 9).data());
  }
  Bytes row(s.DataRow());
  for (int z = 0; z < s.nz; ++z) {
    for (int y = 0; y < s.ny; ++y) {
      const bool again = (y == 29 && z == 1) || (y == 3 && z == 0) || (y == 0 && z == 0);
      store.ReadRowOfMultiComponentData(y, z, row.data());
      EXPECT_EQ(row, PatternRow(s.DataRow(), y, z, again ? 9 : 0)) << y << "," << z;
    }
  }
}

TEST(Resequencer, LatticeOfExactlyTheLimitStaysInMemory) {
  const Shape s{.nx = 4, .ny = 16, .nz = 4, .components = 1, .dataSize = 4};  // 1024 bytes
  LatticeResequencer exact(s.Bytes());
  Start(exact, s);
  WriteInOrder(exact, s);
  EXPECT_FALSE(exact.IsSpilled());
  ExpectAllRows(exact, s);

  LatticeResequencer oneRowLess(s.Bytes() - s.DataRow());
  Start(oneRowLess, s);
  WriteInOrder(oneRowLess, s);
  EXPECT_TRUE(oneRowLess.IsSpilled());
  ExpectAllRows(oneRowLess, s);
}

TEST(Resequencer, RectilinearAxesRoundTripWhetherRowsSpillOrNot) {
  const Shape s{
      .type = 2, .nx = 6, .ny = 4, .nz = 3, .components = 1, .coordSize = 4, .dataSize = 4};
  for (std::size_t limit : {LatticeResequencer::kDefaultMemoryLimit, std::size_t{0}}) {
    LatticeResequencer store(limit);
    Start(store, s);
    EXPECT_EQ(store.GetRectiXCoordsTotalSize(), 24u);
    EXPECT_EQ(store.GetRectiYCoordsTotalSize(), 16u);
    EXPECT_EQ(store.GetRectiZCoordsTotalSize(), 12u);
    const Bytes xs = PatternRow(24, 0, 0, 21), ys = PatternRow(16, 0, 0, 22);
    store.WriteRectilinearXs(xs.data());
    store.WriteRectilinearYs(ys.data());
    WriteInOrder(store, s);
    EXPECT_EQ(store.IsSpilled(), limit == 0);
    // Guard bytes after each list show that exactly the list's bytes are written.
    Bytes xBack(25, 0xAB), yBack(17, 0xAB), zBack(13, 0xAB);
    store.ReadRectilinearXs(xBack.data());
    store.ReadRectilinearYs(yBack.data());
    store.ReadRectilinearZs(zBack.data());
    EXPECT_EQ(Bytes(xBack.begin(), xBack.end() - 1), xs);
    EXPECT_EQ(Bytes(yBack.begin(), yBack.end() - 1), ys);
    EXPECT_EQ(Bytes(zBack.begin(), zBack.end() - 1), Bytes(12, 0));  // never written
    EXPECT_EQ(xBack.back(), 0xAB);
    EXPECT_EQ(yBack.back(), 0xAB);
    EXPECT_EQ(zBack.back(), 0xAB);
    ExpectAllRows(store, s);
  }
}

TEST(Resequencer, SpilledRowsFarApartLeaveZerosBetween) {
  // A spilled lattice of 128 MiB with three rows written: the file stays sparse.
  LatticeResequencer store(32);
  store.Start(1, 2, 4096, 4096, 1, 0, 8, false, true);
  store.WriteRowOfMultiComponentData(4095, 4095, PatternRow(16, 4095, 4095).data());
  store.WriteRowOfMultiComponentData(17, 2000, PatternRow(16, 17, 2000).data());
  store.WriteRowOfMultiComponentData(0, 0, PatternRow(16, 0, 0).data());
  EXPECT_TRUE(store.IsSpilled());
  Bytes row(16);
  store.ReadRowOfMultiComponentData(17, 2000, row.data());
  EXPECT_EQ(row, PatternRow(16, 17, 2000));
  store.ReadRowOfMultiComponentData(18, 2000, row.data());
  EXPECT_EQ(row, Bytes(16, 0));
  store.ReadRowOfMultiComponentData(4095, 4095, row.data());
  EXPECT_EQ(row, PatternRow(16, 4095, 4095));
  store.ReadRowOfMultiComponentData(0, 0, row.data());
  EXPECT_EQ(row, PatternRow(16, 0, 0));
}

}  // namespace
