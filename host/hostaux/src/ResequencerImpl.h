// Inside hostaux: the state of one lattice in the row store (LatticeResequencer::Impl).
#pragma once

#include <cstddef>
#include <memory>
#include <vector>

#include "FileRows.h"
#include "MemoryRows.h"
#include "ResequencerErrors.h"
#include "ResequencerShape.h"
#include "SpillFile.h"
#include "hostaux/LatticeResequencer.h"

namespace hostaux {

namespace detail {

// One kind of row (data or node coordinates): where it lives before and after a spill.
struct Region {
  Region(std::size_t rowCount, std::size_t rowSize, std::uint64_t base, std::size_t limit);
  MemoryRows memory;
  FileRows file;
};

// The store's state after Start; raises kErrStoreUse for `operation` before it.
template <class Impl>
Impl& Started(const std::unique_ptr<Impl>& impl, const char* operation) {
  if (!impl) ThrowMisuse(operation, "no lattice has been started", __LINE__);
  return *impl;
}

}  // namespace detail

struct LatticeResequencer::Impl {
  Impl(const detail::ResequencerShape& s, bool maySpill, std::size_t limit);

  // Rows by number (y fastest); memory first, the temporary file once spilled.
  void StoreRow(detail::Region& region, std::size_t row, const void* bytes);
  void LoadRow(detail::Region& region, std::size_t row, void* out);
  // The node coordinate region; raises for `operation` when the lattice keeps none.
  detail::Region& NodeCoords(const char* operation);
  // Axis lists of a rectilinear lattice (0 x, 1 y, 2 z).
  void StoreAxis(int axis, const void* coords, const char* operation);
  void LoadAxis(int axis, void* out, const char* operation) const;

  detail::ResequencerShape shape;
  bool allowSpill;
  std::size_t memoryLimit;
  std::size_t memoryUsed = 0;  // bytes of memory chunks of both regions
  detail::Region data;
  detail::Region xyz;
  std::unique_ptr<detail::SpillFile> spill;  // set once the rows have moved to the file
  std::vector<unsigned char> axes[3];        // empty until written

 private:
  void Spill();
  void RequireAxes(const char* operation) const;
};

}  // namespace hostaux
