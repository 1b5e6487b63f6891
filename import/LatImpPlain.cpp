// Reader of plain text LAT files: header numbers, geometry and data blocks, each block
// handed to the host as a lattice of its own, row by row.
#include <cstring>

#include "formats/LatSizes.h"
#include "hostbase/PrimType.h"
#include "import/LatImportFilter.h"

namespace {

using hostbase::CPrimType;
using hostfw::ImportStatus;
using hostfw::ImportStatus_Complete;
using hostfw::ImportStatus_Stopped;

constexpr int kCoordSize = lat::binary::kCoordSize;
// Below this a buffer the file cannot fill is allocated all the same, so that a file cut
// inside its first row or coordinate list fails where its numbers end, like any other cut.
constexpr std::int64_t kEarlyRefusalBytes = std::int64_t{64} << 20;

}  // namespace

hostfw::ImportStatus LatImportFilter::ImportPlain() {
  file->Seek(0, 0);
  lineNumber = 0;
  curChar = lat::plain::kLineFeed;
  const std::int32_t nDim = ReadInteger();
  if (nDim < lat::binary::kMinDim || nDim > lat::binary::kMaxDim) ThrowNumberError(__LINE__);
  Dims dims = {1, 1, 1};
  for (std::int32_t i = 0; i < nDim; ++i) dims[i] = ReadIntegerAtLeast(1, __LINE__);
  const std::int32_t nDataVar = ReadIntegerAtLeast(1, __LINE__);
  const std::int32_t code = ReadInteger();
  if (!lat::plain::IsValueTypeCode(code)) ThrowNumberError(__LINE__);
  const int dataType = lat::plain::PrimTypeOfCode(code);
  const int elementSize = CPrimType::TypeSize[dataType];
  const std::int64_t rowValues = std::int64_t{dims[0]} * nDataVar;
  CheckPlainBuffer(rowValues, LatCappedProduct({rowValues, elementSize}), __LINE__);
  const std::int32_t geometryType = ReadInteger();
  if (geometryType < 0 || geometryType >= lat::plain::kGeometryTypeCount)
    ThrowNumberError(__LINE__);
  const std::int32_t latticeCount = ReadIntegerAtLeast(1, __LINE__);
  if (geometryType == lat::plain::kUniform)
    return ReadUniformPlain(nDim, dims, nDataVar, dataType, elementSize, latticeCount);
  if (geometryType == lat::plain::kRectilinear)
    return ReadRectilinearPlain(nDim, dims, nDataVar, dataType, elementSize, latticeCount);
  return ReadCurvilinearPlain(dims, nDataVar, dataType, elementSize, latticeCount);
}

std::int32_t LatImportFilter::ReadIntegerAtLeast(std::int32_t minimum, int line) {
  const std::int32_t value = ReadInteger();
  if (value < minimum) ThrowNumberError(line);
  return value;
}

// Refuses, before it is allocated, a buffer of `bytes` for `values` numbers that is beyond
// a 32-bit byte count, or large and more than the file can hold (every value takes at
// least a word byte and a whitespace byte).
void LatImportFilter::CheckPlainBuffer(std::int64_t values, std::int64_t bytes, int line) const {
  if (bytes >= lat::binary::kListLimit) ThrowNumberError(line);
  if (bytes > kEarlyRefusalBytes && values > file->GetLength() / lat::plain::kMinBytesPerValue)
    ThrowNumberError(line);
}

// `count` values of `type`, one after another from `destination`. The numbers are read in
// place in the file's buffer while they can be, and converted by CastArray in runs of up
// to kValueRun, which give the same values as one call per number at a fraction of the
// calls.
void LatImportFilter::ReadValues(unsigned char* destination, std::int64_t count, int type,
                                 int elementSize) {
  constexpr std::int64_t kValueRun = 64;
  double run[kValueRun];
  while (count > 0) {
    const std::int64_t n = count < kValueRun ? count : kValueRun;
    for (std::size_t i = 0; i < static_cast<std::size_t>(n);) {
      i += ReadNumbersInPlace(run + i, static_cast<std::size_t>(n) - i);
      if (i < static_cast<std::size_t>(n)) run[i++] = ReadNumberByBytes();
    }
    CPrimType::CastArray(CPrimType::Double, run, type, destination, static_cast<std::size_t>(n), 1);
    destination += n * elementSize;
    count -= n;
  }
}

hostfw::ImportStatus LatImportFilter::ReadUniformPlain(std::int32_t nDim, const Dims& dims,
                                                       std::int32_t nDataVar, int dataType,
                                                       int elementSize, std::int32_t latticeCount) {
  double first[3] = {0.0, 0.0, 0.0};
  double last[3] = {0.0, 0.0, 0.0};
  for (std::int32_t i = 0; i < nDim; ++i) {
    first[i] = ReadNumber();
    last[i] = ReadNumber();
  }
  const std::int64_t rows = std::int64_t{dims[1]} * dims[2];
  for (std::int32_t k = 0; k < latticeCount; ++k) {
    hostfw::TrUniformLattice header(dataType, dims[0], dims[1], dims[2], nDataVar);
    for (int a = 0; a < 3; ++a) {
      const double divisor = dims[a] > 1 ? static_cast<double>(dims[a] - 1) : 1.0;
      header.origin[a] = first[a];
      header.spacing[a] = (last[a] - first[a]) / divisor;
    }
    AddUniformSummary(header, FileName());
    if (!ImportObject(header)) return ImportStatus_Stopped;
    if (ReadDataScans(header, dataType, elementSize, rows, dims[0], nDataVar) !=
        ImportStatus_Complete)
      return ImportStatus_Stopped;
    if (ImportEnd() != ImportStatus_Complete) return ImportStatus_Stopped;
  }
  return ImportStatus_Complete;
}

// `count` numbers converted to 32-bit floats into a coordinate array.
void LatImportFilter::ReadPlainCoords(void* destination, std::int32_t count) {
  ReadValues(static_cast<unsigned char*>(destination), count, lat::plain::kCoordPrimType,
             kCoordSize);
}

hostfw::ImportStatus LatImportFilter::ReadRectilinearPlain(std::int32_t nDim, const Dims& dims,
                                                           std::int32_t nDataVar, int dataType,
                                                           int elementSize,
                                                           std::int32_t latticeCount) {
  std::int64_t given = 0;
  for (std::int32_t i = 0; i < nDim; ++i) given += dims[i];
  const std::int64_t allocated = std::int64_t{dims[0]} + dims[1] + dims[2];
  CheckPlainBuffer(given, LatCappedProduct({allocated, kCoordSize}), __LINE__);
  hostfw::TrRectilinearLattice header(lat::plain::kCoordPrimType, dataType, dims[0], dims[1],
                                      dims[2], nDataVar);
  void* const lists[3] = {header.xCoords, header.yCoords, header.zCoords};
  for (std::int32_t i = 0; i < 3; ++i) {
    if (i < nDim)
      ReadPlainCoords(lists[i], dims[i]);
    else
      std::memset(lists[i], 0, kCoordSize);
  }
  AddRectilinearSummary(header, FileName());
  const std::int64_t rows = std::int64_t{dims[1]} * dims[2];
  for (std::int32_t k = 0; k < latticeCount; ++k) {
    if (!ImportObject(header)) return ImportStatus_Stopped;
    if (ReadDataScans(header, dataType, elementSize, rows, dims[0], nDataVar) !=
        ImportStatus_Complete)
      return ImportStatus_Stopped;
    if (ImportEnd() != ImportStatus_Complete) return ImportStatus_Stopped;
  }
  return ImportStatus_Complete;
}

// The first nCoordVar coordinates of every node; those a node does not give stay 0.
LatByteBuffer LatImportFilter::ReadPlainNodeCoords(const Dims& dims, std::int32_t nCoordVar) {
  const std::int64_t nodes = LatCappedProduct({dims[0], dims[1], dims[2]});
  const std::int64_t bytes = LatCappedProduct({nodes, lat::binary::kNodeCoordVar, kCoordSize});
  CheckPlainBuffer(nodes * nCoordVar, bytes, __LINE__);
  LatByteBuffer coords = LatByteBuffer::Zeroed(static_cast<std::size_t>(bytes));
  unsigned char* node = coords.Data();
  const std::size_t nodeBytes = lat::binary::kNodeCoordVar * kCoordSize;
  for (std::int64_t n = 0; n < nodes; ++n, node += nodeBytes)
    ReadValues(node, nCoordVar, lat::plain::kCoordPrimType, kCoordSize);
  return coords;
}

hostfw::ImportStatus LatImportFilter::ReadCurvilinearPlain(const Dims& dims, std::int32_t nDataVar,
                                                           int dataType, int elementSize,
                                                           std::int32_t latticeCount) {
  hostfw::TrCurvilinearLattice header(lat::plain::kCoordPrimType, dataType, dims[0], dims[1],
                                      dims[2], nDataVar);
  AddCurvilinearSummary(header, FileName());
  const std::int32_t nCoordVar = ReadIntegerAtLeast(1, __LINE__);
  if (nCoordVar > lat::plain::kMaxCoordVar) ThrowNumberError(__LINE__);
  const LatByteBuffer coords = ReadPlainNodeCoords(dims, nCoordVar);
  for (std::int32_t k = 0; k < latticeCount; ++k) {
    if (!ImportObject(header)) return ImportStatus_Stopped;
    if (SendCurvilinearBlock(header, coords, dataType, elementSize) != ImportStatus_Complete)
      return ImportStatus_Stopped;
  }
  return ImportStatus_Complete;
}

// One data block of a curvilinear lattice: per row a coordinate scan, then a data scan.
hostfw::ImportStatus LatImportFilter::SendCurvilinearBlock(
    const hostfw::TrCurvilinearLattice& header, const LatByteBuffer& coords, int dataType,
    int elementSize) {
  const std::size_t coordRowBytes =
      static_cast<std::size_t>(header.nx) * lat::binary::kNodeCoordVar * kCoordSize;
  hostfw::TrLatticeScan coordScan(static_cast<int>(coordRowBytes));
  hostfw::TrLatticeScan dataScan(header);
  const std::int64_t rows = std::int64_t{header.ny} * header.nz;
  const std::int64_t valuesPerRow = std::int64_t{header.nx} * header.numComponents;
  for (std::int64_t r = 0; r < rows; ++r) {
    std::memcpy(coordScan.data, coords.Data() + static_cast<std::size_t>(r) * coordRowBytes,
                coordRowBytes);
    if (!ImportObject(coordScan)) return ImportStatus_Stopped;
    ReadValues(static_cast<unsigned char*>(dataScan.data), valuesPerRow, dataType, elementSize);
    if (!ImportObject(dataScan)) return ImportStatus_Stopped;
    if (!ReportRowProgress(r, rows)) return ImportStatus_Stopped;
  }
  return ImportEnd();
}

hostfw::ImportStatus LatImportFilter::ReadDataScans(const hostfw::TrLattice& header, int dataType,
                                                    int elementSize, std::int64_t rowCount,
                                                    std::int32_t nodesPerRow,
                                                    std::int32_t nDataVar) {
  hostfw::TrLatticeScan scan(header);
  const std::int64_t valuesPerRow = std::int64_t{nodesPerRow} * nDataVar;
  for (std::int64_t r = 0; r < rowCount; ++r) {
    ReadValues(static_cast<unsigned char*>(scan.data), valuesPerRow, dataType, elementSize);
    if (!ImportObject(scan)) return ImportStatus_Stopped;
    if (!ReportRowProgress(r, rowCount)) return ImportStatus_Stopped;
  }
  return ImportStatus_Complete;
}
