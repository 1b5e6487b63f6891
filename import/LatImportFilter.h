// The import filter: recognises LAT files, reads their magic line and turns the binary or
// plain form into the host's lattice transfer objects.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "formats/LatBinaryFormat.h"
#include "formats/LatPlainFormat.h"
#include "hostbase/BufferedFile.h"
#include "hostfw/IoFilter.h"
#include "hostfw/Progress.h"
#include "hostfw/Transfer.h"
#include "import/LatByteBuffer.h"

class LatImportFilter final : public hostfw::IoImportFilter {
 public:
  explicit LatImportFilter(hostfw::IoManager& manager) noexcept;
  ~LatImportFilter() override;

  void SetOptions(const char* options) override;
  std::string GetOptionsInStringForm() override;
  bool IsObjectTypeSupported(const hostbase::CTypeInfo* type) override;
  bool GetStringOption(const char* options, const char* key, std::string& value) override;
  bool CanImportFile(const char* path) override;
  hostfw::ImportStatus ImportFromFile(const char* path) override;

  // Summary texts stored under "LatticeInfo" of a header before it is handed over.
  void AddUniformSummary(hostfw::TrUniformLattice& header, const char* name);
  void AddRectilinearSummary(hostfw::TrRectilinearLattice& header, const char* name);
  void AddCurvilinearSummary(hostfw::TrCurvilinearLattice& header, const char* name);

 private:
  using LatticeRecord = lat::binary::LatticeRecord;
  using DataRecord = lat::binary::DataRecord;
  using GeometryRecord = lat::binary::GeometryRecord;
  using Dims = std::int32_t[3];

  // Import driver and shared services.
  [[noreturn]] void ThrowNotLatFile(int line) const;
  void ReadMagicLine();
  bool ReportRowProgress(std::int64_t row, std::int64_t rows);
  const char* FileName() const;

  // Character and word readers (module "LatImpPlain").
  void NextChar() {
    do curChar = file->Getc();
    while (curChar == lat::plain::kCarriageReturn);
    if (curChar == lat::plain::kLineFeed) ++lineNumber;
  }
  void SkipSpaceAndComments();
  void SkipAfter(int c);
  std::size_t ReadToken();  // returns the word's length
  double ReadNumber();
  double ReadNumberByBytes();
  std::size_t ReadNumbersInPlace(double* out, std::size_t count);
  std::int32_t ReadInteger();
  [[noreturn]] void ThrowNumberError(int line) const;

  // Plain reader (module "LatImpPlain").
  hostfw::ImportStatus ImportPlain();
  std::int32_t ReadIntegerAtLeast(std::int32_t minimum, int line);
  void CheckPlainBuffer(std::int64_t values, std::int64_t bytes, int line) const;
  void ReadValues(unsigned char* destination, std::int64_t count, int type, int elementSize);
  void ReadPlainCoords(void* destination, std::int32_t count);
  LatByteBuffer ReadPlainNodeCoords(const Dims& dims, std::int32_t nCoordVar);
  hostfw::ImportStatus ReadUniformPlain(std::int32_t nDim, const Dims& dims, std::int32_t nDataVar,
                                        int dataType, int elementSize, std::int32_t latticeCount);
  hostfw::ImportStatus ReadRectilinearPlain(std::int32_t nDim, const Dims& dims,
                                            std::int32_t nDataVar, int dataType, int elementSize,
                                            std::int32_t latticeCount);
  hostfw::ImportStatus ReadCurvilinearPlain(const Dims& dims, std::int32_t nDataVar, int dataType,
                                            int elementSize, std::int32_t latticeCount);
  hostfw::ImportStatus SendCurvilinearBlock(const hostfw::TrCurvilinearLattice& header,
                                            const LatByteBuffer& coords, int dataType,
                                            int elementSize);
  hostfw::ImportStatus ReadDataScans(const hostfw::TrLattice& header, int dataType, int elementSize,
                                     std::int64_t rowCount, std::int32_t nodesPerRow,
                                     std::int32_t nDataVar);

  // Binary reader (module "LatImpBinary").
  hostfw::ImportStatus ImportBinary();
  [[noreturn]] void ThrowBadBinary(int line) const;
  std::uint8_t ReadByte();
  std::int32_t ReadInt();
  std::int32_t ReadNonNegativeInt();
  void ReadArray(void* destination, std::int32_t count, int elementSize);
  void ReadFileOrderArray(void* destination, std::int32_t count, int elementSize);
  void ReadMagicTail();
  void ReadDimsList(Dims& destination, std::int32_t expectedCount);
  void ReadCheckDims(std::int32_t nDim, const Dims& dims);
  void ReadLatticeRecord(LatticeRecord& record);
  void ReadDataRecord(DataRecord& record);
  void ReadGeometryRecord(GeometryRecord& record);
  void ReadGeometryFields(GeometryRecord& record, const Dims& dims);
  void ReadListCount(std::int32_t expectedCount);
  void RequireBytesLeft(std::int64_t bytes);
  void ReadValueList(int primType, void* destination, std::int32_t expectedCount);
  LatByteBuffer ReadValueList(int primType, std::int64_t expectedCount);
  void ReadRectCoords(hostfw::TrRectilinearLattice& header);
  LatByteBuffer ReadNodeCoords(std::int64_t expectedCount);
  hostfw::ImportStatus ReadBinaryGeometry(const GeometryRecord& geometry, const Dims& dims,
                                          const DataRecord& data, const LatByteBuffer& values);
  hostfw::ImportStatus ReadUniformBinary(const GeometryRecord& geometry, const Dims& dims,
                                         const DataRecord& data, const LatByteBuffer& values);
  hostfw::ImportStatus ReadRectilinearBinary(const GeometryRecord& geometry, const Dims& dims,
                                             const DataRecord& data, const LatByteBuffer& values);
  hostfw::ImportStatus ReadCurvilinearBinary(const GeometryRecord& geometry, const Dims& dims,
                                             const DataRecord& data, const LatByteBuffer& values);
  hostfw::ImportStatus SendLattice(hostfw::TrLattice& header, const LatByteBuffer& values);
  hostfw::ImportStatus SendCurvilinearRows(const hostfw::TrCurvilinearLattice& header,
                                           const LatByteBuffer& coords,
                                           const LatByteBuffer& values);
  hostfw::ImportStatus SendDataScans(const hostfw::TrLattice& header, const LatByteBuffer& values,
                                     std::int64_t rowCount, std::size_t bytesPerRow);

  std::unique_ptr<hostbase::CBufferedFile> file;
  std::int32_t kind = lat::plain::kPlain;
  double version = 1.0;
  hostfw::CProgress* progress = nullptr;
  std::int32_t curChar = lat::plain::kLineFeed;
  char token[lat::plain::kTokenSize] = {};
  std::int32_t lineNumber = 0;
  std::int32_t recordNumber = 0;
};

// The plug-in's import factory, looked up by the host under this name.
PLUGIN_FACTORY hostfw::IoImportFilter* ImportLAT(hostfw::IoManager& manager);
