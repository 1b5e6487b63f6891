// Writes the fuzz targets' seed corpora with the tests' writers:   fuzz_seeds OUTDIR
// OUTDIR/import: plain LAT files of every geometry and value type in one to three
// dimensions, and binary ones of every kind from the LAT export; import-vtk: VTK files of
// every kind from the VTK export; export: whole exports of every lattice kind and host
// value type as the export target decodes them; options: options strings and number words.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "export/LatExportFilter.h"
#include "hostfw/IoManager.h"
#include "tests/support/LatBinaryWriter.h"
#include "tests/support/LatPlainWriter.h"
#include "tests/vtk/VtkPattern.h"
#include "vtk/VtkExportFilter.h"

namespace {

namespace fs = std::filesystem;

void Put(const fs::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out.write(bytes.data(), static_cast<std::streamsize>(bytes.size())))
    throw std::runtime_error("cannot write " + path.string());
}

// A plain LAT file: geometry g, value type t, d dimensions of `dims` nodes; coordinates
// as bounds, axes or node positions of 1 to 3 values.
std::string PlainSeed(int g, int t, int d, const std::vector<std::int32_t>& dims) {
  lattest::PlainLattice lat;
  lat.nDim = d;
  lat.dims = dims;
  lat.nDataVar = 1 + (t + d) % 2;
  lat.primType = t;
  lat.geometryType = g;
  lat.nCoordVar = 1 + t % 3;
  lat.valuesPerLine = 5;
  const auto nodes = static_cast<std::size_t>(dims[0] * dims[1] * dims[2]);
  for (int a = 0; a < d && g != 2; ++a) {
    const std::vector<double> axis = g == 0 ? std::vector<double>{0.5 * a, 2.0 + a}
                                            : lattest::Ramp(static_cast<std::size_t>(dims[a]), a);
    lat.geometry.insert(lat.geometry.end(), axis.begin(), axis.end());
  }
  if (g == 2) lat.geometry = lattest::Ramp(nodes * static_cast<std::size_t>(lat.nCoordVar));
  lat.blocks.assign(t == 2 ? 2 : 1,
                    lattest::Ramp(nodes * static_cast<std::size_t>(lat.nDataVar), -5, 3));
  return lattest::PlainLatticeText(lat);
}

// The export target's input: control bytes, options, the interactive flag, commands
// `before`; a header command with its fields, all its scans from a byte pattern, then a
// command.
std::string ExportSeed(int cancelAt, const std::string& options, const std::string& before,
                       int kind, int type, bool blanks, int ny, char last) {
  std::string in{static_cast<char>(cancelAt), 1, static_cast<char>(options.size())};
  in += options + '\0' + before + '\0' + static_cast<char>(kind) + static_cast<char>(23 + 3) +
        static_cast<char>(23 + ny) + static_cast<char>(11 + 2) +
        static_cast<char>(7 + 1 + type % 2) + static_cast<char>(type);
  if (kind != 0) in += static_cast<char>(kind == 1 ? 8 : 7);  // coordinate type
  for (int i = 0; i < (kind == 0 ? 6 : kind == 1 ? 5 + ny : 0); ++i)
    in += static_cast<char>(100 + i);
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
      vtktest::Pattern pattern;
      pattern.kind = kind;
      pattern.type = 3 * kind + variant % 3;
      pattern.components = 1 + variant % 2;
      pattern.nx = 3, pattern.ny = 4, pattern.nz = 3;  // twelve rows: reports at rows 0 and 10
      pattern.blanks = variant >= 2;
      hostfw::IoManager manager;
      ExportFilter filter(manager);
      filter.SetOptions(variant % 2 == 1 ? options : "");
      const fs::path path = dir / ("k" + std::to_string(kind) + "-v" + std::to_string(variant));
      filter.BeginExportToFile(path.string().c_str(), false);
      vtktest::SendPattern(pattern, [&filter](hostfw::TrBase& object) {
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
  try {
    const fs::path out(argv[1]);
    for (const char* sub : {"import", "export", "options", "import-vtk"}) {
      fs::remove_all(out / sub);
      fs::create_directories(out / sub);
    }
    const std::vector<std::int32_t> dims[] = {{4, 1, 1}, {3, 2, 1}, {2, 3, 2}};
    for (int g = 0; g < 3; ++g)
      for (int t = 0; t < 5; ++t)
        Put(out / "import" / ("plain-" + std::to_string(g) + std::to_string(t)),
            PlainSeed(g, t, 1 + (g + t) % 3, dims[(g + t) % 3]));
    // Once with CR LF line ends and comments.
    const std::string text = PlainSeed(1, 4, 3, {2, 4, 3});
    std::string crlf = text.substr(0, text.find('\n')) + "\r\n# sizes\r\n";
    for (char c : text.substr(text.find('\n') + 1))
      crlf += c == '\n' ? " #x\r\n" : std::string(1, c);
    Put(out / "import" / "plain-crlf", crlf);
    WriteExports<LatExportFilter>(out / "import", "BlankMethod=4");
    WriteExports<VtkExportFilter>(out / "import-vtk", "Compress=zlib");
    Put(out / "import-vtk" / "ascii",
        "<VTKFile type=\"ImageData\"><ImageData WholeExtent=\"0 1 0 1 0 0\" Origin=\"0 0 0\" "
        "Spacing=\"1 1 1\"><Piece Extent=\"0 1 0 1 0 0\"><PointData><DataArray type=\"Int16\" "
        "Name=\"a&amp;b\" format=\"ascii\">1 2\n3 4</DataArray></PointData><CellData><DataArray "
        "type=\"Float32\" "
        "format=\"ascii\">0.5</DataArray></CellData></Piece></ImageData></VTKFile>");
    int n = 0;
    const auto exportSeed = [&](const std::string& input) {
      Put(out / "export" / std::to_string(n++), input);
    };
    for (int kind = 0; kind < 3; ++kind) {
      for (int type : {0, 1, 3, 5, 6, 7, 8})
        exportSeed(ExportSeed(255, "", "", kind, type, false, 2, 9));
      exportSeed(ExportSeed(255, "BlankMethod=4,FixedBlankValue=-7", "", kind, 4, true, 3, 9));
      exportSeed(ExportSeed(1, "Defaults", "", kind, 7, false, 12, 9));
      exportSeed(ExportSeed(255, "BlankMethod=2", "\x08", kind, 2, true, 2, 6));
    }
    n = 0;
    // Delimiter, key length and key, then the options string.
    for (const std::string& seed :
         {std::string(",\x0b"
                      "BlankMethodBlankMethod=3,FixedBlankValue=-1.5e3,Defaults,ForgetOptions=off"),
          std::string(",\x0f"
                      "FixedBlankValue Defaults = yes , blankmethod = 7 ,FixedBlankValue=.5"),
          std::string(",\x0d"
                      "ForgetOptionsForgetOptions=TRUE,ForgetOptions=no"),
          std::string(",\x01k-2147483648"), std::string(",\x01k4.9e-324"),
          std::string(",\x01k+12.75E+2"), std::string(",\x01k1e400"), std::string(",\x01k5.")})
      Put(out / "options" / std::to_string(n++), seed);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "fuzz_seeds: %s\n", error.what());
    return 1;
  }
  return 0;
}
