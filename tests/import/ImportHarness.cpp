// Shared checks and sample lattices of the import tests.
#include "tests/import/ImportHarness.h"

namespace lattest {

std::optional<hostbase::CError> ImportTest::ImportError(const std::string& path) {
  try {
    const hostfw::ImportStatus status = filter.ImportFromFile(path.c_str());
    ADD_FAILURE() << "import of " << path << " returned " << status << " instead of raising";
  } catch (const hostbase::CError& error) {
    return error;
  }
  return std::nullopt;
}

void ImportTest::ExpectError(const std::string& path, const char* module, hostfw::ErrCode code,
                             const Args& args) {
  const std::optional<hostbase::CError> error = ImportError(path);
  if (!error) return;
  EXPECT_EQ(error->Module(), module);
  EXPECT_EQ(error->Code(), static_cast<int>(code));
  EXPECT_EQ(error->Args(), args) << error->Message();
}

std::string ExamplePlainText() {
  return "#!/usr/explorer/bin/explorer cxLattice plain 1.0\n"
         "2\n"
         "3 2\n"
         "1 3 0 1\n"
         "0 1   10 20\n"
         "#data\n"
         "1.5 2.5 3.5\n"
         "4.5 5.5 6.5\n";
}

BinaryLattice SmallBinary(std::int32_t geometryType) {
  BinaryLattice lat;
  lat.dims = {2, 3, 1};
  lat.geometryType = geometryType;
  lat.values = Ramp(6);
  if (geometryType == lat::binary::kUniform) {
    lat.coords = {0, 1, 0, 2, 0, 0};
  } else if (geometryType == lat::binary::kRectilinear) {
    lat.coords = {0, 1, 0, 1, 2, 0};
  } else {
    for (int node = 0; node < 6; ++node) {
      const float x = static_cast<float>(node % 2), y = static_cast<float>(node / 2);
      lat.coords.insert(lat.coords.end(), {x, y, x + y});
    }
  }
  return lat;
}

}  // namespace lattest
