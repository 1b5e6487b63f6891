// lattool's per-value work at function level: the running ranges of info and the JSON
// numbers of dump.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "BenchLattice.h"
#include "JsonWriter.h"
#include "hostbase/PrimType.h"
#include "latclient/ComponentRanges.h"

namespace latbench {
namespace {

std::vector<float> FloatRow(std::int32_t count) {
  std::vector<float> row;
  for (std::int32_t x = 0; x < count; ++x) row.push_back(ValueAt(x, x / 3, x / 11));
  return row;
}

// Ranges of one 512-float row with state.range(0) components per node.
void BM_ComponentRangesFloat(benchmark::State& state) {
  const std::vector<float> row = FloatRow(512);
  latclient::ComponentRanges ranges(hostbase::CPrimType::Float, static_cast<int>(state.range(0)));
  for (auto _ : state) ranges.AddScan(row.data(), row.size() * sizeof(float));
  benchmark::DoNotOptimize(ranges.Max(0));
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * row.size()));
  state.SetBytesProcessed(
      static_cast<std::int64_t>(state.iterations() * row.size() * sizeof(float)));
}
BENCHMARK(BM_ComponentRangesFloat)->Arg(1)->Arg(3);

// Floats as shortest JSON numbers into the writer's buffer (drained to a string).
void BM_JsonFloats(benchmark::State& state) {
  const std::vector<float> row = FloatRow(4096);
  std::string text;
  std::int64_t bytes = 0;
  for (auto _ : state) {
    text.clear();
    {
      lattool::JsonWriter json(text);
      json.BeginArray();
      for (float value : row) json.Number(value);
      json.EndArray();
    }
    bytes += static_cast<std::int64_t>(text.size());
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * row.size()));
  state.SetBytesProcessed(bytes);
}
BENCHMARK(BM_JsonFloats);

}  // namespace
}  // namespace latbench
