// Support of the fault tests: error capture, process facts and what the build can run.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "hostbase/Error.h"
#include "hostfw/IoManager.h"
#include "tests/support/RecordingHost.h"

namespace lattest {

// Runs `call`, which must raise the host's error, and returns the error.
std::optional<hostbase::CError> CaughtError(const std::function<void()>& call);

// The error raised has this code, module and arguments.
void ExpectError(const std::optional<hostbase::CError>& error, const char* module, int code,
                 const std::vector<hostbase::CErrorArg>& args);

// The text of errno value `error`, as the shared library reports it.
std::string SystemText(int error);

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

// The bytes of the process's address space in use now (VmSize).
std::uint64_t AddressSpaceInUse();

// Everything under `root`: each entry's relative path with a file's bytes or "<dir>".
std::map<std::string, std::string> TreeSnapshot(const std::string& root);

}  // namespace lattest
