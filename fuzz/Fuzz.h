// The fuzz drivers, one per target, each aborting when a check fails; the input reader and
// the import checker they share.
#pragma once

#include <algorithm>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "hostbase/PrimType.h"
#include "hostfw/IoFilter.h"
#include "tests/support/RecordingHost.h"

namespace latfuzz {

// The bytes imported as a file, also stopped where they choose; FuzzImportComplete's inputs
// are valid files and must import completely.
void FuzzImport(const std::uint8_t* data, std::size_t size);
void FuzzImportComplete(const std::uint8_t* data, std::size_t size);
void FuzzImportVtk(const std::uint8_t* data, std::size_t size);
void FuzzExport(const std::uint8_t* data, std::size_t size);
void FuzzOptions(const std::uint8_t* data, std::size_t size);

[[noreturn]] void CheckFailed(const char* file, int line, const char* what,
                              const std::string& detail);

// Takes values from the front of an input; an exhausted input gives zeros.
class FuzzBytes {
 public:
  FuzzBytes(const std::uint8_t* data, std::size_t size) noexcept : rest_(data, size) {}
  bool Empty() const noexcept { return rest_.empty(); }
  std::uint8_t Byte() noexcept { return static_cast<std::uint8_t>(Empty() ? 0 : Take(1)[0]); }
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

// One import of `path`, whose bytes are `file`, with the stream rules a host relies on
// checked on everything the host received.
Delivery CheckedImport(hostfw::IoImportFilter& filter, lattest::RecordingHost& host,
                       const std::string& path, std::span<const std::uint8_t> file);

// The scans of lattice `h`: one per row, each data scan of a curvilinear lattice after its
// coordinate scan; and the bytes of a scan, a coordinate scan holding x, y, z per node.
inline std::int64_t ScanCount(const lattest::RecordedObject& h) {
  return std::int64_t{h.ny} * h.nz * (h.kind == lattest::RecordedObject::Kind::Curvilinear ? 2 : 1);
}
inline std::size_t ScanSize(const lattest::RecordedObject& h, bool coordScan) {
  using hostbase::CPrimType;
  return std::size_t(h.nx) * (coordScan
                                  ? 3 * CPrimType::TypeSize[h.coordType]
                                  : std::size_t(h.numComponents) * CPrimType::TypeSize[h.dataType]);
}

}  // namespace latfuzz

#define LAT_FUZZ_CHECK_MSG(condition, detail) \
  ((condition) ? void() : ::latfuzz::CheckFailed(__FILE__, __LINE__, #condition, detail))
#define LAT_FUZZ_CHECK(condition) LAT_FUZZ_CHECK_MSG(condition, "")
#define LAT_FUZZ_FAIL(detail) ::latfuzz::CheckFailed(__FILE__, __LINE__, "unexpected", detail)
