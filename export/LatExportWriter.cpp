// The binary LAT writer: the records up to the data dimension list when the header
// arrives, every row into the row store as its scan arrives (converted and byte-swapped
// once), and the value list, geometry dimension list and coordinate list after the last
// scan.
#include <algorithm>
#include <cstring>

#include "export/LatExportFilter.h"
#include "formats/LatBinaryFormat.h"
#include "hostaux/ByteOrder.h"

namespace {

namespace bin = lat::binary;
using hostbase::CPrimType;

constexpr int kFieldSize = static_cast<int>(bin::kFieldSize);
constexpr std::size_t kStackBytes = 64;  // fields and dimension lists fit here

// The row store's lattice type for a geometry type code: 1 uniform, 2 rectilinear,
// 3 curvilinear.
constexpr int StoreLatticeType(std::int32_t kind) {
  return kind + 1;
}

}  // namespace

// Writes count elements in file byte order (most significant byte first).
void LatExportFilter::WriteArray(const void* values, std::size_t count, int elementSize) {
  const std::size_t bytes = count * static_cast<std::size_t>(elementSize);
  unsigned char small[kStackBytes];
  unsigned char* buffer = small;
  if (bytes > kStackBytes) {
    if (listBuffer.size() < bytes) listBuffer.resize(bytes);
    buffer = listBuffer.data();
  }
  if (bytes != 0) std::memcpy(buffer, values, bytes);
  if (elementSize % 2 == 0) hostaux::BigEndianArray(buffer, count, elementSize);
  file.Write(buffer, bytes);
}

void LatExportFilter::WriteField(std::int32_t value) {
  WriteArray(&value, 1, kFieldSize);
}

void LatExportFilter::WriteDimsList() {
  const std::int32_t dims[bin::kWriterNDim] = {
      static_cast<std::int32_t>(nx), static_cast<std::int32_t>(ny), static_cast<std::int32_t>(nz)};
  WriteField(bin::kWriterNDim);
  WriteArray(dims, bin::kWriterNDim, kFieldSize);
}

// The lattice record, lattice dimension list, data record, geometry record and data
// dimension list. References are handed out in the order they are written: 3, 4, 5, 6.
void LatExportFilter::WriteHeader() {
  const std::int32_t primType = bin::CodeOfPrimType(dataType);
  const std::int32_t latticeRecord[] = {bin::kWriterNDim, bin::kLatticeDimsRecord,
                                        bin::kDataRecordNumber, bin::kGeometryRecordNumber};
  WriteArray(latticeRecord, 4, kFieldSize);
  std::int32_t nextRef = bin::kDataDimsRecord;
  WriteDimsList();

  WriteField(bin::kWriterNDim);
  WriteField(nextRef++);
  WriteField(static_cast<std::int32_t>(numComponents));
  WriteField(primType);
  WriteField(primType);
  WriteField(nextRef++);

  WriteField(bin::kWriterNDim);
  WriteField(nextRef++);
  WriteField(latticeKind);  // the geometry type and its tag
  WriteField(latticeKind);
  if (latticeKind == bin::kRectilinear) {
    WriteField(RectCoordCount());
    WriteField(nextRef++);
  } else if (latticeKind == bin::kCurvilinear) {
    WriteField(bin::kNodeCoordVar);
    WriteField(nextRef++);
  } else {
    WriteField(nextRef++);
  }
  WriteDimsList();
}

// Prepares the row store for the lattice and, for a rectilinear one, stores its axes.
void LatExportFilter::StartRowStore(const hostfw::TrLattice& header) {
  const bool uniform = latticeKind == bin::kUniform;
  const bool curvilinear = latticeKind == bin::kCurvilinear;
  if (!uniform) {
    coordType = bin::kCoordPrimType;
    coordTypeSize = bin::kCoordSize;
    sourceCoordType = curvilinear
                          ? static_cast<const hostfw::TrCurvilinearLattice&>(header).coordType
                          : static_cast<const hostfw::TrRectilinearLattice&>(header).coordType;
    sourceCoordTypeSize = CPrimType::TypeSize[sourceCoordType];
  }
  resequencer.Start(StoreLatticeType(latticeKind), static_cast<int>(nx), static_cast<int>(ny),
                    static_cast<int>(nz), static_cast<int>(numComponents),
                    uniform ? 0 : bin::kCoordSize, dataTypeSize, curvilinear, true);
  rowBuffer.assign(std::size_t{nx} * numComponents * static_cast<std::size_t>(dataTypeSize), 0);
  coordBuffer.assign(curvilinear ? std::size_t{nx} * bin::kNodeCoordVar * bin::kCoordSize : 0, 0);
  blankInType = hostbase::CPrimData(dataType);
  blankInType.ConvertData(blankReplacement);
  if (latticeKind == bin::kRectilinear) {
    const auto& rect = static_cast<const hostfw::TrRectilinearLattice&>(header);
    StoreAxis(rect.xCoords, nx, &hostaux::LatticeResequencer::WriteRectilinearXs);
    StoreAxis(rect.yCoords, ny, &hostaux::LatticeResequencer::WriteRectilinearYs);
    StoreAxis(rect.zCoords, nz, &hostaux::LatticeResequencer::WriteRectilinearZs);
  }
}

// One axis as floats in the machine's byte order; WriteBody swaps them.
void LatExportFilter::StoreAxis(const void* coords, std::uint32_t count,
                                void (hostaux::LatticeResequencer::*store)(const void*)) {
  listBuffer.resize(std::max(listBuffer.size(), std::size_t{count} * bin::kCoordSize));
  CPrimType::CastArray(sourceCoordType, coords, coordType, listBuffer.data(), count, 1);
  (resequencer.*store)(listBuffer.data());
}

// Row r is at y = r mod ny, z = r div ny.
void LatExportFilter::StoreScan(const hostfw::TrLatticeScan& scan) {
  const std::uint32_t row = scanOrder.RowOf(scansReceived);
  const auto y = static_cast<int>(row % ny);
  const auto z = static_cast<int>(row / ny);
  if (scanOrder.IsCoordinateScan(scansReceived)) {
    StoreCoordinateRow(scan, y, z);
    return;
  }
  const std::size_t values = std::size_t{nx} * numComponents;
  CheckScanSize(scan, values * static_cast<std::size_t>(sourceDataTypeSize));
  ConvertRow(scan.data, rowBuffer.data());
  hostaux::BigEndianArray(rowBuffer.data(), values, dataTypeSize);
  resequencer.WriteRowOfMultiComponentData(y, z, rowBuffer.data());
}

void LatExportFilter::StoreCoordinateRow(const hostfw::TrLatticeScan& scan, int y, int z) {
  const std::size_t coords = std::size_t{nx} * bin::kNodeCoordVar;
  CheckScanSize(scan, coords * static_cast<std::size_t>(sourceCoordTypeSize));
  CPrimType::CastArray(sourceCoordType, scan.data, coordType, coordBuffer.data(), coords, 1);
  hostaux::BigEndianArray(coordBuffer.data(), coords, coordTypeSize);
  resequencer.WriteRowOfXYZ(y, z, coordBuffer.data());
}

// The value list (rows as stored), the geometry dimension list and the coordinate list.
void LatExportFilter::WriteBody() {
  WriteField(static_cast<std::int32_t>(numComponents * nz * ny * nx));
  const std::size_t rowBytes = resequencer.GetDataScanlineSize();
  rowBuffer.resize(std::max(rowBuffer.size(), rowBytes));
  for (std::uint32_t z = 0; z < nz; ++z) {
    for (std::uint32_t y = 0; y < ny; ++y) {
      resequencer.ReadRowOfMultiComponentData(static_cast<int>(y), static_cast<int>(z),
                                              rowBuffer.data());
      file.Write(rowBuffer.data(), rowBytes);
    }
  }
  WriteDimsList();
  WriteCoordinateList();
}

void LatExportFilter::WriteCoordinateList() {
  if (latticeKind == bin::kUniform) {
    const float bounds[bin::kUniformBoundsCount] = {
        static_cast<float>(origin[0]), static_cast<float>(farCorner[0]),
        static_cast<float>(origin[1]), static_cast<float>(farCorner[1]),
        static_cast<float>(origin[2]), static_cast<float>(farCorner[2])};
    WriteField(bin::kUniformBoundsCount);
    WriteArray(bounds, bin::kUniformBoundsCount, bin::kCoordSize);
  } else if (latticeKind == bin::kRectilinear) {
    WriteField(RectCoordCount());
    WriteAxis(resequencer.GetRectiXCoordsTotalSize(), nx,
              &hostaux::LatticeResequencer::ReadRectilinearXs);
    WriteAxis(resequencer.GetRectiYCoordsTotalSize(), ny,
              &hostaux::LatticeResequencer::ReadRectilinearYs);
    WriteAxis(resequencer.GetRectiZCoordsTotalSize(), nz,
              &hostaux::LatticeResequencer::ReadRectilinearZs);
  } else {
    WriteField(static_cast<std::int32_t>(bin::kNodeCoordVar * nx * ny * nz));
    const std::size_t rowBytes = std::size_t{nx} * bin::kNodeCoordVar * bin::kCoordSize;
    for (std::uint32_t z = 0; z < nz; ++z) {
      for (std::uint32_t y = 0; y < ny; ++y) {
        resequencer.ReadRowOfXYZ(static_cast<int>(y), static_cast<int>(z), coordBuffer.data());
        file.Write(coordBuffer.data(), rowBytes);
      }
    }
  }
}

void LatExportFilter::WriteAxis(std::size_t bytes, std::uint32_t count,
                                void (hostaux::LatticeResequencer::*read)(void*) const) {
  const std::size_t needed = std::size_t{count} * static_cast<std::size_t>(coordTypeSize);
  coordBuffer.resize(std::max({coordBuffer.size(), bytes, needed}));
  (resequencer.*read)(coordBuffer.data());
  WriteArray(coordBuffer.data(), count, coordTypeSize);
}
