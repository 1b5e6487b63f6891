// Transfer objects for the export fuzz target, decoded from the input: lattice headers of
// any kind, size, type, flags, blank value and component ranges (also outside what a host
// sends), scans of the right or a wrong size, end markers and objects of other classes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "fuzz/FuzzBytes.h"
#include "hostfw/Transfer.h"

namespace latfuzz {

// What the driver remembers of a header it sent.
struct SentHeader {
  std::int32_t kind = 0;  // 0 uniform, 1 rectilinear, 2 curvilinear
  std::int32_t nx = 0, ny = 0, nz = 0, numComponents = 0;
  std::int32_t dataType = 0;
  std::int32_t coordType = 7;  // rectilinear and curvilinear
  bool blanks = false;
  std::vector<float> axes;  // rectilinear: x, y and z coordinates as floats

  bool Valid() const;  // counts of at least 1 and known type codes
  std::int64_t Rows() const { return std::int64_t{ny} * nz; }
  std::int64_t Scans() const { return kind == 2 ? 2 * Rows() : Rows(); }
  // Bytes a scan must hold: a coordinate scan for even `scan` of a curvilinear lattice.
  std::size_t ScanBytes(std::int64_t scan) const;
};

// A header decoded from the input, and what the driver keeps of it.
std::unique_ptr<hostfw::TrLattice> DecodeHeader(FuzzBytes& in, SentHeader& sent);

// A scan of `bytes` bytes filled from the input (zeros once it is used up).
std::unique_ptr<hostfw::TrLatticeScan> DecodeScan(FuzzBytes& in, std::size_t bytes);

// An object of a class the export filter does not handle.
class OtherObject final : public hostfw::TrBase {
 public:
  const hostbase::CTypeInfo* GetTypeId() const override;
};

// The type a value type is written as (the format's promotions); -1 for unknown codes.
int WrittenType(int dataType);

}  // namespace latfuzz
