// The row store: every row's bytes, in memory and spilled, in any order; and what it refuses.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cstdint>
#include <functional>
#include <random>
#include <string>
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
using Rows = std::vector<std::pair<int, int>>;

// A row whose every byte depends on (y, z), its place in the row and `salt`.
Bytes PatternRow(std::size_t size, int y, int z, unsigned salt = 0) {
  Bytes row(size);
  std::uint32_t state = 2166136261u ^ (static_cast<std::uint32_t>(y) * 16777619u) ^
                        (static_cast<std::uint32_t>(z) * 2654435761u) ^ (salt * 40503u);
  for (auto& byte : row)
    byte = static_cast<std::uint8_t>((state = state * 1103515245u + 12345u) >> 16);
  return row;
}

// Runs `call`, expecting the store's CError with `code` whose arguments begin with `args`.
void ExpectStoreError(const std::function<void()>& call, int code, const Args& args) {
  try {
    call();
    ADD_FAILURE() << "no error raised (expected code " << code << ")";
  } catch (const hostbase::CError& error) {
    EXPECT_EQ(error.Module(), "LatticeResequencer");
    EXPECT_EQ(error.Code(), code) << error.Message();
    const Args& got = error.Args();
    EXPECT_EQ(Args(got.begin(), got.begin() + std::min(got.size(), args.size())), args);
  }
}

struct Shape {
  int type = 1, nx = 7, ny = 5, nz = 4, components = 2, coordSize = 0, dataSize = 4;
  bool nodeCoords = false;
  std::size_t DataRow() const { return std::size_t(nx) * components * dataSize; }
  std::size_t XyzRow() const { return nodeCoords ? std::size_t(nx) * 3 * coordSize : 0; }
  std::size_t Bytes() const { return std::size_t(ny) * nz * (DataRow() + XyzRow()); }
  void Start(LatticeResequencer& store) const {
    store.Start(type, nx, ny, nz, components, coordSize, dataSize, nodeCoords, true);
  }
  // Every (y, z) in export order (y fastest), or shuffled by `seed`.
  Rows All(unsigned seed = 0) const {
    Rows rows;
    for (int z = 0; z < nz; ++z)
      for (int y = 0; y < ny; ++y) rows.emplace_back(y, z);
    if (seed != 0) std::shuffle(rows.begin(), rows.end(), std::mt19937(seed));
    return rows;
  }
  void WriteAll(LatticeResequencer& store, unsigned seed = 0) const {
    for (auto [y, z] : All(seed)) {
      if (nodeCoords) store.WriteRowOfXYZ(y, z, PatternRow(XyzRow(), y, z, 1).data());
      store.WriteRowOfMultiComponentData(y, z, PatternRow(DataRow(), y, z).data());
    }
  }
};

// Data rows were written with salt 0 (9 if in `again`), coordinate rows with salt 1.
void ExpectRows(const LatticeResequencer& store, const Shape& s, const Rows& order,
                const Rows& again = {}) {
  Bytes row(s.DataRow()), xyz(s.XyzRow());
  for (auto [y, z] : order) {
    const bool rewritten = std::count(again.begin(), again.end(), std::pair{y, z}) != 0;
    store.ReadRowOfMultiComponentData(y, z, row.data());
    ASSERT_EQ(row, PatternRow(s.DataRow(), y, z, rewritten ? 9 : 0)) << "row " << y << "," << z;
    if (!s.nodeCoords) continue;
    store.ReadRowOfXYZ(y, z, xyz.data());
    ASSERT_EQ(xyz, PatternRow(s.XyzRow(), y, z, 1)) << "xyz row " << y << "," << z;
  }
}

// Spilled never, on the first row, part way, on the last row; a lattice of exactly the limit.
class StoreLimits : public ::testing::TestWithParam<std::size_t> {};
INSTANTIATE_TEST_SUITE_P(Resequencer, StoreLimits,
                         ::testing::Values(LatticeResequencer::kDefaultMemoryLimit, std::size_t{0},
                                           std::size_t{1000}, Shape{}.Bytes() - 1,
                                           Shape{}.Bytes()));

// Some rows written again: one still in the write-behind window, one far back, the first.
TEST_P(StoreLimits, EveryGeometryRoundTripsInAnyOrder) {
  // type, nx, ny, nz, components, coordSize, dataSize, nodeCoords
  const Shape shapes[] = {
      {}, {2, 9, 6, 3, 1, 4, 8}, {3, 5, 7, 4, 3, 4, 2, true}, {1, 13, 11, 3, 1, 0, 1}};
  for (const Shape& s : shapes) {
    SCOPED_TRACE("type " + std::to_string(s.type));
    LatticeResequencer store(GetParam());
    s.Start(store);
    s.WriteAll(store);
    const Rows again{{s.ny - 1, s.nz - 1}, {3, 0}, {0, 0}};
    for (auto [y, z] : again)
      store.WriteRowOfMultiComponentData(y, z, PatternRow(s.DataRow(), y, z, 9).data());
    EXPECT_EQ(store.IsSpilled(), s.Bytes() > GetParam());
    ExpectRows(store, s, s.All(13), again);
    ExpectRows(store, s, s.All(), again);
  }
}

// The axis lists come back exactly (a guard byte shows the length; z is never written); a
// second Start drops rows and lists of the first lattice.
TEST(Resequencer, AxisListsAndASecondStart) {
  for (std::size_t limit : {LatticeResequencer::kDefaultMemoryLimit, std::size_t{0}}) {
    LatticeResequencer store(limit);
    const Shape first{2, 4, 3, 2, 2, 4, 4};
    first.Start(store);
    const Bytes xs = PatternRow(16, 0, 0, 21), ys = PatternRow(12, 0, 0, 22);
    store.WriteRectilinearXs(xs.data());
    store.WriteRectilinearYs(ys.data());
    first.WriteAll(store);
    const std::pair<Bytes, void (LatticeResequencer::*)(void*) const> lists[] = {
        {xs, &LatticeResequencer::ReadRectilinearXs},
        {ys, &LatticeResequencer::ReadRectilinearYs},
        {Bytes(8, 0), &LatticeResequencer::ReadRectilinearZs}};
    for (const auto& [list, read] : lists) {
      Bytes back(list.size() + 1, 0xAB);
      (store.*read)(back.data());
      EXPECT_EQ(Bytes(back.begin(), back.end() - 1), list);
      EXPECT_EQ(back.back(), 0xAB);
    }
    EXPECT_EQ(store.IsSpilled(), limit == 0);
    // The same row length, so stale bytes would show; a smaller lattice.
    store.Start(2, 8, 2, 2, 1, 4, 4, false, true);
    EXPECT_FALSE(store.IsSpilled());
    Bytes row(32, 0xEE), axis(32, 0xEE);
    store.ReadRowOfMultiComponentData(1, 1, row.data());
    store.ReadRectilinearXs(axis.data());
    EXPECT_EQ(row, Bytes(32, 0));
    EXPECT_EQ(axis, Bytes(32, 0));
    ExpectStoreError([&] { store.ReadRowOfMultiComponentData(2, 1, row.data()); },
                     hostbase::kErrStoreRow, Args{std::int64_t{2}, std::int64_t{1}});
  }
}

// Calls refused by name (before Start, after Finish or a failed Start, parts the lattice has
// not) and rows outside the lattice by place.
TEST(ResequencerErrors, CallsTheStateOrTheLatticeDoesNotAllowAndRowsOutsideIt) {
  Bytes row(64);
  using Call = std::function<void(LatticeResequencer&, int, int)>;
  const std::pair<const char*, Call> calls[] = {
      {"WriteRowOfMultiComponentData",
       [&](auto& s, int y, int z) { s.WriteRowOfMultiComponentData(y, z, row.data()); }},
      {"ReadRowOfMultiComponentData",
       [&](auto& s, int y, int z) { s.ReadRowOfMultiComponentData(y, z, row.data()); }},
      {"WriteRowOfXYZ", [&](auto& s, int y, int z) { s.WriteRowOfXYZ(y, z, row.data()); }},
      {"ReadRowOfXYZ", [&](auto& s, int y, int z) { s.ReadRowOfXYZ(y, z, row.data()); }},
      {"ReadRectilinearYs", [&](auto& s, int, int) { s.ReadRectilinearYs(row.data()); }},
      {"WriteRectilinearXs", [&](auto& s, int, int) { s.WriteRectilinearXs(row.data()); }}};
  auto expectRefused = [&](LatticeResequencer& store, std::size_t from) {
    for (std::size_t i = from; i < std::size(calls); ++i)
      ExpectStoreError([&] { calls[i].second(store, 0, 0); }, hostbase::kErrStoreUse,
                       Args{std::string(calls[i].first)});
  };
  LatticeResequencer store;
  expectRefused(store, 0);  // before Start
  store.Start(3, 3, 4, 5, 1, 4, 4, true, true);
  for (auto [y, z] : Rows{{-1, 0}, {4, 0}, {0, -1}, {0, 5}, {INT_MIN, INT_MAX}})
    for (std::size_t i = 0; i < 4; ++i)
      ExpectStoreError([&] { calls[i].second(store, y, z); }, hostbase::kErrStoreRow,
                       Args{std::int64_t{y}, std::int64_t{z}});
  store.WriteRowOfMultiComponentData(1, 1, PatternRow(12, 1, 1).data());
  store.Finish();
  store.Finish();  // a second Finish does nothing
  expectRefused(store, 0);
  store.Start(1, 2, 2, 2, 1, 0, 4, false, true);
  ExpectStoreError([&] { store.Start(1, 2, 0, 2, 1, 0, 4, false, true); }, hostbase::kErrStoreCount,
                   Args{std::string("ny"), std::int64_t{0}});
  expectRefused(store, 0);  // the failed Start left no lattice
  EXPECT_EQ(store.GetDataScanlineSize(), 0u);
  // A uniform lattice has no coordinate rows and no axis lists; null rows are refused.
  store.Start(1, 4, 2, 2, 1, 4, 4, false, true);
  expectRefused(store, 2);
  ExpectStoreError([&] { store.WriteRowOfMultiComponentData(0, 0, nullptr); },
                   hostbase::kErrStoreUse, Args{std::string(calls[0].first)});
  ExpectStoreError([&] { store.ReadRowOfMultiComponentData(0, 0, nullptr); },
                   hostbase::kErrStoreUse, Args{std::string(calls[1].first)});
}

TEST(ResequencerErrors, CountsBelowOneUnknownTypesAndSizesThatOverflow) {
  // type, nx, ny, nz, components, coordSize, dataSize, nodeCoords; the count named.
  const struct {
    std::array<int, 7> counts;
    bool nodeCoords;
    const char* name;
    int value;
  } cases[] = {
      {{0, 2, 2, 2, 1, 0, 4}, false, "latticeType", 0},
      {{4, 2, 2, 2, 1, 4, 4}, false, "latticeType", 4},
      {{1, 0, 2, 2, 1, 0, 4}, false, "nx", 0},
      {{1, 2, -3, 2, 1, 0, 4}, false, "ny", -3},
      {{1, 2, 2, 0, 1, 0, 4}, false, "nz", 0},
      {{1, 2, 2, 2, 0, 0, 4}, false, "numComponents", 0},
      {{1, 2, 2, 2, 1, 0, 0}, false, "dataSize", 0},
      {{1, 2, 2, 2, 1, -1, 4}, false, "coordSize", -1},
      {{2, 2, 2, 2, 1, 0, 4}, false, "coordSize", 0},  // axis lists need a coordinate size
      {{3, 2, 2, 2, 1, 0, 4}, true, "coordSize", 0},   // so do node coordinate rows
  };
  LatticeResequencer store;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const auto& [type, nx, ny, nz, components, coordSize, dataSize] = c.counts;
    ExpectStoreError(
        [&] { store.Start(type, nx, ny, nz, components, coordSize, dataSize, c.nodeCoords, true); },
        hostbase::kErrStoreCount, Args{std::string(c.name), std::int64_t{c.value}});
  }
  const std::int64_t most = INT_MAX, n = 1 << 30;
  ExpectStoreError([&] { store.Start(1, INT_MAX, INT_MAX, INT_MAX, INT_MAX, 0, 8, false, true); },
                   hostbase::kErrStoreTooLarge, Args{most, most, most});
  // One row alone is too large.
  ExpectStoreError([&] { store.Start(1, INT_MAX, 1, 1, INT_MAX, 0, INT_MAX, false, true); },
                   hostbase::kErrStoreTooLarge, Args{most, std::int64_t{1}, std::int64_t{1}});
  // 2^60 rows: 5 data bytes and 3 coordinate bytes each fit on their own, not together.
  ExpectStoreError([&] { store.Start(3, 1, n, n, 5, 1, 1, true, true); },
                   hostbase::kErrStoreTooLarge, Args{std::int64_t{1}, n, n});
  store.Start(1, 1, n, n, 5, 0, 1, false, true);
  store.Start(3, 1, n, n, 1, 1, 3, false, true);
  // The smallest lattice of each kind is accepted; a uniform one needs no coordinate size.
  store.Start(1, 1, 1, 1, 1, 0, 1, false, true);
  store.Start(2, 1, 1, 1, 1, 1, 1, false, true);
  store.Start(3, 1, 1, 1, 1, 1, 1, true, true);
  EXPECT_EQ(store.GetXYZScanlineSize(), 3u);
}

#if !defined(_WIN32)

// Runs `call` with the soft limit of `resource` lowered to `soft`.
void WithLimit(int resource, rlim_t soft, const std::function<void()>& call) {
  rlimit saved{};
  getrlimit(resource, &saved);
  rlimit lowered = saved;
  lowered.rlim_cur = soft;
  EXPECT_EQ(setrlimit(resource, &lowered), 0);
  call();
  setrlimit(resource, &saved);
}

TEST(ResequencerTempFile, CannotCreateAndRowsStayInMemory) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "the sanitizers check memory through a pipe, which needs the free "
                  "descriptors this test takes away";
#endif
  const Shape s{1, 4, 32, 1, 1, 0, 4};
  LatticeResequencer store(64);
  s.Start(store);
  int y = 0;
  for (; y < 4; ++y) store.WriteRowOfMultiComponentData(y, 0, PatternRow(16, y, 0).data());
  ASSERT_FALSE(store.IsSpilled());
  // A limit equal to the lowest free descriptor makes the next open fail.
  const int fd = dup(0);
  close(fd);
  WithLimit(RLIMIT_NOFILE, static_cast<rlim_t>(fd), [&] {
    ExpectStoreError([&] { store.WriteRowOfMultiComponentData(y, 0, PatternRow(16, y, 0).data()); },
                     hostbase::kErrStoreFile, Args{std::string("create")});
  });
  EXPECT_FALSE(store.IsSpilled());
  // With descriptors again, the same row moves everything to the file and nothing is lost.
  for (; y < 32; ++y) store.WriteRowOfMultiComponentData(y, 0, PatternRow(16, y, 0).data());
  EXPECT_TRUE(store.IsSpilled());
  ExpectRows(store, s, s.All());
}

TEST(ResequencerTempFile, WriteFailureIsRaised) {
  // The file may not grow past 64 KiB; a spilled lattice of 1 MiB cannot be stored.
  const auto previous = std::signal(SIGXFSZ, SIG_IGN);
  const Shape s{1, 256, 256, 4, 1, 0, 4};
  LatticeResequencer store(4096);
  s.Start(store);
  WithLimit(RLIMIT_FSIZE, 64 * 1024, [&] {
    // The last rows may still wait in the write-behind window: reading flushes them.
    ExpectStoreError(
        [&] {
          s.WriteAll(store), ExpectRows(store, s, {{0, 0}});
        },
        hostbase::kErrStoreFile, Args{std::string("write")});
  });
  EXPECT_TRUE(store.IsSpilled());
  std::signal(SIGXFSZ, previous);
}

#endif

}  // namespace
