// Writes the shipped binary example lattices (4 x 3 x 2 nodes, one of each geometry) into
// a directory and prints the name of each file written, one per line.
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "tests/support/LatBinaryWriter.h"

namespace {

constexpr int kNx = 4, kNy = 3, kNz = 2;
constexpr int kFloat = 3, kInt16 = 1;  // file value type codes

lattest::BinaryLattice Base(int geometryType, int nDataVar, int primType) {
  lattest::BinaryLattice lat;
  lat.nDim = 3;
  lat.dims = {kNx, kNy, kNz};
  lat.nDataVar = nDataVar;
  lat.primType = primType;
  lat.geometryType = geometryType;
  return lat;
}

// A temperature field in degrees Celsius on a 0.5 m x 1 m x 2 m grid starting at (0, 10, 0):
// warmer along x, cooler with height.
lattest::BinaryLattice Uniform() {
  lattest::BinaryLattice lat = Base(lat::binary::kUniform, 1, kFloat);
  lat.coords = {0.0f, 1.5f, 10.0f, 12.0f, 0.0f, 2.0f};
  for (int z = 0; z < kNz; ++z)
    for (int y = 0; y < kNy; ++y)
      for (int x = 0; x < kNx; ++x) lat.values.push_back(20.0 + 0.5 * x + 0.25 * y - 1.5 * z);
  return lat;
}

// Wind (east, north components in cm/s) at stations on an uneven grid: x spacing grows,
// y coordinates are latitudes, z the two measuring heights.
lattest::BinaryLattice Rectilinear() {
  lattest::BinaryLattice lat = Base(lat::binary::kRectilinear, 2, kInt16);
  lat.coords = {0.0f, 1.0f, 3.0f, 7.0f, 50.0f, 50.5f, 51.0f, 10.0f, 100.0f};
  for (int z = 0; z < kNz; ++z)
    for (int y = 0; y < kNy; ++y)
      for (int x = 0; x < kNx; ++x) {
        lat.values.push_back(100 * x - 50 * y + 300 * z);
        lat.values.push_back(-20 * x + 10 * y * y - 150);
      }
  return lat;
}

// A sheared, bent grid: every node's position given explicitly; the value is the node's
// distance from the origin squared.
lattest::BinaryLattice Curvilinear() {
  lattest::BinaryLattice lat = Base(lat::binary::kCurvilinear, 1, kFloat);
  for (int z = 0; z < kNz; ++z)
    for (int y = 0; y < kNy; ++y)
      for (int x = 0; x < kNx; ++x) {
        const double px = x + 0.25 * y;
        const double py = y + 0.125 * x * x;
        const double pz = 2.0 * z + 0.5 * x;
        lat.coords.insert(lat.coords.end(),
                          {static_cast<float>(px), static_cast<float>(py), static_cast<float>(pz)});
        lat.values.push_back(px * px + py * py + pz * pz);
      }
  return lat;
}

void Write(const std::string& dir, const char* name, const lattest::BinaryLattice& lat) {
  lattest::EncodeBinary(lat).WriteTo(dir + "/" + name);
  std::printf("%s\n", name);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: generate_examples DIRECTORY\n");
    return 1;
  }
  try {
    Write(argv[1], "uniform-4x3x2.lat", Uniform());
    Write(argv[1], "rectilinear-4x3x2.lat", Rectilinear());
    Write(argv[1], "curvilinear-4x3x2.lat", Curvilinear());
  } catch (const std::exception& e) {
    std::fprintf(stderr, "generate_examples: %s\n", e.what());
    return 1;
  }
  return 0;
}
