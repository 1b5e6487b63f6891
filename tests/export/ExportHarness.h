// Test fixture of the export tests: a filter on a recording host, a temporary directory,
// lattices described by their values and sent as the host's transfer objects, the bytes
// the writer must produce, and checks of the errors an export raises.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "export/LatExportFilter.h"
#include "formats/LatBinaryFormat.h"
#include "hostbase/Error.h"
#include "hostbase/PrimType.h"
#include "hostfw/IoManager.h"
#include "hostfw/Transfer.h"
#include "tests/support/LatBinaryWriter.h"
#include "tests/support/RecordingHost.h"
#include "tests/support/TempDir.h"

namespace lattest {

using Args = std::vector<hostbase::CErrorArg>;

// A lattice to export: shape, types and values (as doubles, converted to dataType when
// sent), geometry, blanks and the host's component ranges.
struct ExportLattice {
  std::int32_t kind = lat::binary::kUniform;
  std::int32_t dataType = hostbase::CPrimType::Float;
  std::int32_t nx = 2, ny = 3, nz = 1, numComponents = 1;
  std::vector<double> values;  // nx × ny × nz × numComponents, in row order
  std::array<double, 3> origin{0.0, 0.0, 0.0};
  std::array<double, 3> spacing{1.0, 1.0, 1.0};
  std::int32_t coordType = hostbase::CPrimType::Float;
  std::vector<double> xs, ys, zs;  // rectilinear axes
  std::vector<double> nodeCoords;  // curvilinear: x, y, z of every node in node order
  bool blanks = false;             // flags bit 0
  double blankValue = 0.0;
  std::vector<double> componentMin, componentMax;

  std::size_t Nodes() const;
  std::size_t ValueCount() const { return Nodes() * static_cast<std::size_t>(numComponents); }
  std::size_t RowCount() const;
  // Scans of the stream: one per row, two per row for a curvilinear lattice.
  std::size_t ScanCount() const;
};

// A lattice of the given kind and shape with values 1, 2, 3, ... and simple coordinates:
// uniform origin (1, 2, 3) and spacing (0.5, 2, -1); rectilinear axes 0, 1.5, 3, ... on x,
// 10, 20, ... on y, -1, -2, ... on z; curvilinear node (i, j, k) at (i + 0.25 j, j, k - i).
ExportLattice MakeLattice(std::int32_t kind, std::int32_t dataType, std::int32_t nx,
                          std::int32_t ny, std::int32_t nz, std::int32_t numComponents = 1);

// The header transfer object of `lattice`.
std::unique_ptr<hostfw::TrLattice> MakeHeader(const ExportLattice& lattice);
// Scan number `s` of the stream (coordinate scan for even s of a curvilinear lattice).
std::unique_ptr<hostfw::TrLatticeScan> MakeScan(const ExportLattice& lattice,
                                                const hostfw::TrLattice& header, std::size_t s);

// The written value type of a received one (the format's promotions).
std::int32_t WrittenType(std::int32_t dataType);
// The bytes a writer-made file of `lattice` holds, laid out by the tests' own binary
// encoder, with `values` as the node values written (the lattice's own by default).
std::vector<std::uint8_t> ExpectedFile(const ExportLattice& lattice,
                                       const std::vector<double>* values = nullptr);

// Equal byte strings; otherwise says where they first differ.
testing::AssertionResult SameBytes(const std::vector<std::uint8_t>& actual,
                                   const std::vector<std::uint8_t>& expected);

// Reads a whole file; empty when it cannot be read.
std::vector<std::uint8_t> ReadFileBytes(const std::string& path);
// Big-endian field of four bytes at `offset`.
std::int32_t IntAt(const std::vector<std::uint8_t>& bytes, std::size_t offset);
float FloatAt(const std::vector<std::uint8_t>& bytes, std::size_t offset);

class ExportTest : public ::testing::Test {
 protected:
  hostfw::ExportStatus Begin(bool interactive = false) {
    return filter.BeginExportToFile(out.c_str(), interactive);
  }
  // Sends the header (kept for the scans that follow).
  hostfw::ExportStatus SendHeader(const ExportLattice& lattice);
  // Sends scans [from, to) of the lattice whose header was sent last; stops at the first
  // non-zero status and returns it.
  hostfw::ExportStatus SendScans(const ExportLattice& lattice, std::size_t from, std::size_t to);
  // Header, every scan and the end marker; the first non-zero status, or 0.
  hostfw::ExportStatus SendLattice(const ExportLattice& lattice);
  hostfw::ExportStatus SendEnd();
  // A whole export to `out` (every status 0 expected) and the bytes of the file it made.
  std::vector<std::uint8_t> ExportBytes(const ExportLattice& lattice);

  // Runs `action`, which must raise, and returns the error.
  std::optional<hostbase::CError> ErrorOf(const std::function<void()>& action);
  // `action` raises a message error of the export filter with exactly `message`.
  void ExpectFilterMessage(const std::function<void()>& action, const std::string& message);
  // `action` raises `code` of the export filter with exactly `args`.
  void ExpectFilterCode(const std::function<void()>& action, hostfw::ErrCode code,
                        const Args& args);

  // Names in the temporary directory, sorted.
  std::vector<std::string> DirEntries() const;

  TempDir dir;
  std::string out = dir.File("out.lat");
  hostfw::IoManager manager;
  RecordingHost host{manager};
  LatExportFilter filter{manager};
  std::unique_ptr<hostfw::TrLattice> header;
};

}  // namespace lattest
