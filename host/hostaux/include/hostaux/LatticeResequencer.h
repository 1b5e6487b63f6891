// The row store of an export: keeps every row of one lattice as it arrives, in any order,
// and hands back exactly the bytes stored for each (y, z) once the lattice is complete.
// Also keeps the three axis coordinate lists of a rectilinear lattice.
//
// Rows are held in memory up to a limit (kDefaultMemoryLimit, 512 MiB unless the
// constructor is given another); beyond it, when spilling is allowed, the store moves its
// rows to an unnamed temporary file (removed by the system when the store closes it), so a
// lattice larger than memory needs no more than the limit in memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "hostaux/Export.h"

namespace hostaux {

class HOSTAUX_API LatticeResequencer {
 public:
  static constexpr std::size_t kDefaultMemoryLimit = std::size_t{512} << 20;

  LatticeResequencer() noexcept;
  explicit LatticeResequencer(std::size_t memoryLimit) noexcept;
  ~LatticeResequencer();
  LatticeResequencer(const LatticeResequencer&) = delete;
  LatticeResequencer& operator=(const LatticeResequencer&) = delete;

  // Prepares storage for one lattice, dropping what an earlier lattice left.
  // latticeType: 1 uniform, 2 rectilinear, 3 curvilinear. coordSize: bytes of one
  // coordinate (0 for uniform). dataSize: bytes of one value. nodeCoords: coordinate rows
  // (x, y, z per node) are stored too (curvilinear lattices). allowSpill: rows may move to a
  // temporary file beyond the memory limit; without it the store stays in memory.
  // Allocates nothing for the rows yet. Raises hostbase::CError (module
  // "LatticeResequencer") for counts below 1 or an unknown type (kErrStoreCount) and for
  // sizes that overflow (kErrStoreTooLarge); after a failure no lattice is started.
  void Start(int latticeType, int nx, int ny, int nz, int numComponents, int coordSize,
             int dataSize, bool nodeCoords, bool allowSpill);

  // Axis coordinates of a rectilinear lattice: nx, ny or nz elements of coordSize bytes.
  void WriteRectilinearXs(const void* coords);
  void WriteRectilinearYs(const void* coords);
  void WriteRectilinearZs(const void* coords);
  std::size_t GetRectiXCoordsTotalSize() const noexcept;
  std::size_t GetRectiYCoordsTotalSize() const noexcept;
  std::size_t GetRectiZCoordsTotalSize() const noexcept;
  void ReadRectilinearXs(void* buffer) const;
  void ReadRectilinearYs(void* buffer) const;
  void ReadRectilinearZs(void* buffer) const;

  // Rows: GetDataScanlineSize() bytes of data (nx x numComponents x dataSize) or
  // nx x 3 x coordSize bytes of node coordinates, for row (y, z). A row outside the
  // lattice raises hostbase::CError (kErrStoreRow); a row never written reads back as zeros.
  // A call the lattice does not allow (before Start, coordinate rows of a lattice without
  // them, axis lists of a lattice that is not rectilinear, a null buffer) raises
  // kErrStoreUse. Moving rows to the temporary file and reading or writing it may raise
  // kErrStoreFile; rows that were in memory when the file could not be made stay there.
  void WriteRowOfMultiComponentData(int y, int z, const void* row);
  void WriteRowOfXYZ(int y, int z, const void* row);
  void ReadRowOfMultiComponentData(int y, int z, void* buffer) const;
  void ReadRowOfXYZ(int y, int z, void* buffer) const;
  std::size_t GetDataScanlineSize() const noexcept;
  std::size_t GetXYZScanlineSize() const noexcept;

  // Whether rows currently live in the temporary file.
  bool IsSpilled() const noexcept;

  // Ends the lattice: releases memory and the temporary file. Safe to call at any time,
  // also when nothing was started.
  void Finish() noexcept;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
  std::size_t memoryLimit_;
};

}  // namespace hostaux
