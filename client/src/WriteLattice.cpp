// The export from memory: the header with the lattice's geometry and component ranges,
// then each row (a curvilinear lattice's node positions before its values) and the end
// marker, through the export filter.
#include <algorithm>
#include <cstring>
#include <limits>

#include "ProgressRelay.h"
#include "hostbase/PrimType.h"
#include "hostfw/Transfer.h"
#include "latclient/ComponentRanges.h"
#include "latclient/Exporter.h"
#include "latclient/LatticeIo.h"

namespace latclient {

namespace {

constexpr const char* kHost = "latclient";

// Why the lattice cannot be exported as it stands, or empty.
std::string Disagreement(const Lattice& lattice, std::span<const std::byte> values) {
  const std::size_t bytes = Lattice::ValueBytesFor(lattice.dataType, lattice.nx, lattice.ny,
                                                   lattice.nz, lattice.components);
  if (bytes == 0) return "the lattice's counts or data type cannot be held in memory";
  if (values.data() == nullptr || values.size() != bytes) {
    return "the lattice's values take " + std::to_string(values.size()) + " bytes, not " +
           std::to_string(bytes);
  }
  const auto count = [](int n) { return static_cast<std::size_t>(n); };
  if (lattice.kind == Kind::Rectilinear &&
      (lattice.x.size() != count(lattice.nx) || lattice.y.size() != count(lattice.ny) ||
       lattice.z.size() != count(lattice.nz))) {
    return "the axis coordinates do not match the counts";
  }
  if (lattice.kind == Kind::Curvilinear) {
    if (lattice.coords.size() / 3 != lattice.NodeCount() || lattice.coords.size() % 3 != 0) {
      return "the node positions do not match the counts";
    }
    // A row of positions crosses in one scan, whose size is an int.
    if (lattice.nx > std::numeric_limits<int>::max() / 3 / static_cast<int>(sizeof(float))) {
      return "a row of node positions is too long";
    }
  }
  return {};
}

std::unique_ptr<hostfw::TrLattice> MakeHeader(const Lattice& lattice,
                                              std::span<const std::byte> values) {
  using hostbase::CPrimType;
  std::unique_ptr<hostfw::TrLattice> header;
  if (lattice.kind == Kind::Uniform) {
    auto uniform = std::make_unique<hostfw::TrUniformLattice>(
        lattice.dataType, lattice.nx, lattice.ny, lattice.nz, lattice.components);
    std::copy(lattice.origin.begin(), lattice.origin.end(), uniform->origin);
    std::copy(lattice.spacing.begin(), lattice.spacing.end(), uniform->spacing);
    header = std::move(uniform);
  } else if (lattice.kind == Kind::Rectilinear) {
    auto rect = std::make_unique<hostfw::TrRectilinearLattice>(
        CPrimType::Float, lattice.dataType, lattice.nx, lattice.ny, lattice.nz, lattice.components);
    std::memcpy(rect->xCoords, lattice.x.data(), lattice.x.size() * sizeof(float));
    std::memcpy(rect->yCoords, lattice.y.data(), lattice.y.size() * sizeof(float));
    std::memcpy(rect->zCoords, lattice.z.data(), lattice.z.size() * sizeof(float));
    header = std::move(rect);
  } else {
    header = std::make_unique<hostfw::TrCurvilinearLattice>(
        CPrimType::Float, lattice.dataType, lattice.nx, lattice.ny, lattice.nz, lattice.components);
  }
  if (lattice.mayHaveBlanks) header->flags |= hostfw::TrLattice::kFlagMayHaveBlanks;
  header->blankValue = lattice.blankValue;

  // The exporter needs each component's range (blanks and NaN left out) with the header.
  ComponentRanges ranges(lattice.dataType, lattice.components);
  if (lattice.mayHaveBlanks) ranges.SkipBlanks(lattice.blankValue);
  ranges.AddScan(values.data(), values.size());
  for (std::size_t c = 0; c < ranges.Count(); ++c) {
    header->componentMin.push_back(ranges.Min(c));
    header->componentMax.push_back(ranges.Max(c));
  }
  return header;
}

bool SendRows(Exporter& exporter, const Lattice& lattice, std::span<const std::byte> values,
              const hostfw::TrLattice& header) {
  hostfw::TrLatticeScan data(header);
  const std::size_t rowBytes = data.GetSize();
  const std::size_t rows =
      static_cast<std::size_t>(lattice.ny) * static_cast<std::size_t>(lattice.nz);
  const std::size_t positionCount = 3 * static_cast<std::size_t>(lattice.nx);
  std::unique_ptr<hostfw::TrLatticeScan> positions;
  if (lattice.kind == Kind::Curvilinear) {
    positions =
        std::make_unique<hostfw::TrLatticeScan>(static_cast<int>(positionCount * sizeof(float)));
  }
  for (std::size_t row = 0; row < rows; ++row) {
    if (positions) {
      std::memcpy(positions->data, lattice.coords.data() + row * positionCount,
                  positionCount * sizeof(float));
      if (!exporter.Send(*positions)) return false;
    }
    // The filter may change a scan in place (blanks, byte order): it gets a copy.
    std::memcpy(data.data, values.data() + row * rowBytes, rowBytes);
    if (!exporter.Send(data)) return false;
  }
  hostfw::TrLatticeEnd end;
  return exporter.Send(end);
}

}  // namespace

ExportOutcome WriteLattice(const ModuleSet& modules, const std::string& path,
                           const Lattice& lattice, const WriteRequest& request) {
  return WriteLattice(modules.ForExport(path, request.format), path, lattice, request);
}

ExportOutcome WriteLattice(const Module& module, const std::string& path, const Lattice& lattice,
                           const WriteRequest& request) {
  return WriteLattice(
      module, path, lattice,
      {reinterpret_cast<const std::byte*>(lattice.values.Data()), lattice.valueBytes}, request);
}

ExportOutcome WriteLattice(const Module& module, const std::string& path, const Lattice& lattice,
                           std::span<const std::byte> values, const WriteRequest& request) {
  ProgressRelay progress(request.progress);
  Exporter exporter(module, kHost, &progress);
  if (const std::string why = Disagreement(lattice, values); !why.empty()) {
    exporter.Fail(ErrorReport{hostbase::kNoErrorCode, kHost, {}, why + " (" + path + ")"});
    return exporter.End();
  }
  try {
    const std::unique_ptr<hostfw::TrLattice> header = MakeHeader(lattice, values);
    if (exporter.SetOptions(request.options) && exporter.Begin(path) && exporter.Send(*header)) {
      SendRows(exporter, lattice, values, *header);
    }
  } catch (const std::bad_alloc&) {
    exporter.Fail(ErrorReport{hostbase::kNoErrorCode, kHost, {}, "out of memory writing " + path});
  }
  return exporter.End();
}

}  // namespace latclient
