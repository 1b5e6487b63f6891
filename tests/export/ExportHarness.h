// Test fixture of the export tests: a filter on a recording host, a temporary directory,
// lattices sent as the host's transfer objects, and the bytes the writer must produce.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
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

// A lattice to export; values as doubles (converted to dataType when sent), in row order.
struct ExportLattice {
  std::int32_t kind = lat::binary::kUniform, dataType = hostbase::CPrimType::Float;
  std::int32_t nx = 2, ny = 3, nz = 1, numComponents = 1;
  std::vector<double> values;
  std::array<double, 3> origin{1.0, 2.0, 3.0}, spacing{0.5, 2.0, -1.0};
  std::int32_t coordType = hostbase::CPrimType::Float;
  std::vector<double> xs, ys, zs;  // rectilinear axes
  std::vector<double> nodeCoords;  // curvilinear: x, y, z of every node
  bool blanks = false;             // flags bit 0
  double blankValue = 0.0;
  std::vector<double> componentMin, componentMax;
  // Scans of the stream: one per row, two per row for a curvilinear lattice.
  std::size_t ScanCount() const;
};

// Values 1, 2, 3, ...; rectilinear axes 0, 1.5, ... on x, 10, 20, ... on y, -1, -2, ... on
// z; curvilinear node (i, j, k) at (i + 0.25 j, j, k - i).
ExportLattice MakeLattice(std::int32_t kind, std::int32_t dataType, std::int32_t nx,
                          std::int32_t ny, std::int32_t nz, std::int32_t numComponents = 1);
// The file the tests' own binary encoder lays out, with `values` as the values written.
std::vector<std::uint8_t> ExpectedFile(const ExportLattice& lattice,
                                       const std::vector<double>* values = nullptr);
// Equal byte strings; otherwise says where they first differ.
testing::AssertionResult SameBytes(const std::vector<std::uint8_t>& actual,
                                   const std::vector<std::uint8_t>& expected);
std::vector<std::uint8_t> ReadFileBytes(const std::string& path);  // empty when unreadable
std::int32_t IntAt(const std::vector<std::uint8_t>& bytes, std::size_t offset);  // big-endian

// The host's header for `lattice`, and its scan `s` (a coordinate scan for even s of a
// curvilinear lattice).
std::unique_ptr<hostfw::TrLattice> MakeHeader(const ExportLattice& lattice);
std::unique_ptr<hostfw::TrLatticeScan> MakeScan(const ExportLattice& lattice,
                                                const hostfw::TrLattice& header, std::size_t s);

class ExportTest : public ::testing::Test {
 protected:
  hostfw::ExportStatus Begin(bool interactive = false) {
    return filter.BeginExportToFile(out.c_str(), interactive);
  }
  hostfw::ExportStatus SendHeader(const ExportLattice& lattice);  // kept for the scans
  // Scans [from, to); the first non-zero status, or 0.
  hostfw::ExportStatus SendScans(const ExportLattice& lattice, std::size_t from, std::size_t to);
  hostfw::ExportStatus SendLattice(const ExportLattice& lattice);  // header, scans, end
  // A whole export to `out` (every status 0 expected) and the bytes of the file it made.
  std::vector<std::uint8_t> ExportBytes(const ExportLattice& lattice);
  // `action` raises an error of the export filter with `code` and `args`, or with
  // `message` when it is not empty (then without code or args).
  void ExpectFilterError(const std::function<void()>& action, const std::string& message,
                         hostfw::ErrCode code = {},
                         const std::vector<hostbase::CErrorArg>& args = {});
  std::vector<std::string> DirEntries() const;  // sorted

  TempDir dir;
  std::string out = dir.File("out.lat");
  hostfw::IoManager manager;
  RecordingHost host{manager};
  LatExportFilter filter{manager};
  std::unique_ptr<hostfw::TrLattice> header;
};

}  // namespace lattest
