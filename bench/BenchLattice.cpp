// Streamed writers of the benchmark lattices, laid out with the format's own constants.
#include "BenchLattice.h"

#include <bit>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <string_view>
#include <vector>

#include "formats/LatBinaryFormat.h"

namespace latbench {

namespace {

namespace bin = lat::binary;

constexpr std::int32_t kFloatCode = 3;
constexpr std::int32_t kInt32Code = 2;

struct FileCloser {
  void operator()(std::FILE* file) const noexcept { std::fclose(file); }
};

// A file written through a large buffer of its own.
class Output {
 public:
  explicit Output(const std::string& path) : file_(std::fopen(path.c_str(), "wb")), path_(path) {
    if (!file_) Fail("cannot create");
    buffer_.reserve(kBufferSize);
  }
  void Bytes(const void* data, std::size_t count) {
    const auto* bytes = static_cast<const char*>(data);
    buffer_.insert(buffer_.end(), bytes, bytes + count);
    if (buffer_.size() >= kBufferSize) Drain();
  }
  void Text(std::string_view text) { Bytes(text.data(), text.size()); }
  // A 32-bit field or value, most significant byte first.
  template <class T>
  void Word(T value) {
    static_assert(sizeof(T) == 4);
    auto bits = std::bit_cast<std::uint32_t>(value);
    if constexpr (std::endian::native == std::endian::little) bits = __builtin_bswap32(bits);
    Bytes(&bits, sizeof bits);
  }
  void Close() {
    Drain();
    if (std::fclose(file_.release()) != 0) Fail("cannot close");
  }

 private:
  static constexpr std::size_t kBufferSize = std::size_t{4} << 20;
  void Drain() {
    if (!buffer_.empty() &&
        std::fwrite(buffer_.data(), 1, buffer_.size(), file_.get()) != buffer_.size())
      Fail("cannot write");
    buffer_.clear();
  }
  [[noreturn]] void Fail(const char* what) const {
    throw std::runtime_error(std::string(what) + " " + path_ + ": " + std::strerror(errno));
  }

  std::unique_ptr<std::FILE, FileCloser> file_;
  std::string path_;
  std::vector<char> buffer_;
};

void DimsList(Output& out, const Shape& s) {
  for (std::int32_t word : {bin::kWriterNDim, s.nx, s.ny, s.nz}) out.Word(word);
}

void Records(Output& out, const Shape& s, std::int32_t typeCode) {
  using R = bin::RecordNumber;
  out.Bytes(bin::kMagicBytes.data(), bin::kMagicBytes.size());
  for (std::int32_t word :
       {bin::kWriterNDim, std::int32_t{R::kLatticeDimsRecord}, std::int32_t{R::kDataRecordNumber},
        std::int32_t{R::kGeometryRecordNumber}})
    out.Word(word);
  DimsList(out, s);
  for (std::int32_t word : {bin::kWriterNDim, std::int32_t{R::kDataDimsRecord}, 1, typeCode,
                            typeCode, std::int32_t{R::kValueListRecord}})
    out.Word(word);
  for (std::int32_t word :
       {bin::kWriterNDim, std::int32_t{R::kGeometryDimsRecord}, std::int32_t{bin::kUniform},
        std::int32_t{bin::kUniform}, std::int32_t{R::kCoordListRecord}})
    out.Word(word);
  DimsList(out, s);
}

}  // namespace

float ValueAt(std::int32_t x, std::int32_t y, std::int32_t z) {
  const std::int32_t key = (x * 7 + y * 13 + z * 29) % 1000;
  return static_cast<float>(key) * 0.12345679f - 61.7f + static_cast<float>(z) * 0.001f;
}

void WriteBinaryLattice(const std::string& path, const Shape& shape) {
  Output out(path);
  Records(out, shape, kFloatCode);
  out.Word(static_cast<std::int32_t>(shape.Values()));
  for (std::int32_t z = 0; z < shape.nz; ++z)
    for (std::int32_t y = 0; y < shape.ny; ++y)
      for (std::int32_t x = 0; x < shape.nx; ++x) out.Word(ValueAt(x, y, z));
  DimsList(out, shape);
  out.Word(bin::kUniformBoundsCount);
  for (float bound : {0.0f, 1.0f, 0.0f, 1.0f, 0.0f, 1.0f}) out.Word(bound);
  out.Close();
}

void WritePlainLattice(const std::string& path, const Shape& shape, std::int32_t perLine,
                       PlainValues values) {
  const bool floats = values == PlainValues::Floats;
  Output out(path);
  out.Text("#!/usr/explorer/bin/explorer cxLattice plain 1.0\n3\n");
  out.Text(std::to_string(shape.nx) + " " + std::to_string(shape.ny) + " " +
           std::to_string(shape.nz) + "\n1 " + std::to_string(floats ? kFloatCode : kInt32Code) +
           " 0 1\n0 1 0 1 0 1\n");
  std::int32_t onLine = 0;
  char text[32];
  for (std::int32_t z = 0; z < shape.nz; ++z)
    for (std::int32_t y = 0; y < shape.ny; ++y)
      for (std::int32_t x = 0; x < shape.nx; ++x) {
        const double value = ValueAt(x, y, z);
        const int n = floats ? std::snprintf(text, sizeof text, "%.8g", value)
                             : std::snprintf(text, sizeof text, "%.0f", std::round(value));
        out.Bytes(text, static_cast<std::size_t>(n));
        const bool lineEnd = ++onLine == perLine;
        out.Text(lineEnd ? "\n" : " ");
        if (lineEnd) onLine = 0;
      }
  if (onLine != 0) out.Text("\n");
  out.Close();
}

}  // namespace latbench
