// Sizes of a lattice held in memory, with overflow checked once here.
#include "latclient/Lattice.h"

#include "hostbase/PrimType.h"

namespace latclient {

const char* KindName(Kind kind) noexcept {
  switch (kind) {
    case Kind::Uniform:
      return "uniform";
    case Kind::Rectilinear:
      return "rectilinear";
    case Kind::Curvilinear:
      return "curvilinear";
  }
  return "other";
}

std::size_t Lattice::NodeCount() const noexcept {
  return ValueBytesFor(hostbase::CPrimType::UInt8, nx, ny, nz, 1);
}

std::size_t Lattice::ValueBytesFor(int dataType, int nx, int ny, int nz, int components) noexcept {
  if (!hostbase::CPrimType::IsValid(dataType) || nx < 1 || ny < 1 || nz < 1 || components < 1) {
    return 0;
  }
  std::size_t bytes = static_cast<std::size_t>(hostbase::CPrimType::TypeSize[dataType]);
  for (int factor : {nx, ny, nz, components}) {
    if (__builtin_mul_overflow(bytes, static_cast<std::size_t>(factor), &bytes)) return 0;
  }
  return bytes;
}

}  // namespace latclient
