// Encodes test lattices as binary LAT files, big-endian, recording every field's offset.
#include "tests/support/LatBinaryWriter.h"

#include <bit>
#include <stdexcept>

#include "hostbase/PrimType.h"
#include "tests/support/TempDir.h"

namespace lattest {
namespace {

using hostbase::CPrimType;
using lat::binary::kValueTypes;

void PutBigEndian(std::vector<std::uint8_t>& out, std::uint64_t bits, int size) {
  for (int i = size - 1; i >= 0; --i) out.push_back(static_cast<std::uint8_t>(bits >> (8 * i)));
}

// One value of file type code 0..4, rounded and saturated as the host converts.
void PutValue(std::vector<std::uint8_t>& out, std::int32_t type, double v) {
  if (!lat::binary::IsValueTypeCode(type))
    throw std::invalid_argument("PutValue: type code outside 0..4");
  std::uint8_t bytes[8];
  CPrimType::CastArray(CPrimType::Double, &v, kValueTypes[type].primType, bytes, 1, 1);
  const int size = kValueTypes[type].size;
  for (int i = 0; i < size; ++i)
    out.push_back(bytes[std::endian::native == std::endian::little ? size - 1 - i : i]);
}

}  // namespace

BinaryImage EncodeBinary(const BinaryLattice& lat) {
  using namespace lat::binary;
  using F = BinaryField;
  BinaryImage image;
  image.offsets.fill(BinaryImage::kAbsent);
  std::vector<std::uint8_t>& out = image.bytes;
  const auto put = [&](F field, std::int32_t value) {
    if (field != F::Count) image.offsets[static_cast<std::size_t>(field)] = out.size();
    PutBigEndian(out, static_cast<std::uint32_t>(value), 4);
  };
  const auto dim = [&](std::int32_t i) {
    return i < lat.nDim && static_cast<std::size_t>(i) < lat.dims.size() ? lat.dims[i] : 1;
  };
  // A dimension list; entries beyond the eighth have no field of their own.
  const auto dims = [&](F count, F first) {
    put(count, lat.nDim);
    for (std::int32_t i = 0; i < lat.nDim; ++i) put(i < 8 ? first + i : F::Count, dim(i));
  };

  out.assign(lat.magicLine.begin(), lat.magicLine.end());
  out.insert(out.end(), lat.magicTail.begin(), lat.magicTail.end());
  put(F::LatticeNDim, lat.nDim);
  put(F::LatticeDimsRef, kLatticeDimsRecord);
  put(F::DataRef, kDataRecordNumber);
  put(F::GeometryRef, kGeometryRecordNumber);
  dims(F::LatticeDimsCount, F::LatticeDim0);
  put(F::DataNDim, lat.nDim);
  put(F::DataDimsRef, kDataDimsRecord);
  put(F::NDataVar, lat.nDataVar);
  put(F::PrimType, lat.primType);
  put(F::PrimTypeTag, lat.primType);
  put(F::ValuesRef, kValueListRecord);
  put(F::GeometryNDim, lat.nDim);
  put(F::GeometryDimsRef, kGeometryDimsRecord);
  put(F::GeometryType, lat.geometryType);
  put(F::GeometryTypeTag, lat.geometryType);
  if (lat.geometryType == kUniform) put(F::GeometryField5, kCoordListRecord);
  if (lat.geometryType == kRectilinear || lat.geometryType == kCurvilinear) {
    const std::int64_t axes = std::int64_t{dim(0)} + dim(1) + dim(2);
    put(F::GeometryField5,
        lat.geometryType == kRectilinear ? static_cast<std::int32_t>(axes) : lat.nCoordVar);
    put(F::GeometryField6, kCoordListRecord);
  }
  dims(F::DataDimsCount, F::DataDim0);

  // Raw values are counted in units of their type's size (bytes for an invalid type).
  const std::size_t size = IsValueTypeCode(lat.primType) ? kValueTypes[lat.primType].size : 1;
  const std::size_t count = lat.rawValues ? lat.rawValues->size() / size : lat.values.size();
  put(F::ValueCount, static_cast<std::int32_t>(count));
  image.firstValue = out.size();
  if (lat.rawValues)
    out.insert(out.end(), lat.rawValues->begin(), lat.rawValues->end());
  else
    for (double v : lat.values) PutValue(out, lat.primType, v);
  dims(F::GeometryDimsCount, F::GeometryDim0);
  put(F::CoordCount, static_cast<std::int32_t>(lat.coords.size()));
  image.firstCoord = out.size();
  for (float c : lat.coords) PutValue(out, 3, c);
  return image;
}

void BinaryImage::SetInt(BinaryField field, std::int32_t value) {
  const std::size_t at = Offset(field);
  if (at == kAbsent || at + 4 > bytes.size())
    throw std::out_of_range("BinaryImage: field not in the file");
  for (std::size_t i = 0; i < 4; ++i)
    bytes[at + i] = static_cast<std::uint8_t>(static_cast<std::uint32_t>(value) >> (24 - 8 * i));
}

void BinaryImage::WriteTo(const std::string& path) const {
  WriteFile(path, {reinterpret_cast<const char*>(bytes.data()), bytes.size()});
}

}  // namespace lattest
