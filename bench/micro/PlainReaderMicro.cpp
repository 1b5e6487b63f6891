// The plain reader at function level: bytes through Getc, number words through
// ParseNumber, and whole plain imports in words (numbers) per second.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "BenchLattice.h"
#include "MicroFiles.h"
#include "hostbase/BufferedFile.h"
#include "hostbase/Text.h"
#include "tests/support/TempDir.h"

namespace latbench {
namespace {

constexpr Shape kPlainShape{256, 64, 16};  // 262144 values, about 2.8 MB of floats

void PlainImport(benchmark::State& state, PlainValues values) {
  lattest::TempDir dir;
  const std::string path = dir.File("plain.lat");
  WritePlainLattice(path, kPlainShape, 256, values);
  ImportRunner runner;
  for (auto _ : state) runner.Import(path);
  benchmark::DoNotOptimize(runner.host.objects.size());
  const auto imports = static_cast<std::int64_t>(state.iterations());
  state.SetItemsProcessed(imports * kPlainShape.Values());  // words of the data block
  state.SetBytesProcessed(imports * static_cast<std::int64_t>(std::filesystem::file_size(path)));
}

void BM_PlainImportFloats(benchmark::State& state) {
  PlainImport(state, PlainValues::Floats);
}
BENCHMARK(BM_PlainImportFloats)->Unit(benchmark::kMillisecond);

void BM_PlainImportIntegers(benchmark::State& state) {
  PlainImport(state, PlainValues::Integers);
}
BENCHMARK(BM_PlainImportIntegers)->Unit(benchmark::kMillisecond);

// Every byte of a plain file through Getc, as the word reader takes them.
void BM_BufferedGetc(benchmark::State& state) {
  lattest::TempDir dir;
  const std::string path = dir.File("plain.lat");
  WritePlainLattice(path, kPlainShape, 256);
  std::int64_t bytes = 0;
  for (auto _ : state) {
    hostbase::CBufferedFile file(path.c_str(), "rb", 3, false);
    unsigned sum = 0;
    for (int c = file.Getc(); c != -1; c = file.Getc(), ++bytes) sum += static_cast<unsigned>(c);
    benchmark::DoNotOptimize(sum);
  }
  state.SetBytesProcessed(bytes);
}
BENCHMARK(BM_BufferedGetc)->Unit(benchmark::kMillisecond);

// Typical number words of a plain file, recognised and converted.
void BM_ParseNumber(benchmark::State& state) {
  std::vector<std::string> words;
  for (std::int32_t i = 0; i < 4096; ++i) {
    char text[32];
    std::snprintf(text, sizeof text, "%.8g", double{ValueAt(i, i / 7, i / 49)});
    words.emplace_back(text);
  }
  for (auto _ : state) {
    for (const std::string& word : words) {
      double value = 0;
      benchmark::DoNotOptimize(hostbase::ParseNumber(word.data(), word.size(), value));
      benchmark::DoNotOptimize(value);
    }
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * words.size()));
}
BENCHMARK(BM_ParseNumber);

}  // namespace
}  // namespace latbench
