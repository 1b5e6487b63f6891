// libFuzzer's entry point of one fuzz program; LAT_FUZZ_DRIVER names the driver it runs.
#include "fuzz/Fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  latfuzz::LAT_FUZZ_DRIVER(data, size);
  return 0;
}
