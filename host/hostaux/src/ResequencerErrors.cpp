// The row store's errors: code, arguments and message of each.
#include "ResequencerErrors.h"

#include <cerrno>
#include <cstring>
#include <string>

#include "hostbase/Error.h"

namespace hostaux::detail {
namespace {

constexpr const char* kModule = "LatticeResequencer";

std::string Num(int value) {
  return std::to_string(value);
}

}  // namespace

void ThrowBadCount(const char* name, int value, int line) {
  std::string message = std::string("Cannot store a lattice with ") + name + " " + Num(value);
  if (std::strcmp(name, "latticeType") == 0) {
    message += ": the type must be 1 (uniform), 2 (rectilinear) or 3 (curvilinear)";
  } else {
    message += ": it must be at least 1";
  }
  throw hostbase::CError(kModule, line, hostbase::kErrStoreCount,
                         {std::string(name), std::int64_t{value}}, message);
}

void ThrowTooLarge(int nx, int ny, int nz, int line) {
  throw hostbase::CError(kModule, line, hostbase::kErrStoreTooLarge,
                         {std::int64_t{nx}, std::int64_t{ny}, std::int64_t{nz}},
                         "A lattice of " + Num(nx) + " x " + Num(ny) + " x " + Num(nz) +
                             " nodes is too large to store");
}

void ThrowRowOutside(int y, int z, int ny, int nz, int line) {
  throw hostbase::CError(kModule, line, hostbase::kErrStoreRow, {std::int64_t{y}, std::int64_t{z}},
                         "Row (y " + Num(y) + ", z " + Num(z) + ") lies outside the lattice of " +
                             Num(ny) + " x " + Num(nz) + " rows");
}

void ThrowMisuse(const char* operation, const char* reason, int line) {
  throw hostbase::CError(kModule, line, hostbase::kErrStoreUse, {std::string(operation)},
                         std::string(operation) + ": " + reason);
}

void ThrowTempFile(const char* action, int line) {
  const int error = errno;
  const std::string reason = error != 0 ? std::strerror(error) : "unknown error";
  throw hostbase::CError(
      kModule, line, hostbase::kErrStoreFile, {std::string(action), reason},
      std::string("Cannot ") + action + " the row store's temporary file: " + reason);
}

}  // namespace hostaux::detail
