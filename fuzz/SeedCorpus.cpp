// Writes the fuzz targets' seed corpora:   fuzz_seeds OUTDIR
// Plain LAT files by the tests' writer, binary LAT and VTK files by the exports, export
// target inputs of every kind and host value type, options strings and number words.
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "export/LatExportFilter.h"
#include "hostfw/IoManager.h"
#include "tests/support/LatBinaryWriter.h"
#include "tests/support/LatPlainWriter.h"
#include "tests/support/TempDir.h"
#include "tests/vtk/VtkPattern.h"
#include "vtk/VtkExportFilter.h"

namespace {

namespace fs = std::filesystem;

// n values start, start + step, ...
std::vector<double> Ramp(std::size_t n, double start = 1.0, double step = 1.0) {
  std::vector<double> v(n);
  for (std::size_t i = 0; i < n; ++i) v[i] = start + step * static_cast<double>(i);
  return v;
}

// A plain LAT file: geometry g, value type t, d dimensions of `dims` nodes; coordinates
// as bounds, axes or node positions of 1 to 3 values.
std::string PlainSeed(int g, int t, int d, const std::vector<std::int32_t>& dims) {
  lattest::PlainLattice lat;
  lat.nDim = d, lat.dims = dims, lat.primType = t, lat.geometryType = g;
  lat.nDataVar = 1 + (t + d) % 2, lat.nCoordVar = 1 + t % 3, lat.valuesPerLine = 5;
  const auto nodes = static_cast<std::size_t>(dims[0] * dims[1] * dims[2]);
  for (int a = 0; a < d && g != 2; ++a) {
    const std::vector<double> axis =
        g == 0 ? std::vector<double>{0.5 * a, 2.0 + a} : Ramp(std::size_t(dims[a]), a);
    lat.geometry.insert(lat.geometry.end(), axis.begin(), axis.end());
  }
  if (g == 2) lat.geometry = Ramp(nodes * std::size_t(lat.nCoordVar));
  lat.blocks.assign(t == 2 ? 2 : 1, Ramp(nodes * std::size_t(lat.nDataVar), -5, 3));
  return lattest::PlainLatticeText(lat);
}

// The export target's input: whether and where the host cancels, options, a header of
// `kind` and `type` with 3 x ny x 1 or 2 nodes, all its scans from a byte pattern, then `last`.
std::string ExportSeed(int kind, int type, int ny, bool blanks, const std::string& options,
                       char last) {
  std::string in{static_cast<char>(ny > 10 ? 1 : 255), 1, static_cast<char>(options.size())};
  in += options + '\0' + '\0' + static_cast<char>(kind) + static_cast<char>(26) +
        static_cast<char>(23 + ny) + static_cast<char>(12 + type % 2) +
        static_cast<char>(8 + type % 2) + static_cast<char>(type);
  if (kind != 0) in += static_cast<char>(kind == 1 ? 8 : 7);  // coordinate type
  for (int i = 0; i < (kind == 0 ? 6 : 0); ++i) in += static_cast<char>(100 + i);
  for (double axis : kind == 1 ? Ramp(std::size_t(4 + ny + type % 2)) : std::vector<double>{})
    in.append(reinterpret_cast<const char*>(&axis), sizeof axis);
  in += std::string{static_cast<char>(blanks), 100, 0, 0, 1, 90, static_cast<char>(190), 5};
  for (int i = 0; i < 600; ++i) in += static_cast<char>(i * 37 + 11);
  return in + last;
}

// What a module's export writes of the VTK tests' pattern: every kind, every host value
// type, one and two components, with and without blanks (the options of odd variants).
template <class ExportFilter>
void WriteExports(const fs::path& dir, const char* options) {
  for (int kind = 0; kind < 3; ++kind)
    for (int variant = 0; variant < 4; ++variant) {
      vtktest::Pattern pattern;  // twelve rows: reports at rows 0 and 10
      pattern.kind = kind, pattern.type = 3 * kind + variant % 3, pattern.blanks = variant >= 2;
      pattern.components = 1 + variant % 2, pattern.nx = 3, pattern.nz = 3;
      hostfw::IoManager manager;
      ExportFilter filter(manager);
      filter.SetOptions(variant % 2 == 1 ? options : "");
      const fs::path path = dir / ("k" + std::to_string(kind) + "-v" + std::to_string(variant));
      filter.BeginExportToFile(path.string().c_str(), false);
      vtktest::PatternLattice(pattern).SendAll([&filter](hostfw::TrBase& object) {
        return static_cast<int>(filter.ExportObject(object));
      });
      filter.EndExportToFile();
    }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: fuzz_seeds OUTDIR\n");
    return 2;
  }
  const fs::path out(argv[1]);
  for (const char* sub : {"import", "export", "options", "import-vtk"}) {
    fs::remove_all(out / sub);
    fs::create_directories(out / sub);
  }
  const auto put = [&out](const std::string& name, const std::string& bytes) {
    lattest::WriteFile((out / name).string(), bytes);
  };
  const std::vector<std::int32_t> dims[] = {{4, 1, 1}, {3, 2, 1}, {2, 3, 2}};
  for (int g = 0; g < 3; ++g)
    for (int t = 0; t < 5; ++t)
      put("import/plain-" + std::to_string(5 * g + t),
          PlainSeed(g, t, 1 + (g + t) % 3, dims[(g + t) % 3]));
  WriteExports<LatExportFilter>(out / "import", "BlankMethod=4");
  WriteExports<VtkExportFilter>(out / "import-vtk", "Compress=zlib");
  // Every kind and host value type; blanks, cancels, options, a stray end marker.
  const std::string options[] = {"", "BlankMethod=4,FixedBlankValue=-7", "Defaults",
                                 "BlankMethod=2"};
  for (int kind = 0; kind < 3; ++kind)
    for (int type = 0; type < 9; ++type)
      put("export/" + std::to_string(9 * kind + type),
          ExportSeed(kind, type, type == 7 ? 12 : 2, type % 3 == 1, options[type % 4],
                     type == 2 ? 6 : 8));
  // Delimiter, key length and key, then the options string.
  int n = 0;
  for (const std::string_view seed :
       {",\13BlankMethodBlankMethod=3,FixedBlankValue=-1.5e3,Defaults,ForgetOptions=off",
        ",\17FixedBlankValue Defaults = yes , blankmethod = 7 ,FixedBlankValue=.5",
        ",\15ForgetOptionsForgetOptions=TRUE,ForgetOptions=no", ",\1k-2147483648", ",\1k4.9e-324",
        ",\1k+12.75E+2", ",\1k1e400", ",\1k5.", ",\1k2147483648"})
    put("options/" + std::to_string(n++), std::string(seed));
  return 0;
}
