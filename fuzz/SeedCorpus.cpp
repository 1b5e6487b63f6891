// Writes the fuzz targets' seed corpora with the tests' writers:   fuzz_seeds OUTDIR
// OUTDIR/import: binary and plain LAT files of every geometry and value type, one to
// three dimensions; export: whole exports of every lattice kind and host value type as
// the export target decodes them; options: options strings and number words;
// import-vtk: VTK files of every kind from the VTK module's export, and an ascii one.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

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

// Geometry g, value type t, dims nodes per axis of the first d; coordinates as lists of
// bounds, axes (all three in the binary form) or node positions.
void WriteImportSeeds(const fs::path& dir, int g, int t, int d, std::vector<std::int32_t> dims) {
  const auto nodes = static_cast<std::size_t>(dims[0] * dims[1] * dims[2]);
  const std::int32_t components = 1 + (t + d) % 2;
  lattest::BinaryLattice bin;
  lattest::PlainLattice plain;
  bin.nDim = plain.nDim = d;
  bin.dims = plain.dims = dims;
  bin.nDataVar = plain.nDataVar = components;
  bin.primType = plain.primType = t;
  bin.geometryType = plain.geometryType = g;
  bin.values = lattest::Ramp(nodes * static_cast<std::size_t>(components), -5.0, 3.0);
  plain.blocks.assign(t == 2 ? 2 : 1, bin.values);
  plain.nCoordVar = g == 2 ? 1 + t % 3 : 3;
  plain.valuesPerLine = 5;
  for (int a = 0; a < 3; ++a) {
    const std::vector<double> axis =
        g == 0 ? std::vector<double>{0.5 * a, 2.0 + a}
               : lattest::Ramp(static_cast<std::size_t>(dims[a]), a, 0.25);
    if (a < d) plain.geometry.insert(plain.geometry.end(), axis.begin(), axis.end());
    if (a < d || g == 1) bin.coords.insert(bin.coords.end(), axis.begin(), axis.end());
  }
  if (g == 2) {
    bin.coords.clear();
    plain.geometry.clear();
    for (std::size_t n = 0; n < 3 * nodes; ++n) {
      bin.coords.push_back(static_cast<float>(n));
      if (n % 3 < static_cast<std::size_t>(plain.nCoordVar))
        plain.geometry.push_back(static_cast<double>(n));
    }
  }
  const std::string name = "g" + std::to_string(g) + "-t" + std::to_string(t) + "-d" +
                           std::to_string(d) + "-y" + std::to_string(dims[1]);
  const std::vector<std::uint8_t> bytes = lattest::EncodeBinary(bin).bytes;
  Put(dir / ("bin-" + name), std::string(bytes.begin(), bytes.end()));
  std::string text = lattest::PlainLatticeText(plain);
  Put(dir / ("plain-" + name), text);
  if (g != 1 || t != 4) return;
  // Once with CR LF line ends and comments.
  const std::size_t header = text.find('\n');
  std::string crlf = text.substr(0, header) + "\r\n# sizes\r\n";
  for (char c : text.substr(header + 1))
    crlf += c == '\n' ? std::string(" #x\r\n") : std::string(1, c);
  Put(dir / ("plain-crlf-" + name), crlf);
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

void WriteVtkSeeds(const fs::path& dir) {
  for (int kind = 0; kind < 3; ++kind)
    for (int variant = 0; variant < 4; ++variant) {
      vtktest::Pattern pattern;
      pattern.kind = kind;
      pattern.type = 3 * kind + variant % 3;
      pattern.components = 1 + variant % 2;
      pattern.nx = 3, pattern.ny = 2, pattern.nz = 2;
      pattern.blanks = variant >= 2;
      hostfw::IoManager manager;
      VtkExportFilter filter(manager);
      filter.SetOptions(variant % 2 == 1 ? "Compress=zlib" : "");
      const fs::path path = dir / ("k" + std::to_string(kind) + "-v" + std::to_string(variant));
      filter.BeginExportToFile(path.string().c_str(), false);
      vtktest::SendPattern(pattern, [&filter](hostfw::TrBase& object) {
        return static_cast<int>(filter.ExportObject(object));
      });
      filter.EndExportToFile();
    }
  Put(dir / "ascii",
      "<?xml version=\"1.0\"?>\n<VTKFile type=\"RectilinearGrid\" version=\"0.1\">\n"
      "<RectilinearGrid WholeExtent=\"0 1 0 1 0 0\"><Piece Extent=\"0 1 0 1 0 0\">\n"
      "<PointData><DataArray type=\"Int16\" Name=\"a&amp;b&#x41;\" format=\"ascii\">1 2\n3 4"
      "</DataArray></PointData>\n<CellData><DataArray type=\"Float32\" Name=\"c\" "
      "format=\"ascii\">0.5</DataArray></CellData>\n<!-- axes --><Coordinates>\n"
      "<DataArray type=\"Float32\" format=\"ascii\">0 1</DataArray>\n<DataArray type=\"Float64\" "
      "format=\"binary\">AAAAAAAAAAAAAAAAAAAAQA==</DataArray>\n<DataArray type=\"UInt64\" "
      "format=\"ascii\">7</DataArray>\n</Coordinates></Piece></RectilinearGrid></VTKFile>\n");
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
    for (int g = 0; g < 3; ++g) {
      for (int t = 0; t < 5; ++t)
        WriteImportSeeds(out / "import", g, t, 1 + (g + t) % 3, dims[(g + t) % 3]);
      // Twelve rows: progress is reported after rows 0 and 10.
      WriteImportSeeds(out / "import", g, 3, 3, {2, 4, 3});
    }
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
          std::string(",\x01k-2147483648"), std::string(",\x01k2147483648"),
          std::string(",\x01k4.9e-324"), std::string(",\x01k1.7976931348623158e308"),
          std::string(",\x01k-0.0e-0"), std::string(",\x01k+12.75E+2"), std::string(",\x01k1e400"),
          std::string(",\x01k5.")})
      Put(out / "options" / std::to_string(n++), seed);
    WriteVtkSeeds(out / "import-vtk");
  } catch (const std::exception& error) {
    std::fprintf(stderr, "fuzz_seeds: %s\n", error.what());
    return 1;
  }
  return 0;
}
