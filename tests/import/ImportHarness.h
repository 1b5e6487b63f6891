// Test fixture of the import tests: a filter on a recording host, a temporary directory,
// and checks of the errors an import raises.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
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

using Kind = RecordedObject::Kind;
using Args = std::vector<hostbase::CErrorArg>;

class ImportTest : public ::testing::Test {
 protected:
  hostfw::ImportStatus Import(const std::string& path) {
    return filter.ImportFromFile(path.c_str());
  }

  // Runs an import that must raise, and returns the error.
  std::optional<hostbase::CError> ImportError(const std::string& path);

  // The import of `path` raises `code` from `module` with exactly `args`.
  void ExpectError(const std::string& path, const char* module, hostfw::ErrCode code,
                   const Args& args);
  // ErrCode 18 at `position` of the file.
  void ExpectBadBinary(const std::string& path, std::int64_t position) {
    ExpectError(path, "LatImpBinary", hostfw::ErrCode::BadBinaryData, {position, path});
  }
  // ErrCode 17 after `line` line feeds.
  void ExpectNumberError(const std::string& path, std::int64_t line) {
    ExpectError(path, "LatImpPlain", hostfw::ErrCode::PlainSyntax, {line, path});
  }
  void ExpectNotLatFile(const std::string& path) {
    ExpectError(path, "LatImportFilter", hostfw::ErrCode::NotLatFile, {path});
  }

  std::string WriteBinary(const BinaryImage& image, const std::string& name = "lattice.lat") {
    return dir.Write(name, image.bytes);
  }
  std::string WritePlain(const std::string& text, const std::string& name = "plain.lat") {
    return dir.Write(name, text);
  }

  TempDir dir;
  hostfw::IoManager manager;
  RecordingHost host{manager};
  LatImportFilter filter{manager};
};

// The example lattice: 3 x 2 nodes, one float each, uniform, one block.
std::string ExamplePlainText();

// A writer-made binary lattice of the given geometry: 2 x 3 x 1 nodes, one float per
// node with values 1..6, and valid coordinates.
BinaryLattice SmallBinary(std::int32_t geometryType);

}  // namespace lattest
