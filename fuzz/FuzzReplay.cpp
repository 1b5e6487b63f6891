// Replays fuzz inputs through a driver, outside libFuzzer:   fuzz_replay TARGET DIR
// The directory's files are replayed in name order; a failed check aborts, and replaying
// no file at all is an error too.
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
    if (argc == 3 && name == argv[1]) driver = d;
  std::set<fs::path> files;
  std::error_code error;
  for (const fs::directory_entry& entry : fs::directory_iterator(argc == 3 ? argv[2] : "", error))
    if (entry.is_regular_file()) files.insert(entry.path());
  if (driver == nullptr || files.empty()) {
    std::fprintf(stderr,
                 "usage: fuzz_replay import|import-complete|import-vtk|export|options "
                 "DIR (a directory of inputs)\n");
    return 2;
  }
  for (const fs::path& file : files) {
    std::ifstream in(file, std::ios::binary);
    const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
    std::printf("%s %s (%zu bytes)\n", argv[1], file.string().c_str(), bytes.size());
    std::fflush(stdout);
    driver(bytes.data(), bytes.size());
  }
  std::printf("%zu inputs replayed through '%s'\n", files.size(), argv[1]);
  return 0;
}
