// Transfer objects: a lattice crosses between host and filter as a header, one scan
// per row (y fastest, then z) and an end marker.
#pragma once

#include <concepts>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "hostbase/ParamList.h"
#include "hostbase/TypeInfo.h"
#include "hostfw/Export.h"

namespace hostfw {

class HOSTFW_API TrBase : public hostbase::CTypedObject {
 public:
  ~TrBase() override;
  static const hostbase::CTypeInfo* GetClassTypeId() noexcept;

 protected:
  TrBase() = default;
  TrBase(const TrBase&) = delete;
  TrBase& operator=(const TrBase&) = delete;
};

// Base of the three lattice headers.
class HOSTFW_API TrLattice : public TrBase {
 public:
  enum : std::uint8_t { kFlagMayHaveBlanks = 0x01 };
  // The parameter that carries the import's summary text.
  static constexpr const char* kInfoKey = "LatticeInfo";

  ~TrLattice() override;
  static const hostbase::CTypeInfo* GetClassTypeId() noexcept;

  hostbase::CParamList params;
  std::uint8_t flags = 0;         // bit 0: the lattice may contain blanked nodes
  std::int32_t nx, ny, nz;        // node counts: columns, rows, planes
  std::int32_t numComponents;     // values per node
  std::int32_t scanMode = 0;      // host's scan order fields; 0, 0 is the row order above
  std::int32_t scanParam = 0;
  std::int32_t dataType;          // CPrimType code of the node values
  double blankValue = 0.0;        // value that marks a blanked node (flags bit 0)
  std::vector<double> componentMin;
  std::vector<double> componentMax;

 protected:
  TrLattice(int dataType, int nx, int ny, int nz, int numComponents);
};

class HOSTFW_API TrUniformLattice : public TrLattice {
 public:
  TrUniformLattice(int dataType, int nx, int ny, int nz, int numComponents);
  ~TrUniformLattice() override;
  const hostbase::CTypeInfo* GetTypeId() const override;
  static const hostbase::CTypeInfo* GetClassTypeId() noexcept;

  double origin[3] = {0.0, 0.0, 0.0};   // node (0,0,0)
  double spacing[3] = {0.0, 0.0, 0.0};  // distance between neighbours along x, y, z
};

class HOSTFW_API TrRectilinearLattice : public TrLattice {
 public:
  // Allocates (zero-filled) nx, ny and nz coordinates of coordType; counts below 1
  // allocate nothing and leave the pointer null.
  TrRectilinearLattice(int coordType, int dataType, int nx, int ny, int nz, int numComponents);
  ~TrRectilinearLattice() override;
  const hostbase::CTypeInfo* GetTypeId() const override;
  static const hostbase::CTypeInfo* GetClassTypeId() noexcept;

  std::int32_t coordType;
  void* xCoords;
  void* yCoords;
  void* zCoords;

 private:
  std::unique_ptr<unsigned char[]> storage_;
};

class HOSTFW_API TrCurvilinearLattice : public TrLattice {
 public:
  TrCurvilinearLattice(int coordType, int dataType, int nx, int ny, int nz, int numComponents);
  ~TrCurvilinearLattice() override;
  const hostbase::CTypeInfo* GetTypeId() const override;
  static const hostbase::CTypeInfo* GetClassTypeId() noexcept;

  std::int32_t coordType;
};

// One row of a lattice: a data scan (nx x numComponents values) or a coordinate scan.
class HOSTFW_API TrLatticeScan : public TrBase {
 public:
  // A data scan for one row of `lattice` (zero-filled); counts below 0 give an empty scan.
  explicit TrLatticeScan(const TrLattice& lattice);
  // A scan of `byteCount` bytes (zero-filled), used for curvilinear coordinate rows.
  explicit TrLatticeScan(int byteCount);
  ~TrLatticeScan() override;
  const hostbase::CTypeInfo* GetTypeId() const override;
  static const hostbase::CTypeInfo* GetClassTypeId() noexcept;

  std::size_t GetSize() const noexcept { return size_; }

  void* data;  // owned by the scan; null when the scan is empty

 private:
  std::unique_ptr<unsigned char[]> storage_;
  std::size_t size_;
};

// True for the class identities of the three lattice headers, the scan and the end
// marker: the objects every lattice filter exchanges.
HOSTFW_API bool IsLatticeObjectType(const hostbase::CTypeInfo* type) noexcept;

// Where a scan belongs: a curvilinear lattice sends each row as a coordinate scan (x, y, z
// of every node) followed by its data scan; the other kinds send one data scan per row.
struct ScanOrder {
  bool curvilinear = false;

  template <std::integral N>
  constexpr N ScanCount(N rows) const noexcept {
    return curvilinear ? 2 * rows : rows;
  }
  // The row of scan `scan` (counting from 0 in arrival order).
  template <std::integral N>
  constexpr N RowOf(N scan) const noexcept {
    return curvilinear ? scan / 2 : scan;
  }
  template <std::integral N>
  constexpr bool IsCoordinateScan(N scan) const noexcept {
    return curvilinear && scan % 2 == 0;
  }
};

class HOSTFW_API TrLatticeEnd : public TrBase {
 public:
  TrLatticeEnd();
  ~TrLatticeEnd() override;
  const hostbase::CTypeInfo* GetTypeId() const override;
  static const hostbase::CTypeInfo* GetClassTypeId() noexcept;
};

}  // namespace hostfw
