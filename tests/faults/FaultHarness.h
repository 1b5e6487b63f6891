// Support of the fault tests: error capture, the contents of a folder, process facts, and
// a lattice sent to an export filter.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "hostbase/Error.h"
#include "hostfw/IoFilter.h"
#include "hostfw/Status.h"
#include "tests/support/RecordingHost.h"

namespace lattest {

// The host's error `call` raises (a test failure when it returns).
std::optional<hostbase::CError> CaughtError(const std::function<void()>& call);

// The error raised has this module, code and arguments.
void ExpectError(const std::optional<hostbase::CError>& error, const char* module, int code,
                 const std::vector<hostbase::CErrorArg>& args);

// Everything under `root`: each entry's relative path with a file's bytes or "<dir>".
std::map<std::string, std::string> TreeSnapshot(const std::string& root);

// The bytes of the process's address space in use now (VmSize).
std::uint64_t AddressSpaceInUse();

// True in a build with AddressSanitizer, which cannot run under an address-space limit.
constexpr bool BuiltWithAddressSanitizer() {
#if defined(__SANITIZE_ADDRESS__)
  return true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
  return true;
#else
  return false;
#endif
#else
  return false;
#endif
}

// A float lattice of `kind` (0 uniform, 1 rectilinear, 2 curvilinear) sent as its header,
// scans and end marker, up to the first status other than accepted.
struct Sent {
  hostfw::ExportStatus status = hostfw::ExportStatus_Accepted;
  std::size_t objects = 0;  // sent, that one included
};
Sent SendLattice(hostfw::IoExportFilter& filter, int kind, int nx, int ny, int nz);

}  // namespace lattest
