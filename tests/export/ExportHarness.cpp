// The transfer objects of test lattices, the files they must become, the shared checks.
#include "tests/export/ExportHarness.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace lattest {
namespace {

using hostbase::CPrimType;

std::size_t Count(std::int32_t n) {
  return static_cast<std::size_t>(n);
}

// Writes `values` as `type` into `destination` (saturated and rounded by the host's rules).
void Store(const std::vector<double>& values, std::size_t first, std::size_t count, int type,
           void* destination) {
  CPrimType::CastArray(CPrimType::Double, values.data() + first, type, destination, count, 1);
}

void AppendFloats(std::vector<float>& to, const std::vector<double>& values) {
  for (double v : values) to.push_back(static_cast<float>(v));
}

namespace bin = lat::binary;

}  // namespace

std::unique_ptr<hostfw::TrLattice> MakeHeader(const ExportLattice& lattice) {
  std::unique_ptr<hostfw::TrLattice> made;
  if (lattice.kind == bin::kUniform) {
    auto uniform = std::make_unique<hostfw::TrUniformLattice>(
        lattice.dataType, lattice.nx, lattice.ny, lattice.nz, lattice.numComponents);
    std::copy(lattice.origin.begin(), lattice.origin.end(), uniform->origin);
    std::copy(lattice.spacing.begin(), lattice.spacing.end(), uniform->spacing);
    made = std::move(uniform);
  } else if (lattice.kind == bin::kRectilinear) {
    auto rect = std::make_unique<hostfw::TrRectilinearLattice>(lattice.coordType, lattice.dataType,
                                                               lattice.nx, lattice.ny, lattice.nz,
                                                               lattice.numComponents);
    if (rect->xCoords != nullptr) {
      Store(lattice.xs, 0, lattice.xs.size(), lattice.coordType, rect->xCoords);
      Store(lattice.ys, 0, lattice.ys.size(), lattice.coordType, rect->yCoords);
      Store(lattice.zs, 0, lattice.zs.size(), lattice.coordType, rect->zCoords);
    }
    made = std::move(rect);
  } else {
    made = std::make_unique<hostfw::TrCurvilinearLattice>(lattice.coordType, lattice.dataType,
                                                          lattice.nx, lattice.ny, lattice.nz,
                                                          lattice.numComponents);
  }
  made->flags = lattice.blanks ? hostfw::TrLattice::kFlagMayHaveBlanks : 0;
  made->blankValue = lattice.blankValue;
  made->componentMin = lattice.componentMin;
  made->componentMax = lattice.componentMax;
  return made;
}

// Scan `s` (a coordinate scan for even s of a curvilinear lattice).
std::unique_ptr<hostfw::TrLatticeScan> MakeScan(const ExportLattice& lattice,
                                                const hostfw::TrLattice& header, std::size_t s) {
  const bool curvilinear = lattice.kind == bin::kCurvilinear;
  const std::size_t row = curvilinear ? s / 2 : s;
  const std::size_t nx = Count(lattice.nx);
  if (curvilinear && s % 2 == 0) {
    auto scan = std::make_unique<hostfw::TrLatticeScan>(3 * lattice.nx *
                                                        CPrimType::TypeSize[lattice.coordType]);
    Store(lattice.nodeCoords, row * nx * 3, nx * 3, lattice.coordType, scan->data);
    return scan;
  }
  auto scan = std::make_unique<hostfw::TrLatticeScan>(header);
  const std::size_t perRow = nx * Count(lattice.numComponents);
  Store(lattice.values, row * perRow, perRow, lattice.dataType, scan->data);
  return scan;
}

std::size_t ExportLattice::ScanCount() const {
  return (kind == lat::binary::kCurvilinear ? 2 : 1) * Count(ny) * Count(nz);
}

ExportLattice MakeLattice(std::int32_t kind, std::int32_t dataType, std::int32_t nx,
                          std::int32_t ny, std::int32_t nz, std::int32_t numComponents) {
  ExportLattice lattice;
  lattice.kind = kind;
  lattice.dataType = dataType;
  lattice.nx = nx;
  lattice.ny = ny;
  lattice.nz = nz;
  lattice.numComponents = numComponents;
  lattice.values = Ramp(Count(nx) * Count(ny) * Count(nz) * Count(numComponents));
  lattice.xs = Ramp(Count(nx), 0.0, 1.5);
  lattice.ys = Ramp(Count(ny), 10.0, 10.0);
  lattice.zs = Ramp(Count(nz), -1.0, -1.0);
  for (std::int32_t k = 0; k < nz; ++k)
    for (std::int32_t j = 0; j < ny; ++j)
      for (std::int32_t i = 0; i < nx; ++i)
        lattice.nodeCoords.insert(lattice.nodeCoords.end(), {i + 0.25 * j, 1.0 * j, 1.0 * k - i});
  return lattice;
}

std::vector<std::uint8_t> ExpectedFile(const ExportLattice& lattice,
                                       const std::vector<double>* values) {
  // The format's promotions of the types it lacks.
  std::int32_t written = lattice.dataType;
  if (written == CPrimType::UInt8) written = CPrimType::Int16;
  if (written == CPrimType::UInt16) written = CPrimType::Int32;
  if (written == CPrimType::UInt32 || written == CPrimType::Int64) written = CPrimType::Double;
  BinaryLattice file;
  file.nDim = 3;
  file.dims = {lattice.nx, lattice.ny, lattice.nz};
  file.nDataVar = lattice.numComponents;
  file.primType = lat::binary::CodeOfPrimType(written);
  file.geometryType = lattice.kind;
  file.values = values != nullptr ? *values : lattice.values;
  if (lattice.kind == lat::binary::kUniform) {
    const std::int32_t counts[3] = {lattice.nx, lattice.ny, lattice.nz};
    for (std::size_t axis = 0; axis < 3; ++axis)  // first and last coordinate per axis
      AppendFloats(file.coords,
                   {lattice.origin[axis],
                    lattice.origin[axis] + (counts[axis] - 1) * lattice.spacing[axis]});
  } else if (lattice.kind == lat::binary::kRectilinear) {
    for (const auto* axis : {&lattice.xs, &lattice.ys, &lattice.zs})
      AppendFloats(file.coords, *axis);
  } else {
    AppendFloats(file.coords, lattice.nodeCoords);
  }
  return EncodeBinary(file).bytes;
}

testing::AssertionResult SameBytes(const std::vector<std::uint8_t>& actual,
                                   const std::vector<std::uint8_t>& expected) {
  if (actual == expected) return testing::AssertionSuccess();
  const std::size_t common = std::min(actual.size(), expected.size());
  std::size_t at = 0;
  while (at < common && actual[at] == expected[at]) ++at;
  testing::AssertionResult failure = testing::AssertionFailure();
  failure << actual.size() << " bytes instead of " << expected.size() << ", first difference at "
          << at;
  if (at < common) failure << ": " << int{actual[at]} << " instead of " << int{expected[at]};
  return failure;
}

std::vector<std::uint8_t> ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

std::int32_t IntAt(const std::vector<std::uint8_t>& bytes, std::size_t offset) {
  std::uint32_t v = 0;
  for (std::size_t i = 0; i < 4; ++i) v = (v << 8) | bytes.at(offset + i);
  return static_cast<std::int32_t>(v);
}

hostfw::ExportStatus ExportTest::SendHeader(const ExportLattice& lattice) {
  header = MakeHeader(lattice);
  return filter.ExportObject(*header);
}

hostfw::ExportStatus ExportTest::SendScans(const ExportLattice& lattice, std::size_t from,
                                           std::size_t to) {
  for (std::size_t s = from; s < to; ++s) {
    const hostfw::ExportStatus status = filter.ExportObject(*MakeScan(lattice, *header, s));
    if (status != hostfw::ExportStatus_Accepted) return status;
  }
  return hostfw::ExportStatus_Accepted;
}

hostfw::ExportStatus ExportTest::SendLattice(const ExportLattice& lattice) {
  hostfw::ExportStatus status = SendHeader(lattice);
  if (status == hostfw::ExportStatus_Accepted) status = SendScans(lattice, 0, lattice.ScanCount());
  hostfw::TrLatticeEnd end;
  if (status == hostfw::ExportStatus_Accepted) status = filter.ExportObject(end);
  return status;
}

std::vector<std::uint8_t> ExportTest::ExportBytes(const ExportLattice& lattice) {
  EXPECT_EQ(Begin(), hostfw::ExportStatus_Accepted);
  EXPECT_EQ(SendLattice(lattice), hostfw::ExportStatus_Accepted);
  EXPECT_EQ(filter.EndExportToFile(), hostfw::ExportStatus_Accepted);
  return ReadFileBytes(out);
}

void ExportTest::ExpectFilterError(const std::function<void()>& action, const std::string& message,
                                   hostfw::ErrCode code,
                                   const std::vector<hostbase::CErrorArg>& args) {
  try {
    action();
    ADD_FAILURE() << "the action returned instead of raising";
  } catch (const hostbase::CError& error) {
    EXPECT_EQ(error.Module(), "LatExportFilter");
    if (!message.empty()) {
      EXPECT_EQ(error.Code(), hostbase::kNoErrorCode);
      EXPECT_TRUE(error.Args().empty());
      EXPECT_EQ(std::string(error.Message()), message);
    } else {
      EXPECT_EQ(error.Code(), static_cast<int>(code));
      EXPECT_EQ(error.Args(), args) << error.Message();
    }
  }
}

std::vector<std::string> ExportTest::DirEntries() const {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir.Path()))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace lattest
