// Encodes test lattices as binary LAT files, big-endian, recording every field's offset.
#include "tests/support/LatBinaryWriter.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <fstream>
#include <limits>
#include <stdexcept>

namespace lattest {
namespace {

using lat::binary::kValueTypes;

void PutBigEndian(std::vector<std::uint8_t>& out, std::uint64_t bits, int size) {
  for (int i = size - 1; i >= 0; --i) out.push_back(static_cast<std::uint8_t>(bits >> (8 * i)));
}

template <class T>
std::uint64_t SaturatedBits(double value) {
  const double lo = static_cast<double>(std::numeric_limits<T>::min());
  const double hi = static_cast<double>(std::numeric_limits<T>::max());
  const double r = std::clamp(std::round(value), lo, hi);
  return static_cast<std::uint64_t>(static_cast<std::int64_t>(r));
}

void PutInt32(std::vector<std::uint8_t>& out, std::int32_t value) {
  PutBigEndian(out, static_cast<std::uint32_t>(value), 4);
}

// One value of file type code 0..4, rounded and saturated for the integer types.
void PutValue(std::vector<std::uint8_t>& out, std::int32_t primType, double value) {
  switch (primType) {
    case 0:
      return PutBigEndian(out, SaturatedBits<std::int8_t>(value), 1);
    case 1:
      return PutBigEndian(out, SaturatedBits<std::int16_t>(value), 2);
    case 2:
      return PutBigEndian(out, SaturatedBits<std::int32_t>(value), 4);
    case 3:
      return PutBigEndian(out, std::bit_cast<std::uint32_t>(static_cast<float>(value)), 4);
    case 4:
      return PutBigEndian(out, std::bit_cast<std::uint64_t>(value), 8);
  }
  throw std::invalid_argument("PutValue: type code outside 0..4");
}

class Encoder {
 public:
  explicit Encoder(BinaryImage& image) : image_(image) {
    image_.offsets.fill(BinaryImage::kAbsent);
  }

  void Int(BinaryField field, std::int32_t value) {
    image_.offsets[static_cast<std::size_t>(field)] = image_.bytes.size();
    PutInt32(image_.bytes, value);
  }
  void Dims(BinaryField countField, BinaryField first, const BinaryLattice& lat) {
    Int(countField, lat.nDim);
    for (std::int32_t i = 0; i < lat.nDim; ++i) {
      const auto index = static_cast<std::size_t>(i);
      const std::int32_t n = index < lat.dims.size() ? lat.dims[index] : 1;
      if (i < 8)
        Int(first + i, n);
      else
        PutInt32(image_.bytes, n);
    }
  }
  std::vector<std::uint8_t>& Bytes() { return image_.bytes; }

 private:
  BinaryImage& image_;
};

void EncodeRecords(Encoder& e, const BinaryLattice& lat) {
  using namespace lat::binary;
  e.Int(BinaryField::LatticeNDim, lat.nDim);
  e.Int(BinaryField::LatticeDimsRef, kLatticeDimsRecord);
  e.Int(BinaryField::DataRef, kDataRecordNumber);
  e.Int(BinaryField::GeometryRef, kGeometryRecordNumber);
  e.Dims(BinaryField::LatticeDimsCount, BinaryField::LatticeDim0, lat);
  e.Int(BinaryField::DataNDim, lat.nDim);
  e.Int(BinaryField::DataDimsRef, kDataDimsRecord);
  e.Int(BinaryField::NDataVar, lat.nDataVar);
  e.Int(BinaryField::PrimType, lat.primType);
  e.Int(BinaryField::PrimTypeTag, lat.primType);
  e.Int(BinaryField::ValuesRef, kValueListRecord);
  e.Int(BinaryField::GeometryNDim, lat.nDim);
  e.Int(BinaryField::GeometryDimsRef, kGeometryDimsRecord);
  e.Int(BinaryField::GeometryType, lat.geometryType);
  e.Int(BinaryField::GeometryTypeTag, lat.geometryType);
  if (lat.geometryType == kUniform) {
    e.Int(BinaryField::GeometryField5, kCoordListRecord);
  } else if (lat.geometryType == kRectilinear || lat.geometryType == kCurvilinear) {
    std::int64_t sum = 0;
    for (std::int32_t i = 0; i < 3; ++i) {
      const auto index = static_cast<std::size_t>(i);
      sum += i < lat.nDim && index < lat.dims.size() ? lat.dims[index] : 1;
    }
    const std::int32_t field5 =
        lat.geometryType == kRectilinear ? static_cast<std::int32_t>(sum) : lat.nCoordVar;
    e.Int(BinaryField::GeometryField5, field5);
    e.Int(BinaryField::GeometryField6, kCoordListRecord);
  }
  e.Dims(BinaryField::DataDimsCount, BinaryField::DataDim0, lat);
}

void EncodeValues(Encoder& e, BinaryImage& image, const BinaryLattice& lat) {
  const bool validType = lat::binary::IsValueTypeCode(lat.primType);
  if (lat.rawValues) {
    const std::size_t size =
        validType ? static_cast<std::size_t>(kValueTypes[lat.primType].size) : 1;
    e.Int(BinaryField::ValueCount, static_cast<std::int32_t>(lat.rawValues->size() / size));
    image.firstValue = image.bytes.size();
    image.bytes.insert(image.bytes.end(), lat.rawValues->begin(), lat.rawValues->end());
    return;
  }
  if (!validType && !lat.values.empty())
    throw std::invalid_argument("EncodeBinary: values of an invalid type code need rawValues");
  e.Int(BinaryField::ValueCount, static_cast<std::int32_t>(lat.values.size()));
  image.firstValue = image.bytes.size();
  for (double v : lat.values) PutValue(image.bytes, lat.primType, v);
}

}  // namespace

BinaryImage EncodeBinary(const BinaryLattice& lat) {
  BinaryImage image;
  Encoder e(image);
  image.bytes.assign(lat.magicLine.begin(), lat.magicLine.end());
  image.bytes.insert(image.bytes.end(), lat.magicTail.begin(), lat.magicTail.end());
  EncodeRecords(e, lat);
  EncodeValues(e, image, lat);
  e.Dims(BinaryField::GeometryDimsCount, BinaryField::GeometryDim0, lat);
  e.Int(BinaryField::CoordCount, static_cast<std::int32_t>(lat.coords.size()));
  image.firstCoord = image.bytes.size();
  for (float c : lat.coords) PutValue(image.bytes, 3, c);
  return image;
}

void BinaryImage::SetInt(BinaryField field, std::int32_t value) {
  const std::size_t at = Offset(field);
  if (at == kAbsent || at + 4 > bytes.size())
    throw std::out_of_range("BinaryImage: field not in the file");
  for (std::size_t i = 0; i < 4; ++i)
    bytes[at + i] = static_cast<std::uint8_t>(static_cast<std::uint32_t>(value) >> (24 - 8 * i));
}

std::int32_t BinaryImage::GetInt(BinaryField field) const {
  const std::size_t at = Offset(field);
  if (at == kAbsent || at + 4 > bytes.size())
    throw std::out_of_range("BinaryImage: field not in the file");
  std::uint32_t v = 0;
  for (std::size_t i = 0; i < 4; ++i) v = (v << 8) | bytes[at + i];
  return static_cast<std::int32_t>(v);
}

void BinaryImage::WriteTo(const std::string& path) const {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("BinaryImage: cannot write " + path);
}

std::vector<double> Ramp(std::size_t n, double start, double step) {
  std::vector<double> v(n);
  for (std::size_t i = 0; i < n; ++i) v[i] = start + step * static_cast<double>(i);
  return v;
}

}  // namespace lattest
