// Generated lattices, the check of their import, and the shared error checks.
#include "tests/import/ImportHarness.h"

#include "hostbase/PrimType.h"

namespace lattest {
namespace {

using hostbase::CPrimType;

// Uniform bounds per axis: a spacing that differs in single precision, a reversed axis.
constexpr float kBounds[3][2] = {{0.1f, 1.0f}, {4.0f, -2.0f}, {0.25f, 7.0f}};

}  // namespace

double Sample::Value(std::size_t i) const {
  const double base = static_cast<double>((i * 37) % 251) - 125.0;
  const double scale[] = {1.0, 257.0, 16843009.0, 1500.0, 1e10};
  return base * scale[code] + (code == 3 ? 0.5 : code == 4 ? 0.25 : 0.0);
}

// The binary form always has three coordinates per node and every rectilinear axis.
std::vector<double> Sample::Geometry(bool binary) const {
  std::vector<double> list;
  if (kind == lat::binary::kCurvilinear) {
    for (std::size_t n = 0; n < Values() / std::size_t(components); ++n)
      for (std::int32_t v = 0; v < (binary ? 3 : coordVars); ++v)
        list.push_back(static_cast<double>(n) * 0.5 + v * 3.0 - 1.0);
    return list;
  }
  for (int a = 0; a < (binary && kind == lat::binary::kRectilinear ? 3 : nDim); ++a)
    for (std::int32_t i = 0; i < (kind == lat::binary::kUniform ? 2 : dims[a]); ++i)
      list.push_back(kind == lat::binary::kUniform ? kBounds[a][i] : 1.5 * i - 10.0 * a + 0.5);
  return list;
}

BinaryLattice Sample::Binary() const {
  BinaryLattice lat;
  lat.nDim = nDim, lat.nDataVar = components, lat.primType = code, lat.geometryType = kind;
  lat.dims.assign(dims.begin(), dims.end());
  for (std::size_t i = 0; i < Values(); ++i) lat.values.push_back(Value(i));
  for (const double c : Geometry(true)) lat.coords.push_back(static_cast<float>(c));
  return lat;
}

std::string Sample::Plain() const {
  PlainLattice lat;
  lat.nDim = nDim, lat.nDataVar = components, lat.primType = code, lat.geometryType = kind;
  lat.dims.assign(dims.begin(), dims.end());
  lat.geometry = Geometry(false);
  lat.nCoordVar = coordVars;
  lat.blocks.resize(std::size_t(blocks));
  for (std::size_t i = 0; i < Values() * lat.blocks.size(); ++i)
    lat.blocks[i / Values()].push_back(Value(i));
  return PlainLatticeText(lat);
}

void ImportTest::ExpectSample(const Sample& s, bool binary) {
  const bool curvilinear = s.kind == lat::binary::kCurvilinear;
  const int dataType = lat::binary::PrimTypeOfCode(s.code);
  std::string sequence;
  for (std::int32_t b = 0; b < s.blocks; ++b) {
    sequence += std::string(b ? " " : "") + "URC"[s.kind];
    for (std::int32_t r = 0; r < s.dims[1] * s.dims[2] * (curvilinear ? 2 : 1); ++r) sequence += " S";
    sequence += " E";
  }
  ASSERT_EQ(host.Sequence(), sequence);
  std::vector<double> values, coords, geometry = s.Geometry(binary);
  for (std::size_t i = 0; i < s.Values() * std::size_t(s.blocks); ++i) values.push_back(s.Value(i));
  EXPECT_EQ(Widened(host.ScanBytes(curvilinear, curvilinear ? 2 : 1), dataType), values);
  if (!binary && s.kind == lat::binary::kRectilinear) geometry.resize(geometry.size() + 3 - s.nDim);
  for (const RecordedObject& h : host.objects) {
    if (!h.IsHeader()) continue;
    EXPECT_EQ((std::vector<int>{h.nx, h.ny, h.nz, h.numComponents, h.dataType, h.hasLatticeInfo}),
              (std::vector<int>{s.dims[0], s.dims[1], s.dims[2], s.components, dataType, 1}));
    if (s.kind == lat::binary::kRectilinear) {  // a plain file's missing axes are 0
      std::vector<double> lists(h.xCoords.begin(), h.xCoords.end());
      lists.insert(lists.end(), h.yCoords.begin(), h.yCoords.end());
      lists.insert(lists.end(), h.zCoords.begin(), h.zCoords.end());
      EXPECT_EQ(lists, geometry);
    }
    for (int a = 0; a < 3 && s.kind == lat::binary::kUniform; ++a) {
      const float first = a < s.nDim ? float(geometry[2 * a]) : 0.0f;
      const float last = a < s.nDim ? float(geometry[2 * a + 1]) : 0.0f;
      const float steps = float(s.dims[a] > 1 ? s.dims[a] - 1 : 1);
      EXPECT_EQ(h.origin[a], first) << a;
      EXPECT_EQ(h.spacing[a], binary ? (last - first) / steps : (double(last) - first) / steps) << a;
    }
  }
  if (!curvilinear) return;
  geometry = s.Geometry(true);
  for (std::size_t i = 2; i < geometry.size() && !binary && s.coordVars == 2; i += 3) geometry[i] = 0;
  for (std::int32_t b = 0; b < s.blocks; ++b)
    coords.insert(coords.end(), geometry.begin(), geometry.end());
  EXPECT_EQ(Widened(host.ScanBytes(0, 2), CPrimType::Float), coords);
}

void ImportTest::ExpectError(const std::string& path, const char* module, hostfw::ErrCode code,
                             const std::vector<hostbase::CErrorArg>& args) {
  try {
    const hostfw::ImportStatus status = filter.ImportFromFile(path.c_str());
    ADD_FAILURE() << "import of " << path << " returned " << status << " instead of raising";
  } catch (const hostbase::CError& error) {
    EXPECT_EQ(error.Module(), module);
    EXPECT_EQ(error.Code(), static_cast<int>(code));
    EXPECT_EQ(error.Args(), args) << error.Message();
  }
}

std::vector<double> Widened(const std::vector<std::uint8_t>& bytes, int type) {
  const auto size = static_cast<std::size_t>(CPrimType::TypeSize[type]);
  std::vector<double> values;
  for (std::size_t at = 0; at + size <= bytes.size(); at += size)
    values.push_back(hostbase::CPrimData::GetWideReal(type, bytes.data() + at));
  return values;
}

}  // namespace lattest
