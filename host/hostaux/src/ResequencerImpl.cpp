// The row store's state: where each row goes, when the rows move to the temporary file,
// and the axis lists.
#include "ResequencerImpl.h"

#include <algorithm>
#include <cstring>

namespace hostaux {

namespace detail {
namespace {

constexpr std::size_t kChunkTarget = std::size_t{4} << 20;   // memory rows per allocation
constexpr std::size_t kWindowTarget = std::size_t{4} << 20;  // spilled rows per file access

// A small limit gets small chunks and windows, so the limit holds several chunks and the
// buffers stay near the limit's scale.
std::size_t ChunkTarget(std::size_t limit) noexcept {
  return std::clamp<std::size_t>(limit / 8, 1, kChunkTarget);
}
std::size_t WindowTarget(std::size_t limit) noexcept {
  return std::clamp<std::size_t>(limit, 1, kWindowTarget);
}

}  // namespace

Region::Region(std::size_t rowCount, std::size_t rowSize, std::uint64_t base, std::size_t limit)
    : memory(rowCount, rowSize, ChunkTarget(limit)),
      file(rowCount, rowSize, base, WindowTarget(limit)) {}

}  // namespace detail

LatticeResequencer::Impl::Impl(const detail::ResequencerShape& s, bool maySpill, std::size_t limit)
    : shape(s),
      allowSpill(maySpill),
      memoryLimit(limit),
      data(s.rowCount, s.dataRowSize, 0, limit),
      xyz(s.rowCount, s.xyzRowSize, s.dataBytes, limit) {}

void LatticeResequencer::Impl::StoreRow(detail::Region& region, std::size_t row,
                                        const void* bytes) {
  if (!spill) {
    const std::size_t extra = region.memory.BytesToHold(row);
    const bool fits = extra <= memoryLimit && memoryUsed <= memoryLimit - extra;
    if (extra == 0 || fits || !allowSpill) {
      region.memory.Write(row, bytes);
      memoryUsed += extra;
      return;
    }
    Spill();
  }
  region.file.Write(*spill, row, bytes);
}

void LatticeResequencer::Impl::LoadRow(detail::Region& region, std::size_t row, void* out) {
  if (spill) {
    region.file.Read(*spill, row, out);
  } else {
    region.memory.Read(row, out);
  }
}

// Moves every row to a new temporary file; on failure the rows stay in memory.
void LatticeResequencer::Impl::Spill() {
  auto file = std::make_unique<detail::SpillFile>();
  data.memory.CopyTo(*file, 0);
  xyz.memory.CopyTo(*file, shape.dataBytes);
  spill = std::move(file);
  data.memory.Release();
  xyz.memory.Release();
  memoryUsed = 0;
}

detail::Region& LatticeResequencer::Impl::NodeCoords(const char* operation) {
  if (shape.xyzRowSize == 0)
    detail::ThrowMisuse(operation, "the lattice keeps no node coordinates", __LINE__);
  return xyz;
}

void LatticeResequencer::Impl::RequireAxes(const char* operation) const {
  if (shape.latticeType != 2)
    detail::ThrowMisuse(operation, "the lattice is not rectilinear", __LINE__);
}

void LatticeResequencer::Impl::StoreAxis(int axis, const void* coords, const char* operation) {
  RequireAxes(operation);
  if (coords == nullptr) detail::ThrowMisuse(operation, "no coordinates given", __LINE__);
  const auto* bytes = static_cast<const unsigned char*>(coords);
  axes[axis].assign(bytes, bytes + shape.axisSize[axis]);
}

void LatticeResequencer::Impl::LoadAxis(int axis, void* out, const char* operation) const {
  RequireAxes(operation);
  if (out == nullptr) detail::ThrowMisuse(operation, "no buffer given", __LINE__);
  if (axes[axis].empty()) {
    std::memset(out, 0, shape.axisSize[axis]);
  } else {
    std::memcpy(out, axes[axis].data(), axes[axis].size());
  }
}

}  // namespace hostaux
