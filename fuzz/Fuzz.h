// The fuzz drivers: one function per target, taking one input and aborting when a check
// fails (libFuzzer reports a crash, the replay a failed test); the input reader and the
// import checker they share.
#pragma once

#include <algorithm>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "hostfw/IoFilter.h"
#include "tests/support/RecordingHost.h"

namespace latfuzz {

// The LAT (or VTK) import of the bytes as a file, also stopped by the host where the bytes
// choose; FuzzImportComplete for inputs known to be valid, which must import completely.
void FuzzImport(const std::uint8_t* data, std::size_t size);
void FuzzImportComplete(const std::uint8_t* data, std::size_t size);
void FuzzImportVtk(const std::uint8_t* data, std::size_t size);
// The export filter driven by transfer objects decoded from the input; what it completes
// is imported again and must give back what was sent.
void FuzzExport(const std::uint8_t* data, std::size_t size);
// Options strings and number words through the host's parsers, against models.
void FuzzOptions(const std::uint8_t* data, std::size_t size);

[[noreturn]] void CheckFailed(const char* file, int line, const char* what,
                              const std::string& detail);

// Takes values from the front of an input; an exhausted input gives zeros.
class FuzzBytes {
 public:
  FuzzBytes(const std::uint8_t* data, std::size_t size) noexcept : rest_(data, size) {}
  bool Empty() const noexcept { return rest_.empty(); }
  std::uint8_t Byte() noexcept { return static_cast<std::uint8_t>(Empty() ? 0 : Take(1)[0]); }
  // Up to `count` bytes (fewer when the input ends).
  std::string_view Take(std::size_t count) noexcept {
    count = std::min(count, rest_.size());
    const std::string_view text(reinterpret_cast<const char*>(rest_.data()), count);
    rest_ = rest_.subspan(count);
    return text;
  }
  // A length byte and that many bytes, up to the first NUL.
  std::string Text() {
    const std::string_view t = Take(Byte());
    return std::string(t.substr(0, t.find('\0')));
  }

 private:
  std::span<const std::uint8_t> rest_;
};

// Everything an import delivered, to compare two imports of one file.
struct Delivery {
  enum class End { Complete, Stopped, Failed } end = End::Failed;
  std::string error;  // module, code and arguments
  std::string objects;
  std::vector<double> fractions;
  std::size_t lattices = 0;
  std::size_t dueFractions = 0;  // the reports the rows delivered call for
  bool operator==(const Delivery&) const = default;
};

// One import of `path`, whose bytes are `file`, on `filter` served by `host` (which says
// stop where it is told to), with the stream rules a host relies on checked on everything
// the host received.
Delivery CheckedImport(hostfw::IoImportFilter& filter, lattest::RecordingHost& host,
                       const std::string& path, std::span<const std::uint8_t> file);

}  // namespace latfuzz

#define LAT_FUZZ_CHECK_MSG(condition, detail) \
  ((condition) ? void() : ::latfuzz::CheckFailed(__FILE__, __LINE__, #condition, detail))
#define LAT_FUZZ_CHECK(condition) LAT_FUZZ_CHECK_MSG(condition, "")
#define LAT_FUZZ_FAIL(detail) ::latfuzz::CheckFailed(__FILE__, __LINE__, "unexpected", detail)
