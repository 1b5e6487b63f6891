// Writers of the benchmark's uniform lattices in the binary and the plain form, streamed
// row by row so that any size needs little memory.
#pragma once

#include <cstdint>
#include <string>

namespace latbench {

struct Shape {
  std::int32_t nx = 1, ny = 1, nz = 1;
  std::int64_t Values() const { return std::int64_t{nx} * ny * nz; }
};

// The value of node (x, y, z): a ripple that leaves every value with eight significant
// digits in "%.8g", so the plain form takes about ten bytes a value.
float ValueAt(std::int32_t x, std::int32_t y, std::int32_t z);

// A binary file of 32-bit floats, as the exporter would write it. Raises
// std::runtime_error when the file cannot be written.
void WriteBinaryLattice(const std::string& path, const Shape& shape);

enum class PlainValues { Floats, Integers };

// A plain file: five header lines, then the values `perLine` to a line, as "%.8g" floats
// (type code 3) or as the integers ValueAt rounds to (type code 2).
void WritePlainLattice(const std::string& path, const Shape& shape, std::int32_t perLine,
                       PlainValues values = PlainValues::Floats);

}  // namespace latbench
