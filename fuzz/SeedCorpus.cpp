// Writes the fuzz targets' seed corpora with the tests' LAT writers:
//   fuzz_seeds OUTDIR
// OUTDIR/import holds valid binary and plain files of every geometry, value type and
// dimension count; OUTDIR/import-stop the same files behind the stopping host's control
// bytes; OUTDIR/export whole exports of every lattice kind and host value type, as the
// export target decodes them; OUTDIR/options options strings and number words;
// OUTDIR/import-vtk VTK files of every kind from the VTK module's export (raw and zlib,
// with and without a ghost array) and small ascii and base64 ones.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "formats/LatBinaryFormat.h"
#include "hostfw/IoManager.h"
#include "tests/support/LatBinaryWriter.h"
#include "tests/support/LatPlainWriter.h"
#include "tests/vtk/VtkPattern.h"
#include "vtk/VtkExportFilter.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

struct Shape {
  std::int32_t geometry;
  std::int32_t primType;
  std::int32_t nDim;
  std::vector<std::int32_t> dims;  // all three node counts
  std::int32_t nDataVar;
};

std::int64_t Nodes(const Shape& s) {
  return std::int64_t{s.dims[0]} * s.dims[1] * s.dims[2];
}

// Coordinates of the geometry: bounds per given axis, axis lists (all three in the binary
// form, the given ones in the plain form) or x, y, z per node.
std::vector<double> Geometry(const Shape& s, bool binary, std::int32_t nCoordVar = 3) {
  std::vector<double> coords;
  if (s.geometry == lat::binary::kUniform) {
    for (std::int32_t a = 0; a < s.nDim; ++a) coords.insert(coords.end(), {0.5 * a, 2.0 + a});
  } else if (s.geometry == lat::binary::kRectilinear) {
    const std::int32_t axes = binary ? 3 : s.nDim;
    for (std::int32_t a = 0; a < axes; ++a)
      for (std::int32_t i = 0; i < s.dims[static_cast<std::size_t>(a)]; ++i)
        coords.push_back(a + 0.25 * i * i);
  } else {
    for (std::int64_t n = 0; n < Nodes(s); ++n)
      for (std::int32_t c = 0; c < nCoordVar; ++c) coords.push_back(static_cast<double>(n) + c);
  }
  return coords;
}

std::vector<double> Values(const Shape& s, double start) {
  return lattest::Ramp(static_cast<std::size_t>(Nodes(s) * s.nDataVar), start, 3.0);
}

Bytes BinaryFile(const Shape& s) {
  lattest::BinaryLattice lat;
  lat.nDim = s.nDim;
  lat.dims = s.dims;
  lat.nDataVar = s.nDataVar;
  lat.primType = s.primType;
  lat.geometryType = s.geometry;
  lat.values = Values(s, -5.0);
  for (double c : Geometry(s, true)) lat.coords.push_back(static_cast<float>(c));
  return lattest::EncodeBinary(lat).bytes;
}

std::string PlainFile(const Shape& s, std::size_t blocks) {
  lattest::PlainLattice lat;
  lat.nDim = s.nDim;
  lat.dims = s.dims;
  lat.nDataVar = s.nDataVar;
  lat.primType = s.primType;
  lat.geometryType = s.geometry;
  lat.nCoordVar = 1 + s.primType % 3;
  lat.geometry = Geometry(s, false, lat.nCoordVar);
  for (std::size_t b = 0; b < blocks; ++b)
    lat.blocks.push_back(Values(s, 10.0 * static_cast<double>(b)));
  lat.valuesPerLine = 5;
  return lattest::PlainLatticeText(lat);
}

void Put(const fs::path& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

void Put(const fs::path& path, const Bytes& bytes) {
  Put(path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

std::vector<Shape> Shapes() {
  std::vector<Shape> shapes;
  const std::vector<std::int32_t> dimsByCount[] = {{4, 1, 1}, {3, 2, 1}, {2, 3, 2}};
  for (std::int32_t g = 0; g < 3; ++g)
    for (std::int32_t t = 0; t < 5; ++t)
      for (std::int32_t d = 1; d <= 3; ++d)
        shapes.push_back({g, t, d, dimsByCount[d - 1], 1 + (t + d) % 2});
  // Twelve rows: progress is reported after rows 0 and 10.
  for (std::int32_t g = 0; g < 3; ++g) shapes.push_back({g, 3, 3, {2, 4, 3}, 1});
  return shapes;
}

std::string Name(const Shape& s) {
  return "g" + std::to_string(s.geometry) + "-t" + std::to_string(s.primType) + "-d" +
         std::to_string(s.nDim) + "-" + std::to_string(s.dims[0]) + "x" +
         std::to_string(s.dims[1]) + "x" + std::to_string(s.dims[2]);
}

// Returns the files written, for the stopping host's corpus.
std::vector<std::pair<std::string, Bytes>> WriteImportSeeds(const fs::path& dir) {
  std::vector<std::pair<std::string, Bytes>> files;
  for (const Shape& s : Shapes()) {
    files.emplace_back("bin-" + Name(s), BinaryFile(s));
    const std::string plain = PlainFile(s, s.primType == 2 ? 2 : 1);
    files.emplace_back("plain-" + Name(s), Bytes(plain.begin(), plain.end()));
  }
  lattest::PlainText crlf;
  crlf.UseCrLf(true).Header("plain", "1.0").Comment(" sizes").Numbers({2}).Numbers({3, 2});
  crlf.Numbers({1, 3, 0, 1}).Numbers({0, 1, 10, 20}).Raw("# data\r\n1.5 2.5 3.5 #x\r\n");
  crlf.Numbers({4.5, 5.5, 6.5});
  files.emplace_back("plain-crlf-comments", Bytes(crlf.Text().begin(), crlf.Text().end()));
  for (const auto& [name, bytes] : files) Put(dir / (name + ".lat"), bytes);
  return files;
}

void WriteStopSeeds(const fs::path& dir, const std::vector<std::pair<std::string, Bytes>>& files) {
  const std::uint8_t controls[][2] = {{0, 0}, {0, 1}, {0, 3}, {1, 0}, {1, 1}, {2, 0}, {3 | 4, 2}};
  std::size_t i = 0;
  for (const auto& [name, bytes] : files) {
    if (name.find("-t3-d3") == std::string::npos) continue;  // one value type is enough here
    const std::uint8_t* control = controls[i++ % std::size(controls)];
    Bytes input{control[0], control[1]};
    input.insert(input.end(), bytes.begin(), bytes.end());
    Put(dir / (name + ".in"), input);
  }
}

// An export as the export target decodes it: control bytes, an options string, then the
// commands (header, all scans, end).
class ExportInput {
 public:
  ExportInput(std::uint8_t cancelAtReport, std::string_view options) {
    Append({cancelAtReport, 1, static_cast<std::uint8_t>(options.size())});
    for (char c : options) bytes_.push_back(static_cast<std::uint8_t>(c));
    bytes_.push_back(0);  // not interactive
  }
  // A header: kind, counts, types, geometry (small whole numbers), flags, blank value,
  // scan fields and one component range; then all its scans, filled with a byte pattern.
  ExportInput& Lattice(std::uint8_t kind, std::uint8_t nx, std::uint8_t ny, std::uint8_t nz,
                       std::uint8_t components, std::uint8_t dataType, bool blanks) {
    bytes_.insert(
        bytes_.end(),
        {0, kind, static_cast<std::uint8_t>(23 + nx), static_cast<std::uint8_t>(23 + ny),
         static_cast<std::uint8_t>(11 + nz), static_cast<std::uint8_t>(7 + components), dataType});
    if (kind != 0) bytes_.push_back(kind == 1 ? 8 : 7);  // coordinate type
    const std::size_t geometry = kind == 0 ? 6 : (kind == 1 ? nx + ny + nz : 0);
    for (std::size_t i = 0; i < geometry; ++i) bytes_.push_back(static_cast<std::uint8_t>(100 + i));
    Append({static_cast<std::uint8_t>(blanks ? 1 : 0), 100, 0, 0, 0, 3, 0, 0, 0, 0, 1, 90, 190});
    bytes_.push_back(5);  // every scan
    for (std::size_t i = 0; i < std::size_t{600}; ++i)
      bytes_.push_back(static_cast<std::uint8_t>(i * 37 + 11));
    return *this;
  }
  ExportInput& Command(std::uint8_t command) {
    bytes_.push_back(command);
    return *this;
  }
  const Bytes& Get() const { return bytes_; }

 private:
  void Append(std::initializer_list<std::uint8_t> bytes) {
    for (std::uint8_t b : bytes) bytes_.push_back(b);
  }
  Bytes bytes_;
};

void WriteExportSeeds(const fs::path& dir) {
  std::size_t n = 0;
  const auto put = [&](const ExportInput& input) {
    Put(dir / ("export-" + std::to_string(n++)), input.Get());
  };
  for (std::uint8_t kind = 0; kind < 3; ++kind) {
    for (int type : {0, 1, 3, 5, 6, 7, 8}) {
      const auto t = static_cast<std::uint8_t>(type);
      put(ExportInput(255, "").Lattice(kind, 3, 2, 2, 1 + t % 2, t, false).Command(9));
    }
    put(ExportInput(255, "BlankMethod=4,FixedBlankValue=-7")
            .Lattice(kind, 4, 3, 1, 2, 4, true)
            .Command(9));
    put(ExportInput(1, "Defaults").Lattice(kind, 2, 12, 1, 1, 7, false).Command(9));
    put(ExportInput(255, "BlankMethod=2").Command(8).Lattice(kind, 2, 2, 1, 1, 2, true).Command(6));
  }
  put(ExportInput(255, "").Lattice(0, 2, 2, 1, 1, 7, false).Lattice(1, 2, 2, 1, 1, 7, false));
}

// Delimiter byte, key length and key, then the options string.
void WriteOptionSeeds(const fs::path& dir) {
  const std::pair<std::string_view, std::string_view> seeds[] = {
      {"BlankMethod", "BlankMethod=3,FixedBlankValue=-1.5e3,Defaults,ForgetOptions=off"},
      {"FixedBlankValue", " Defaults = yes , blankmethod = 7 ,FixedBlankValue=.5"},
      {"Defaults", "Defaults"},
      {"ForgetOptions", "ForgetOptions=TRUE,ForgetOptions=no"},
      {"BlankMethod", "-2147483648"},
      {"x", "2147483648"},
      {"FixedBlankValue", "4.9e-324"},
      {"FixedBlankValue", "1.7976931348623158e308"},
      {"FixedBlankValue", "-0.0e-0"},
      {"k", "+12.75E+2"},
      {"k", "1e400"},
      {"k", "5."},
  };
  std::size_t i = 0;
  for (const auto& [key, options] : seeds) {
    std::string input(1, ',');
    input += static_cast<char>(key.size());
    input += key;
    input += options;
    Put(dir / ("options-" + std::to_string(i++)), input);
  }
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
      "format=\"ascii\">0 2</DataArray>\n<DataArray type=\"UInt64\" format=\"ascii\">7</DataArray>"
      "\n</Coordinates></Piece></RectilinearGrid></VTKFile>\n");
  Put(dir / "base64",
      "<VTKFile type=\"ImageData\" byte_order=\"LittleEndian\" header_type=\"UInt32\">\n"
      "<ImageData WholeExtent=\"0 3 0 0 0 0\" Origin=\"0 0 0\" Spacing=\"1 1 1\">\n"
      "<Piece Extent=\"0 3 0 0 0 0\"><PointData><DataArray type=\"UInt8\" Name=\"v\" "
      "format=\"binary\">BAAAAAECAwQ=</DataArray></PointData></Piece></ImageData>\n"
      "<AppendedData encoding=\"base64\">_</AppendedData></VTKFile>\n");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: fuzz_seeds OUTDIR\n");
    return 2;
  }
  try {
    const fs::path out(argv[1]);
    for (const char* sub : {"import", "import-stop", "export", "options", "import-vtk"}) {
      fs::remove_all(out / sub);
      fs::create_directories(out / sub);
    }
    const auto files = WriteImportSeeds(out / "import");
    WriteStopSeeds(out / "import-stop", files);
    WriteExportSeeds(out / "export");
    WriteOptionSeeds(out / "options");
    WriteVtkSeeds(out / "import-vtk");
  } catch (const std::exception& error) {
    std::fprintf(stderr, "fuzz_seeds: %s\n", error.what());
    return 1;
  }
  return 0;
}
