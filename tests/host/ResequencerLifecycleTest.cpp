// The row store's lifecycle (Start, a second Start, Finish) and its refusals: rows outside
// the lattice, bad counts, sizes that overflow, calls the state does not allow, and a
// temporary file that cannot be made or written.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "ResequencerTestRows.h"
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
using restest::Bytes;
using restest::ExpectStoreError;
using restest::PatternRow;

using Args = std::vector<CErrorArg>;

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
