// Replays fuzz inputs through a driver, outside libFuzzer:
//   fuzz_replay TARGET PATH...
// Each PATH is a file or a directory whose regular files are replayed in name order. A
// failed check aborts; replaying no file at all is an error too.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>

#include "fuzz/Fuzz.h"

int main(int argc, char** argv) {
  namespace fs = std::filesystem;
  using Driver = void (*)(const std::uint8_t*, std::size_t);
  static constexpr std::pair<std::string_view, Driver> kDrivers[] = {
      {"import", &latfuzz::FuzzImport},
      {"import-complete", &latfuzz::FuzzImportComplete},
      {"import-vtk", &latfuzz::FuzzImportVtk},
      {"export", &latfuzz::FuzzExport},
      {"options", &latfuzz::FuzzOptions}};
  Driver driver = nullptr;
  for (const auto& [name, d] : kDrivers)
    if (argc >= 3 && name == argv[1]) driver = d;
  if (driver == nullptr) {
    std::fprintf(stderr,
                 "usage: fuzz_replay import|import-complete|import-vtk|export|options PATH...\n");
    return 2;
  }
  std::set<fs::path> files;
  std::error_code error;
  for (int i = 2; i < argc; ++i) {
    if (!fs::is_directory(argv[i])) files.insert(argv[i]);
    for (const fs::directory_entry& entry : fs::directory_iterator(argv[i], error))
      if (entry.is_regular_file()) files.insert(entry.path());
  }
  for (const fs::path& file : files) {
    std::ifstream in(file, std::ios::binary);
    const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
    if (!in.good() && !in.eof()) {
      std::fprintf(stderr, "fuzz_replay: cannot read %s\n", file.string().c_str());
      return 2;
    }
    std::printf("%s %s (%zu bytes)\n", argv[1], file.string().c_str(), bytes.size());
    std::fflush(stdout);
    driver(bytes.data(), bytes.size());
  }
  std::printf("%zu inputs replayed through '%s'\n", files.size(), argv[1]);
  return files.empty() ? 2 : 0;
}
