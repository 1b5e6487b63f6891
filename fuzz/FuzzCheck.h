// Checks of the fuzz drivers: a broken expectation prints what broke and aborts, which
// libFuzzer reports as a crash and the regression replay as a failed test.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

namespace latfuzz {

[[noreturn]] inline void CheckFailed(const char* file, int line, const char* what,
                                     const std::string& detail) {
  std::fprintf(stderr, "%s:%d: fuzz check failed: %s%s%s\n", file, line, what,
               detail.empty() ? "" : ": ", detail.c_str());
  std::fflush(stderr);
  std::abort();
}

}  // namespace latfuzz

// Aborts when `condition` is false.
#define LAT_FUZZ_CHECK(condition)                                                 \
  do {                                                                            \
    if (!(condition)) ::latfuzz::CheckFailed(__FILE__, __LINE__, #condition, {}); \
  } while (0)

// Aborts unconditionally with `detail` (a std::string).
#define LAT_FUZZ_FAIL(detail) ::latfuzz::CheckFailed(__FILE__, __LINE__, "unexpected", detail)

// Aborts when `condition` is false, adding `detail` (a std::string) to the report.
#define LAT_FUZZ_CHECK_MSG(condition, detail)                                         \
  do {                                                                                \
    if (!(condition)) ::latfuzz::CheckFailed(__FILE__, __LINE__, #condition, detail); \
  } while (0)
