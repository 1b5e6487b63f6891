// The row store: it keeps exactly the bytes of every row, in memory and spilled to its
// temporary file, in any order and for each lattice geometry; and its refusals: calls its
// state does not allow, rows outside the lattice, bad counts, sizes that overflow, and a
// temporary file that cannot be made or written.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <functional>
#include <iterator>
#include <random>
#include <string>
#include <variant>
#include <vector>

#include "hostaux/LatticeResequencer.h"
#include "hostbase/Error.h"

#if !defined(_WIN32)
#include <sys/resource.h>
#include <unistd.h>
#include <csignal>
#endif

namespace {

using hostaux::LatticeResequencer;
using hostbase::CErrorArg;
using Args = std::vector<CErrorArg>;
using Bytes = std::vector<std::uint8_t>;

// A row whose every byte depends on (y, z), its place in the row and `salt`, so rows of
// different places, regions or lattices never compare equal.
Bytes PatternRow(std::size_t size, int y, int z, unsigned salt = 0) {
  Bytes row(size);
  std::uint32_t state = 2166136261u ^ (static_cast<std::uint32_t>(y) * 16777619u) ^
                        (static_cast<std::uint32_t>(z) * 2654435761u) ^ (salt * 40503u);
  for (std::size_t i = 0; i < size; ++i) {
    state = state * 1103515245u + 12345u;
    row[i] = static_cast<std::uint8_t>(state >> 16);
  }
  return row;
}

// Runs `call`, expecting a CError from the row store with `code` and `args`.
void ExpectStoreError(const std::function<void()>& call, int code, const Args& args) {
  try {
    call();
    ADD_FAILURE() << "no error raised (expected code " << code << ")";
  } catch (const hostbase::CError& error) {
    EXPECT_EQ(error.Module(), "LatticeResequencer");
    EXPECT_EQ(error.Code(), code) << error.Message();
    EXPECT_EQ(error.Args(), args) << error.Message();
    EXPECT_GT(error.Line(), 0);
    EXPECT_NE(std::string(error.Message()), "");
  }
}

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

// Calls the store's state or the lattice's kind does not allow are refused by name: before
// Start, after Finish, after a Start that failed, and rows or lists the lattice has not.
TEST(ResequencerErrors, CallsTheStateOrTheLatticeDoesNotAllow) {
  Bytes row(64);
  using Call = std::function<void(LatticeResequencer&)>;
  const std::pair<const char*, Call> calls[] = {
      {"WriteRowOfMultiComponentData",
       [&](LatticeResequencer& s) { s.WriteRowOfMultiComponentData(0, 0, row.data()); }},
      {"ReadRowOfMultiComponentData",
       [&](LatticeResequencer& s) { s.ReadRowOfMultiComponentData(0, 0, row.data()); }},
      {"WriteRowOfXYZ", [&](LatticeResequencer& s) { s.WriteRowOfXYZ(0, 0, row.data()); }},
      {"ReadRowOfXYZ", [&](LatticeResequencer& s) { s.ReadRowOfXYZ(0, 0, row.data()); }},
      {"ReadRectilinearYs", [&](LatticeResequencer& s) { s.ReadRectilinearYs(row.data()); }}};
  auto expectRefused = [&](LatticeResequencer& store, std::size_t from) {
    for (std::size_t i = from; i < std::size(calls); ++i)
      ExpectStoreError([&] { calls[i].second(store); }, hostbase::kErrStoreUse,
                       Args{std::string(calls[i].first)});
  };
  LatticeResequencer store;
  expectRefused(store, 0);  // before Start
  store.Start(3, 2, 2, 2, 1, 4, 4, true, true);
  store.WriteRowOfMultiComponentData(1, 1, PatternRow(8, 1, 1).data());
  store.Finish();
  store.Finish();  // a second Finish does nothing
  expectRefused(store, 0);
  EXPECT_EQ(store.GetDataScanlineSize(), 0u);
  store.Start(1, 2, 2, 2, 1, 0, 4, false, true);
  ExpectStoreError([&] { store.Start(1, 2, 0, 2, 1, 0, 4, false, true); }, hostbase::kErrStoreCount,
                   Args{std::string("ny"), std::int64_t{0}});
  expectRefused(store, 0);  // the failed Start left no lattice
  EXPECT_EQ(store.GetDataScanlineSize(), 0u);
  // A uniform lattice has no coordinate rows and no axis lists; null rows are refused.
  store.Start(1, 4, 2, 2, 1, 4, 4, false, true);
  expectRefused(store, 2);
  ExpectStoreError([&] { store.WriteRectilinearXs(row.data()); }, hostbase::kErrStoreUse,
                   Args{std::string("WriteRectilinearXs")});
  ExpectStoreError([&] { store.WriteRowOfMultiComponentData(0, 0, nullptr); },
                   hostbase::kErrStoreUse, Args{std::string(calls[0].first)});
  ExpectStoreError([&] { store.ReadRowOfMultiComponentData(0, 0, nullptr); },
                   hostbase::kErrStoreUse, Args{std::string(calls[1].first)});
  store.Start(2, 4, 2, 2, 1, 4, 4, false, true);
  ExpectStoreError([&] { store.WriteRectilinearZs(nullptr); }, hostbase::kErrStoreUse,
                   Args{std::string("WriteRectilinearZs")});
}

TEST(ResequencerLifecycle, SecondStartDropsTheFirstLattice) {
  for (std::size_t limit : {LatticeResequencer::kDefaultMemoryLimit, std::size_t{0}}) {
    LatticeResequencer store(limit);
    store.Start(2, 4, 3, 2, 2, 4, 4, false, true);
    const Bytes xs = PatternRow(16, 0, 0, 3);
    store.WriteRectilinearXs(xs.data());
    for (int z = 0; z < 2; ++z)
      for (int y = 0; y < 3; ++y)
        store.WriteRowOfMultiComponentData(y, z, PatternRow(32, y, z).data());
    EXPECT_EQ(store.IsSpilled(), limit == 0);

    // The same row length, so stale bytes would show; a smaller lattice of another kind.
    store.Start(2, 8, 2, 2, 1, 4, 4, false, true);
    EXPECT_FALSE(store.IsSpilled());
    EXPECT_EQ(store.GetDataScanlineSize(), 32u);
    EXPECT_EQ(store.GetRectiXCoordsTotalSize(), 32u);
    Bytes row(32, 0xEE), axis(32, 0xEE);
    store.ReadRowOfMultiComponentData(1, 1, row.data());
    EXPECT_EQ(row, Bytes(32, 0));
    store.ReadRectilinearXs(axis.data());
    EXPECT_EQ(axis, Bytes(32, 0));
    ExpectStoreError([&] { store.ReadRowOfMultiComponentData(2, 1, row.data()); },
                     hostbase::kErrStoreRow, Args{std::int64_t{2}, std::int64_t{1}});
  }
}

TEST(ResequencerErrors, RowsOutsideTheLattice) {
  for (std::size_t limit : {LatticeResequencer::kDefaultMemoryLimit, std::size_t{0}}) {
    LatticeResequencer store(limit);
    store.Start(3, 3, 4, 5, 1, 4, 4, true, true);
    Bytes row(36);
    for (auto [y, z] : {std::pair{-1, 0}, std::pair{4, 0}, std::pair{0, -1}, std::pair{0, 5},
                        std::pair{INT_MIN, INT_MAX}}) {
      const Args where{std::int64_t{y}, std::int64_t{z}};
      ExpectStoreError([&] { store.WriteRowOfMultiComponentData(y, z, row.data()); },
                       hostbase::kErrStoreRow, where);
      ExpectStoreError([&] { store.ReadRowOfMultiComponentData(y, z, row.data()); },
                       hostbase::kErrStoreRow, where);
      ExpectStoreError([&] { store.WriteRowOfXYZ(y, z, row.data()); }, hostbase::kErrStoreRow,
                       where);
      ExpectStoreError([&] { store.ReadRowOfXYZ(y, z, row.data()); }, hostbase::kErrStoreRow,
                       where);
    }
    // The corners just inside are rows of the lattice.
    store.WriteRowOfMultiComponentData(3, 4, PatternRow(12, 3, 4).data());
    store.ReadRowOfMultiComponentData(3, 4, row.data());
    EXPECT_EQ(Bytes(row.begin(), row.begin() + 12), PatternRow(12, 3, 4));
    store.WriteRowOfXYZ(0, 0, PatternRow(36, 0, 0).data());
    store.ReadRowOfXYZ(0, 0, row.data());
    EXPECT_EQ(row, PatternRow(36, 0, 0));
  }
}

TEST(ResequencerErrors, CountsBelowOneAndUnknownTypes) {
  struct Case {
    int type, nx, ny, nz, components, coordSize, dataSize;
    bool nodeCoords;
    const char* name;
    int value;
  };
  const Case cases[] = {
      {0, 2, 2, 2, 1, 0, 4, false, "latticeType", 0},
      {4, 2, 2, 2, 1, 4, 4, false, "latticeType", 4},
      {1, 0, 2, 2, 1, 0, 4, false, "nx", 0},
      {1, 2, -3, 2, 1, 0, 4, false, "ny", -3},
      {1, 2, 2, 0, 1, 0, 4, false, "nz", 0},
      {1, 2, 2, 2, 0, 0, 4, false, "numComponents", 0},
      {1, 2, 2, 2, 1, 0, 0, false, "dataSize", 0},
      {1, 2, 2, 2, 1, -1, 4, false, "coordSize", -1},
      {2, 2, 2, 2, 1, 0, 4, false, "coordSize", 0},  // axis lists need a coordinate size
      {3, 2, 2, 2, 1, 0, 4, true, "coordSize", 0},   // so do node coordinate rows
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    LatticeResequencer store;
    ExpectStoreError(
        [&] {
          store.Start(c.type, c.nx, c.ny, c.nz, c.components, c.coordSize, c.dataSize, c.nodeCoords,
                      true);
        },
        hostbase::kErrStoreCount, Args{std::string(c.name), std::int64_t{c.value}});
  }
  // The smallest lattice of each kind is accepted; a uniform one needs no coordinate size.
  LatticeResequencer store;
  store.Start(1, 1, 1, 1, 1, 0, 1, false, true);
  store.Start(2, 1, 1, 1, 1, 1, 1, false, true);
  store.Start(3, 1, 1, 1, 1, 1, 1, true, true);
  EXPECT_EQ(store.GetXYZScanlineSize(), 3u);
}

TEST(ResequencerErrors, SizesThatOverflow) {
  const Args big{std::int64_t{INT_MAX}, std::int64_t{INT_MAX}, std::int64_t{INT_MAX}};
  LatticeResequencer store;
  ExpectStoreError([&] { store.Start(1, INT_MAX, INT_MAX, INT_MAX, INT_MAX, 0, 8, false, true); },
                   hostbase::kErrStoreTooLarge, big);
  // One row alone is too large.
  ExpectStoreError([&] { store.Start(1, INT_MAX, 1, 1, INT_MAX, 0, INT_MAX, false, true); },
                   hostbase::kErrStoreTooLarge,
                   Args{std::int64_t{INT_MAX}, std::int64_t{1}, std::int64_t{1}});
  // 2^60 rows: 5 data bytes and 3 coordinate bytes each fit on their own, not together.
  const int n = 1 << 30;
  const Args huge{std::int64_t{1}, std::int64_t{n}, std::int64_t{n}};
  store.Start(1, 1, n, n, 5, 0, 1, false, true);
  store.Start(3, 1, n, n, 1, 1, 3, false, true);
  ExpectStoreError([&] { store.Start(3, 1, n, n, 5, 1, 1, true, true); },
                   hostbase::kErrStoreTooLarge, huge);
}

#if !defined(_WIN32)

// Lowers one resource limit of this process for the scope and puts it back afterwards.
class ScopedLimit {
 public:
  ScopedLimit(int resource, rlim_t soft) : resource_(resource) {
    getrlimit(resource_, &saved_);
    rlimit lowered = saved_;
    lowered.rlim_cur = soft;
    EXPECT_EQ(setrlimit(resource_, &lowered), 0);
  }
  ~ScopedLimit() { setrlimit(resource_, &saved_); }
  ScopedLimit(const ScopedLimit&) = delete;
  ScopedLimit& operator=(const ScopedLimit&) = delete;

 private:
  int resource_;
  rlimit saved_{};
};

// The lowest free file descriptor: a limit equal to it makes the next open fail.
rlim_t LowestFreeDescriptor() {
  const int fd = dup(0);
  EXPECT_GE(fd, 0);
  close(fd);
  return static_cast<rlim_t>(fd);
}

TEST(ResequencerTempFile, CannotCreateAndRowsStayInMemory) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "the sanitizers check memory through a pipe, which needs the free "
                  "descriptors this test takes away";
#endif
  const std::size_t rowSize = 16;
  LatticeResequencer store(64);
  store.Start(1, 4, 32, 1, 1, 0, 4, false, true);
  int y = 0;
  for (; !store.IsSpilled() && y < 3; ++y)
    store.WriteRowOfMultiComponentData(y, 0, PatternRow(rowSize, y, 0).data());
  ASSERT_FALSE(store.IsSpilled());
  {
    ScopedLimit noFiles(RLIMIT_NOFILE, LowestFreeDescriptor());
    try {
      for (; y < 32; ++y)
        store.WriteRowOfMultiComponentData(y, 0, PatternRow(rowSize, y, 0).data());
      ADD_FAILURE() << "the temporary file was made without a free descriptor";
    } catch (const hostbase::CError& error) {
      EXPECT_EQ(error.Module(), "LatticeResequencer");
      EXPECT_EQ(error.Code(), hostbase::kErrStoreFile);
      ASSERT_EQ(error.Args().size(), 2u);
      EXPECT_EQ(error.Args()[0], CErrorArg(std::string("create")));
      EXPECT_NE(std::get<std::string>(error.Args()[1]), "");
    }
  }
  EXPECT_FALSE(store.IsSpilled());
  // With descriptors again, the same row moves everything to the file and nothing is lost.
  for (; y < 32; ++y) store.WriteRowOfMultiComponentData(y, 0, PatternRow(rowSize, y, 0).data());
  EXPECT_TRUE(store.IsSpilled());
  Bytes row(rowSize);
  for (int i = 0; i < 32; ++i) {
    store.ReadRowOfMultiComponentData(i, 0, row.data());
    EXPECT_EQ(row, PatternRow(rowSize, i, 0)) << i;
  }
}

TEST(ResequencerTempFile, WriteFailureIsRaised) {
  // The file may not grow past 64 KiB; a spilled lattice of 1 MiB cannot be stored.
  const auto previous = std::signal(SIGXFSZ, SIG_IGN);
  {
    ScopedLimit smallFiles(RLIMIT_FSIZE, 64 * 1024);
    LatticeResequencer store(4096);
    store.Start(1, 256, 256, 4, 1, 0, 4, false, true);
    try {
      for (int z = 0; z < 4; ++z)
        for (int y = 0; y < 256; ++y)
          store.WriteRowOfMultiComponentData(y, z, PatternRow(1024, y, z).data());
      // The last rows may still wait in the write-behind window: reading flushes them.
      Bytes row(1024);
      store.ReadRowOfMultiComponentData(0, 0, row.data());
      ADD_FAILURE() << "1 MiB was written past a 64 KiB file size limit";
    } catch (const hostbase::CError& error) {
      EXPECT_EQ(error.Module(), "LatticeResequencer");
      EXPECT_EQ(error.Code(), hostbase::kErrStoreFile);
      ASSERT_EQ(error.Args().size(), 2u);
      EXPECT_EQ(error.Args()[0], CErrorArg(std::string("write")));
      EXPECT_NE(std::string(error.Message()).find("temporary file"), std::string::npos);
    }
    EXPECT_TRUE(store.IsSpilled());
    store.Finish();
  }
  std::signal(SIGXFSZ, previous);
}

#endif

}  // namespace
