// Reader of binary LAT files: checks every record in file order, reads each list with one
// read straight into its buffer, and hands the lattice to the host row by row. The value
// and node coordinate lists stay in file order; each row is turned into the machine's
// order as it is copied into its scan, so the lists are gone over once.
#include <bit>

#include "formats/LatSizes.h"
#include "hostaux/ByteOrder.h"
#include "hostbase/PrimType.h"
#include "import/LatImportFilter.h"

namespace {

namespace bin = lat::binary;
using hostbase::CPrimType;
using hostfw::ImportStatus_Complete;
using hostfw::ImportStatus_Stopped;

constexpr const char* kModule = "LatImpBinary";

// One row of a list in file order into a scan, in the machine's order.
void CopyRow(void* scan, const unsigned char* row, std::size_t bytes, int elementSize) noexcept {
  hostaux::BigEndianCopy(scan, row, bytes / static_cast<std::size_t>(elementSize), elementSize);
}

}  // namespace

hostfw::ImportStatus LatImportFilter::ImportBinary() {
  ReadMagicTail();
  LatticeRecord lattice;
  ReadLatticeRecord(lattice);
  recordNumber = bin::kLatticeDimsRecord;
  if (lattice.dimsRef != recordNumber) ThrowBadBinary(__LINE__);
  Dims dims;
  ReadDimsList(dims, lattice.nDim);
  for (std::int32_t i = 0; i < lattice.nDim; ++i)
    if (dims[i] < 1) ThrowBadBinary(__LINE__);
  if (++recordNumber != lattice.dataRef) ThrowBadBinary(__LINE__);
  DataRecord data;
  ReadDataRecord(data);
  if (data.nDim != lattice.nDim || data.primType != data.primTypeTag) ThrowBadBinary(__LINE__);
  if (++recordNumber != lattice.geometryRef) ThrowBadBinary(__LINE__);
  GeometryRecord geometry;
  ReadGeometryRecord(geometry);
  if (geometry.nDim != lattice.nDim) ThrowBadBinary(__LINE__);
  ReadGeometryFields(geometry, dims);
  ++recordNumber;
  ReadCheckDims(data.nDim, dims);
  if (++recordNumber != data.valuesRef) ThrowBadBinary(__LINE__);
  const std::int64_t valueCount = LatCappedProduct({data.nDataVar, dims[0], dims[1], dims[2]});
  const LatByteBuffer values = ReadValueList(bin::PrimTypeOfCode(data.primType), valueCount);
  if (++recordNumber != geometry.dimsRef) ThrowBadBinary(__LINE__);
  ReadCheckDims(data.nDim, dims);
  ++recordNumber;
  return ReadBinaryGeometry(geometry, dims, data, values);
}

void LatImportFilter::ThrowBadBinary(int line) const {
  ThrowError(kModule, line, hostfw::ErrCode::BadBinaryData, file->GetPosition(),
             file->GetFilePath());
}

std::uint8_t LatImportFilter::ReadByte() {
  std::uint8_t byte = 0;
  if (file->Read(&byte, 1) != 1) ThrowBadBinary(__LINE__);
  return byte;
}

std::int32_t LatImportFilter::ReadInt() {
  std::int32_t value = 0;
  if (file->Read(&value, sizeof value) != sizeof value) ThrowBadBinary(__LINE__);
  if constexpr (std::endian::native == std::endian::little) hostaux::ByteSwap(&value, sizeof value);
  return value;
}

std::int32_t LatImportFilter::ReadNonNegativeInt() {
  const std::int32_t value = ReadInt();
  if (value < 0) ThrowBadBinary(__LINE__);
  return value;
}

// One read of count elements, left in file order.
void LatImportFilter::ReadFileOrderArray(void* destination, std::int32_t count, int elementSize) {
  const std::size_t bytes = static_cast<std::size_t>(count) * static_cast<std::size_t>(elementSize);
  if (file->Read(destination, bytes) != bytes) ThrowBadBinary(__LINE__);
}

// One read of count elements, then each element turned from file order in place.
void LatImportFilter::ReadArray(void* destination, std::int32_t count, int elementSize) {
  ReadFileOrderArray(destination, count, elementSize);
  if (elementSize % 2 == 0 && count >= 1)
    hostaux::BigEndianArray(destination, static_cast<std::size_t>(count), elementSize);
}

// The bytes after the magic line's version word.
void LatImportFilter::ReadMagicTail() {
  for (unsigned char expected : bin::kMagicTail)
    if (ReadByte() != expected) ThrowBadBinary(__LINE__);
}

void LatImportFilter::ReadDimsList(Dims& destination, std::int32_t expectedCount) {
  destination[0] = destination[1] = destination[2] = 1;
  const std::int32_t count = ReadInt();
  if (count != expectedCount) ThrowBadBinary(__LINE__);
  ReadArray(destination, count, static_cast<int>(sizeof(std::int32_t)));
}

// A data or geometry dimension list, which must repeat the lattice's node counts.
void LatImportFilter::ReadCheckDims(std::int32_t nDim, const Dims& dims) {
  Dims check;
  ReadDimsList(check, nDim);
  for (int i = 0; i < 3; ++i)
    if (check[i] != dims[i]) ThrowBadBinary(__LINE__);
}

void LatImportFilter::ReadLatticeRecord(LatticeRecord& record) {
  record.nDim = ReadInt();
  if (record.nDim < bin::kMinDim || record.nDim > bin::kMaxDim) ThrowBadBinary(__LINE__);
  record.dimsRef = ReadNonNegativeInt();
  record.dataRef = ReadNonNegativeInt();
  record.geometryRef = ReadNonNegativeInt();
}

void LatImportFilter::ReadDataRecord(DataRecord& record) {
  record.nDim = ReadInt();
  if (record.nDim < bin::kMinDim || record.nDim > bin::kMaxDim) ThrowBadBinary(__LINE__);
  record.dimsRef = ReadNonNegativeInt();
  record.nDataVar = ReadInt();
  if (record.nDataVar < 1) ThrowBadBinary(__LINE__);
  record.primType = ReadInt();
  record.primTypeTag = ReadInt();
  if (!bin::IsValueTypeCode(record.primTypeTag)) ThrowBadBinary(__LINE__);
  record.valuesRef = ReadNonNegativeInt();
}

void LatImportFilter::ReadGeometryRecord(GeometryRecord& record) {
  record.nDim = ReadInt();
  if (record.nDim < bin::kMinDim || record.nDim > bin::kMaxDim) ThrowBadBinary(__LINE__);
  record.dimsRef = ReadNonNegativeInt();
  record.geometryType = ReadInt();
}

// The tag and the fields that depend on the geometry type; an unknown type reads none.
void LatImportFilter::ReadGeometryFields(GeometryRecord& record, const Dims& dims) {
  record.geometryTypeTag = ReadInt();
  if (record.geometryTypeTag != record.geometryType) ThrowBadBinary(__LINE__);
  if (record.geometryType == bin::kUniform) {
    record.boundsRef = ReadNonNegativeInt();
  } else if (record.geometryType == bin::kRectilinear) {
    record.nRectCoord = ReadInt();
    if (record.nRectCoord != std::int64_t{dims[0]} + dims[1] + dims[2]) ThrowBadBinary(__LINE__);
    record.rectCoordsRef = ReadNonNegativeInt();
  } else if (record.geometryType == bin::kCurvilinear) {
    record.nCoordVar = ReadInt();
    if (record.nCoordVar != bin::kNodeCoordVar) ThrowBadBinary(__LINE__);
    record.nodeCoordsRef = ReadNonNegativeInt();
  }
}

void LatImportFilter::ReadListCount(std::int32_t expectedCount) {
  if (ReadInt() != expectedCount) ThrowBadBinary(__LINE__);
}

// A list larger than the rest of the file is refused before its buffer is allocated.
void LatImportFilter::RequireBytesLeft(std::int64_t bytes) {
  if (file->GetLength() - file->GetPosition() < bytes) ThrowBadBinary(__LINE__);
}

// A short list into a fixed destination (the uniform bounds).
void LatImportFilter::ReadValueList(int primType, void* destination, std::int32_t expectedCount) {
  ReadListCount(expectedCount);
  ReadArray(destination, expectedCount, CPrimType::TypeSize[primType]);
}

// The value list into a buffer of its own, sized after the count has been checked; in
// file order.
LatByteBuffer LatImportFilter::ReadValueList(int primType, std::int64_t expectedCount) {
  const int size = CPrimType::TypeSize[primType];
  const std::int64_t bytes = expectedCount * size;
  if (bytes >= bin::kListLimit) ThrowBadBinary(__LINE__);
  const auto count = static_cast<std::int32_t>(expectedCount);
  ReadListCount(count);
  RequireBytesLeft(bytes);
  LatByteBuffer values = LatByteBuffer::Uninitialised(static_cast<std::size_t>(bytes));
  ReadFileOrderArray(values.Data(), count, size);
  return values;
}

// The x, y and z lists straight into the header's arrays.
void LatImportFilter::ReadRectCoords(hostfw::TrRectilinearLattice& header) {
  ReadArray(header.xCoords, header.nx, bin::kCoordSize);
  ReadArray(header.yCoords, header.ny, bin::kCoordSize);
  ReadArray(header.zCoords, header.nz, bin::kCoordSize);
}

// In file order, as the value list.
LatByteBuffer LatImportFilter::ReadNodeCoords(std::int64_t expectedCount) {
  const std::int64_t bytes = expectedCount * bin::kCoordSize;
  if (bytes >= bin::kListLimit) ThrowBadBinary(__LINE__);
  const auto count = static_cast<std::int32_t>(expectedCount);
  ReadListCount(count);
  RequireBytesLeft(bytes);
  LatByteBuffer coords = LatByteBuffer::Uninitialised(static_cast<std::size_t>(bytes));
  ReadFileOrderArray(coords.Data(), count, bin::kCoordSize);
  return coords;
}

hostfw::ImportStatus LatImportFilter::ReadBinaryGeometry(const GeometryRecord& geometry,
                                                         const Dims& dims, const DataRecord& data,
                                                         const LatByteBuffer& values) {
  switch (geometry.geometryType) {
    case bin::kUniform:
      return ReadUniformBinary(geometry, dims, data, values);
    case bin::kRectilinear:
      return ReadRectilinearBinary(geometry, dims, data, values);
    case bin::kCurvilinear:
      return ReadCurvilinearBinary(geometry, dims, data, values);
    default:
      ThrowError(kModule, __LINE__, hostfw::ErrCode::UnknownCode);
  }
}

hostfw::ImportStatus LatImportFilter::ReadUniformBinary(const GeometryRecord& geometry,
                                                        const Dims& dims, const DataRecord& data,
                                                        const LatByteBuffer& values) {
  const int dataType = bin::PrimTypeOfCode(data.primType);
  hostfw::TrUniformLattice header(dataType, dims[0], dims[1], dims[2], data.nDataVar);
  if (recordNumber != geometry.boundsRef) ThrowBadBinary(__LINE__);
  float bounds[6] = {0, 0, 0, 0, 0, 0};
  ReadValueList(bin::kCoordPrimType, bounds, 2 * geometry.nDim);
  ++recordNumber;
  for (int a = 0; a < 3; ++a) {
    const float divisor = dims[a] > 1 ? static_cast<float>(dims[a] - 1) : 1.0f;
    header.origin[a] = bounds[2 * a];
    header.spacing[a] = (bounds[2 * a + 1] - bounds[2 * a]) / divisor;
  }
  AddUniformSummary(header, FileName());
  return SendLattice(header, values);
}

// Header, rows and end marker of a uniform or rectilinear lattice.
hostfw::ImportStatus LatImportFilter::SendLattice(hostfw::TrLattice& header,
                                                  const LatByteBuffer& values) {
  if (!ImportObject(header)) return ImportStatus_Stopped;
  const std::int64_t rows = std::int64_t{header.ny} * header.nz;
  const std::size_t bytesPerRow = values.Size() / static_cast<std::size_t>(rows);
  if (SendDataScans(header, values, rows, bytesPerRow) != ImportStatus_Complete)
    return ImportStatus_Stopped;
  return ImportEnd();
}

hostfw::ImportStatus LatImportFilter::ReadRectilinearBinary(const GeometryRecord& geometry,
                                                            const Dims& dims,
                                                            const DataRecord& data,
                                                            const LatByteBuffer& values) {
  if (recordNumber != geometry.rectCoordsRef) ThrowBadBinary(__LINE__);
  ReadListCount(geometry.nRectCoord);
  RequireBytesLeft(std::int64_t{geometry.nRectCoord} * bin::kCoordSize);
  hostfw::TrRectilinearLattice header(bin::kCoordPrimType, bin::PrimTypeOfCode(data.primType),
                                      dims[0], dims[1], dims[2], data.nDataVar);
  ReadRectCoords(header);
  ++recordNumber;
  AddRectilinearSummary(header, FileName());
  return SendLattice(header, values);
}

hostfw::ImportStatus LatImportFilter::ReadCurvilinearBinary(const GeometryRecord& geometry,
                                                            const Dims& dims,
                                                            const DataRecord& data,
                                                            const LatByteBuffer& values) {
  hostfw::TrCurvilinearLattice header(bin::kCoordPrimType, bin::PrimTypeOfCode(data.primType),
                                      dims[0], dims[1], dims[2], data.nDataVar);
  AddCurvilinearSummary(header, FileName());
  if (!ImportObject(header)) return ImportStatus_Stopped;
  if (recordNumber != geometry.nodeCoordsRef) ThrowBadBinary(__LINE__);
  const std::int64_t nodes = LatCappedProduct({dims[0], dims[1], dims[2]});
  const LatByteBuffer coords = ReadNodeCoords(LatCappedProduct({nodes, bin::kNodeCoordVar}));
  ++recordNumber;
  return SendCurvilinearRows(header, coords, values);
}

// Per row a coordinate scan, then a data scan; then the end marker.
hostfw::ImportStatus LatImportFilter::SendCurvilinearRows(
    const hostfw::TrCurvilinearLattice& header, const LatByteBuffer& coords,
    const LatByteBuffer& values) {
  const std::size_t coordRowBytes =
      static_cast<std::size_t>(header.nx) * bin::kNodeCoordVar * bin::kCoordSize;
  hostfw::TrLatticeScan coordScan(static_cast<int>(coordRowBytes));
  hostfw::TrLatticeScan dataScan(header);
  const std::int64_t rows = std::int64_t{header.ny} * header.nz;
  const std::size_t dataRowBytes = values.Size() / static_cast<std::size_t>(rows);
  const int valueSize = CPrimType::TypeSize[header.dataType];
  for (std::int64_t r = 0; r < rows; ++r) {
    const auto row = static_cast<std::size_t>(r);
    CopyRow(coordScan.data, coords.Data() + row * coordRowBytes, coordRowBytes, bin::kCoordSize);
    if (!ImportObject(coordScan)) return ImportStatus_Stopped;
    CopyRow(dataScan.data, values.Data() + row * dataRowBytes, dataRowBytes, valueSize);
    if (!ImportObject(dataScan)) return ImportStatus_Stopped;
    if (!ReportRowProgress(r, rows)) return ImportStatus_Stopped;
  }
  return ImportEnd();
}

hostfw::ImportStatus LatImportFilter::SendDataScans(const hostfw::TrLattice& header,
                                                    const LatByteBuffer& values,
                                                    std::int64_t rowCount,
                                                    std::size_t bytesPerRow) {
  hostfw::TrLatticeScan scan(header);
  const int valueSize = CPrimType::TypeSize[header.dataType];
  for (std::int64_t r = 0; r < rowCount; ++r) {
    const auto row = static_cast<std::size_t>(r);
    CopyRow(scan.data, values.Data() + row * bytesPerRow, bytesPerRow, valueSize);
    if (!ImportObject(scan)) return ImportStatus_Stopped;
    if (!ReportRowProgress(r, rowCount)) return ImportStatus_Stopped;
  }
  return ImportStatus_Complete;
}
