// Cuts each lattice's header and rows to a component and a box of nodes.
#include "latclient/LatticeSubset.h"

#include <algorithm>
#include <cstring>

#include "hostbase/PrimType.h"
#include "latclient/ObjectKinds.h"

namespace latclient {

namespace {

constexpr char kAxes[] = "xyz";

int SizeOf(int type) {
  return hostbase::CPrimType::IsValid(type) ? hostbase::CPrimType::TypeSize[type] : 0;
}

// Axis values [lo, hi) of `size` bytes each from `from` into `to`.
void CopyAxis(const void* from, void* to, int lo, int hi, int size) {
  if (from == nullptr || to == nullptr) return;
  std::memcpy(to, static_cast<const unsigned char*>(from) + static_cast<std::size_t>(lo) * size,
              static_cast<std::size_t>(hi - lo) * size);
}

}  // namespace

SubsetSink::SubsetSink(const Subset& subset, hostfw::IoObjectSink& next, std::optional<int> lattice)
    : subset_(subset), next_(next), lattice_(lattice) {}

SubsetSink::~SubsetSink() = default;

bool SubsetSink::Receive(hostfw::TrBase& object) {
  if (!problem_.empty()) return false;
  const ObjectKind kind = KindOf(object);
  if (IsLatticeHeader(kind)) {
    cutting_ = !lattice_ || seen_ == *lattice_;
    ++seen_;
    if (cutting_) return Open(static_cast<const hostfw::TrLattice&>(object));
  } else if (kind == ObjectKind::Scan && cutting_) {
    return CutScan(static_cast<const hostfw::TrLatticeScan&>(object));
  } else if (kind == ObjectKind::End) {
    cutting_ = false;
  }
  return next_.Receive(object);
}

std::string SubsetSink::Check(const hostfw::TrLattice& lattice) {
  if (subset_.component &&
      (*subset_.component < 0 || *subset_.component >= lattice.numComponents)) {
    return "component " + std::to_string(*subset_.component) + " does not exist: the lattice has " +
           std::to_string(lattice.numComponents) + " (0 to " +
           std::to_string(lattice.numComponents - 1) + ")";
  }
  dims_ = {lattice.nx, lattice.ny, lattice.nz};
  for (std::size_t a = 0; a < 3; ++a) {
    lo_[a] = subset_.begin[a].value_or(0);
    hi_[a] = subset_.end[a].value_or(dims_[a]);
    const std::string nodes = std::to_string(lo_[a]) + ":" + std::to_string(hi_[a]);
    if (lo_[a] < 0 || hi_[a] > dims_[a] || lo_[a] > dims_[a]) {
      return std::string("the box's ") + kAxes[a] + " nodes " + nodes +
             " lie outside the lattice's 0:" + std::to_string(dims_[a]);
    }
    if (lo_[a] >= hi_[a])
      return std::string("the box's ") + kAxes[a] + " nodes " + nodes + " are none";
  }
  return {};
}

bool SubsetSink::Open(const hostfw::TrLattice& lattice) {
  problem_ = Check(lattice);
  if (!problem_.empty()) return false;
  const int nx = hi_[0] - lo_[0], ny = hi_[1] - lo_[1], nz = hi_[2] - lo_[2];
  components_ = lattice.numComponents;
  const int components = subset_.component ? 1 : components_;
  valueSize_ = SizeOf(lattice.dataType);
  scans_ = 0;
  const ObjectKind kind = KindOf(lattice);
  curvilinear_ = kind == ObjectKind::Curvilinear;
  std::unique_ptr<hostfw::TrLattice> header;
  if (kind == ObjectKind::Uniform) {
    const auto& from = static_cast<const hostfw::TrUniformLattice&>(lattice);
    auto uniform =
        std::make_unique<hostfw::TrUniformLattice>(lattice.dataType, nx, ny, nz, components);
    for (std::size_t a = 0; a < 3; ++a) {
      uniform->origin[a] = from.origin[a] + lo_[a] * from.spacing[a];
      uniform->spacing[a] = from.spacing[a];
    }
    header = std::move(uniform);
  } else if (kind == ObjectKind::Rectilinear) {
    const auto& from = static_cast<const hostfw::TrRectilinearLattice&>(lattice);
    auto rect = std::make_unique<hostfw::TrRectilinearLattice>(from.coordType, lattice.dataType, nx,
                                                               ny, nz, components);
    const int size = SizeOf(from.coordType);
    CopyAxis(from.xCoords, rect->xCoords, lo_[0], hi_[0], size);
    CopyAxis(from.yCoords, rect->yCoords, lo_[1], hi_[1], size);
    CopyAxis(from.zCoords, rect->zCoords, lo_[2], hi_[2], size);
    header = std::move(rect);
  } else {
    const auto& from = static_cast<const hostfw::TrCurvilinearLattice&>(lattice);
    header = std::make_unique<hostfw::TrCurvilinearLattice>(from.coordType, lattice.dataType, nx,
                                                            ny, nz, components);
    coordSize_ = SizeOf(from.coordType);
    coords_ = std::make_unique<hostfw::TrLatticeScan>(3 * nx * coordSize_);
  }
  header->params = lattice.params;
  header->flags = lattice.flags;
  header->blankValue = lattice.blankValue;
  header->scanMode = lattice.scanMode;
  header->scanParam = lattice.scanParam;
  const auto pick = [this](const std::vector<double>& all) {
    if (!subset_.component || all.size() != static_cast<std::size_t>(components_)) return all;
    return std::vector<double>{all[static_cast<std::size_t>(*subset_.component)]};
  };
  header->componentMin = pick(lattice.componentMin);
  header->componentMax = pick(lattice.componentMax);
  data_ = std::make_unique<hostfw::TrLatticeScan>(*header);
  return next_.Receive(*header);
}

// Row r (y fastest, then z) of the lattice; a curvilinear lattice sends each row's
// coordinates before its data.
bool SubsetSink::CutScan(const hostfw::TrLatticeScan& scan) {
  const hostfw::ScanOrder order{curvilinear_};
  const bool coordinates = order.IsCoordinateScan(scans_);
  const long long row = order.RowOf(scans_);
  ++scans_;
  const long long y = row % dims_[1], z = row / dims_[1];
  if (y < lo_[1] || y >= hi_[1] || z < lo_[2] || z >= hi_[2]) return true;
  const auto* from = static_cast<const unsigned char*>(scan.data);
  hostfw::TrLatticeScan& out = coordinates ? *coords_ : *data_;
  auto* to = static_cast<unsigned char*>(out.data);
  const std::size_t node = coordinates ? 3 * static_cast<std::size_t>(coordSize_)
                                       : static_cast<std::size_t>(components_) * valueSize_;
  const std::size_t first = static_cast<std::size_t>(lo_[0]) * node;
  if (from == nullptr || to == nullptr || first + out.GetSize() > scan.GetSize()) {
    return next_.Receive(out);  // a row shorter than its header says: the part keeps its size
  }
  if (coordinates || !subset_.component) {
    std::memcpy(to, from + first, out.GetSize());
  } else {
    const std::size_t offset = static_cast<std::size_t>(*subset_.component) * valueSize_;
    const std::size_t count = out.GetSize() / static_cast<std::size_t>(valueSize_);
    for (std::size_t i = 0; i < count; ++i) {
      std::memcpy(to + i * valueSize_, from + first + i * node + offset, valueSize_);
    }
  }
  return next_.Receive(out);
}

}  // namespace latclient
