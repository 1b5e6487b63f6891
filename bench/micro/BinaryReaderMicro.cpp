// The binary reader at function level: byte reversal of whole value lists, and whole
// binary imports in bytes per second.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <string>

#include "BenchLattice.h"
#include "MicroFiles.h"
#include "hostaux/ByteOrder.h"
#include "tests/support/TempDir.h"

namespace latbench {
namespace {

// Byte reversal of a 4 MiB list of elements of state.range(0) bytes.
void BM_ByteSwapArray(benchmark::State& state) {
  constexpr std::size_t kBytes = std::size_t{4} << 20;
  const int size = static_cast<int>(state.range(0));
  auto buffer = std::make_unique<unsigned char[]>(kBytes);
  for (std::size_t i = 0; i < kBytes; ++i) buffer[i] = static_cast<unsigned char>(i * 31);
  for (auto _ : state) {
    hostaux::ByteSwapArray(buffer.get(), kBytes / static_cast<std::size_t>(size), size);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kBytes));
}
BENCHMARK(BM_ByteSwapArray)->Arg(2)->Arg(4)->Arg(8);

// Byte reversal while copying rows of 2 KiB (a 512-float row) out of a 64 MiB list, as
// the binary reader fills its scans: the list is read once, the row stays in the cache.
void BM_ByteSwapCopyRows(benchmark::State& state) {
  constexpr std::size_t kBytes = std::size_t{64} << 20;
  constexpr std::size_t kRow = 2048;
  const int size = static_cast<int>(state.range(0));
  auto list = std::make_unique<unsigned char[]>(kBytes);
  for (std::size_t i = 0; i < kBytes; ++i) list[i] = static_cast<unsigned char>(i * 31);
  auto row = std::make_unique<unsigned char[]>(kRow);
  for (auto _ : state) {
    for (std::size_t at = 0; at < kBytes; at += kRow) {
      hostaux::ByteSwapCopy(row.get(), list.get() + at, kRow / static_cast<std::size_t>(size),
                            size);
      benchmark::ClobberMemory();
    }
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kBytes));
}
BENCHMARK(BM_ByteSwapCopyRows)->Arg(2)->Arg(4)->Arg(8);

// A 16 MiB float lattice from the file to the host's scans.
void BM_BinaryImport(benchmark::State& state) {
  constexpr Shape kShape{512, 512, 16};
  lattest::TempDir dir;
  const std::string path = dir.File("binary.lat");
  WriteBinaryLattice(path, kShape);
  ImportRunner runner;
  for (auto _ : state) runner.Import(path);
  benchmark::DoNotOptimize(runner.host.objects.size());
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(std::filesystem::file_size(path)));
}
BENCHMARK(BM_BinaryImport)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace latbench
