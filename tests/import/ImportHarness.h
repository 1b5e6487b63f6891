// Test fixture of the import tests: a filter on a recording host, a temporary directory,
// checks of the errors an import raises, and generated lattices with the check of what
// their import hands over.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "hostbase/Error.h"
#include "hostfw/IoManager.h"
#include "import/LatImportFilter.h"
#include "tests/support/LatBinaryWriter.h"
#include "tests/support/LatPlainWriter.h"
#include "tests/support/RecordingHost.h"
#include "tests/support/TempDir.h"

namespace lattest {

inline const std::string kPlainMagic = "#!/usr/explorer/bin/explorer cxLattice plain 1.0\n";

// A lattice of any geometry, file value type (code 0..4), dimension count and number of
// components, with values that fill every byte of their type. Plain files may hold more
// blocks and give curvilinear nodes 2 coordinates.
struct Sample {
  std::int32_t kind = 0, code = 3, nDim = 3;
  std::array<std::int32_t, 3> dims{2, 3, 1};  // entries beyond nDim stay 1
  std::int32_t components = 1, blocks = 1, coordVars = 3;

  std::size_t Values() const { return std::size_t(dims[0] * dims[1] * dims[2] * components); }
  double Value(std::size_t i) const;  // value i of the blocks one after another
  std::vector<double> Geometry(bool binary) const;  // the coordinates as the file lists them
  BinaryLattice Binary() const;
  std::string Plain() const;
};

class ImportTest : public ::testing::Test {
 protected:
  hostfw::ImportStatus Import(const std::string& path) {
    return filter.ImportFromFile(path.c_str());
  }
  std::string Write(const std::string& content, const std::string& name = "lattice.lat") {
    return dir.Write(name, content);
  }
  std::string Write(const BinaryImage& image, const std::string& name = "lattice.lat") {
    return dir.Write(name, image.bytes);
  }

  // The import of `path` raises `code` from `module` with exactly `args`.
  void ExpectError(const std::string& path, const char* module, hostfw::ErrCode code,
                   const std::vector<hostbase::CErrorArg>& args);
  // ErrCode 18 at `position` of the file.
  void ExpectBadBinary(const std::string& path, std::int64_t position) {
    ExpectError(path, "LatImpBinary", hostfw::ErrCode::BadBinaryData, {position, path});
  }
  // ErrCode 17 after `line` line feeds.
  void ExpectNumberError(const std::string& path, std::int64_t line) {
    ExpectError(path, "LatImpPlain", hostfw::ErrCode::PlainSyntax, {line, path});
  }
  // Everything the import of `sample` handed over, value by value.
  void ExpectSample(const Sample& sample, bool binary);

  TempDir dir;
  hostfw::IoManager manager;
  RecordingHost host{manager};
  LatImportFilter filter{manager};
};

// Scan bytes as values of a host type code, widened to double.
std::vector<double> Widened(const std::vector<std::uint8_t>& bytes, int type);

}  // namespace lattest
