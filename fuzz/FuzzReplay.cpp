// Replays fuzz inputs through a driver, outside libFuzzer:
//   fuzz_replay TARGET PATH...
// Each PATH is a file or a directory whose regular files are replayed in name order. A
// failed check aborts; replaying no file at all is an error too.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "fuzz/FuzzDrivers.h"

namespace {

namespace fs = std::filesystem;

std::vector<fs::path> InputsOf(const fs::path& path) {
  if (!fs::is_directory(path)) return {path};
  std::vector<fs::path> files;
  for (const fs::directory_entry& entry : fs::directory_iterator(path))
    if (entry.is_regular_file()) files.push_back(entry.path());
  std::sort(files.begin(), files.end());
  return files;
}

std::vector<std::uint8_t> ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path.string());
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: fuzz_replay TARGET PATH...\n");
    return 2;
  }
  const latfuzz::FuzzDriver driver = latfuzz::FindDriver(argv[1]);
  if (driver == nullptr) {
    std::fprintf(stderr, "fuzz_replay: no target '%s'\n", argv[1]);
    return 2;
  }
  std::size_t replayed = 0;
  try {
    for (int i = 2; i < argc; ++i) {
      for (const fs::path& file : InputsOf(argv[i])) {
        const std::vector<std::uint8_t> bytes = ReadAll(file);
        std::printf("%s %s (%zu bytes)\n", argv[1], file.string().c_str(), bytes.size());
        std::fflush(stdout);
        driver(bytes.data(), bytes.size());
        ++replayed;
      }
    }
  } catch (const std::exception& error) {
    std::fprintf(stderr, "fuzz_replay: %s\n", error.what());
    return 2;
  }
  if (replayed == 0) {
    std::fprintf(stderr, "fuzz_replay: no input found\n");
    return 2;
  }
  std::printf("%zu inputs replayed through '%s'\n", replayed, argv[1]);
  return 0;
}
