// Inside hostaux: the errors the row store raises (module "LatticeResequencer").
#pragma once

namespace hostaux::detail {

// A count or size of Start below its minimum, or an unknown lattice type.
[[noreturn]] void ThrowBadCount(const char* name, int value, int line);
// The lattice's bytes do not fit a file offset or the address space.
[[noreturn]] void ThrowTooLarge(int nx, int ny, int nz, int line);
// Row (y, z) lies outside a lattice of ny x nz rows.
[[noreturn]] void ThrowRowOutside(int y, int z, int ny, int nz, int line);
// `operation` called when the store's state does not allow it; `reason` says why.
[[noreturn]] void ThrowMisuse(const char* operation, const char* reason, int line);
// The temporary file could not be made, written, read or positioned (`action`); the
// reason comes from errno.
[[noreturn]] void ThrowTempFile(const char* action, int line);

}  // namespace hostaux::detail
