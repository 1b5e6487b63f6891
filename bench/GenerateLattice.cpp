// lat_bench_data: writes one benchmark lattice of 32-bit floats, binary or plain.
#include <charconv>
#include <cstdio>
#include <cstring>
#include <exception>
#include <string_view>

#include "BenchLattice.h"
#include "formats/LatBinaryFormat.h"

namespace {

bool ParseCount(const char* text, std::int32_t& value) {
  const char* end = text + std::strlen(text);
  const auto [ptr, ec] = std::from_chars(text, end, value);
  return ec == std::errc{} && ptr == end && value >= 1;
}

int Usage() {
  std::fputs("usage: lat_bench_data binary|plain OUT NX NY NZ [VALUES_PER_LINE]\n", stderr);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 6 || argc > 7) return Usage();
  const std::string_view form = argv[1];
  latbench::Shape shape;
  std::int32_t perLine = 256;
  if (!ParseCount(argv[3], shape.nx) || !ParseCount(argv[4], shape.ny) ||
      !ParseCount(argv[5], shape.nz) || (argc == 7 && !ParseCount(argv[6], perLine)))
    return Usage();
  if (shape.Values() * 4 >= lat::binary::kListLimit) {
    std::fputs("lat_bench_data: the value list must stay below 2^31 bytes\n", stderr);
    return 2;
  }
  try {
    if (form == "binary") {
      latbench::WriteBinaryLattice(argv[2], shape);
    } else if (form == "plain") {
      latbench::WritePlainLattice(argv[2], shape, perLine);
    } else {
      return Usage();
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "lat_bench_data: %s\n", e.what());
    return 1;
  }
  return 0;
}
