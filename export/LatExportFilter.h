// The export filter: receives one lattice from the host as transfer objects and writes it
// as a binary LAT file, promoting data types the format lacks and replacing blanked nodes.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "hostaux/LatticeResequencer.h"
#include "hostbase/BufferedFile.h"
#include "hostbase/PrimType.h"
#include "hostfw/IoFilter.h"
#include "hostfw/Progress.h"
#include "hostfw/Transfer.h"

class LatExportDlg;

class LatExportFilter final : public hostfw::IoExportFilter {
 public:
  explicit LatExportFilter(hostfw::IoManager& manager) noexcept;
  ~LatExportFilter() override;

  void GetPropertyPages(std::vector<hostfw::IoPropertyPage*>& pages,
                        const char* fileName) override;
  void SetOptions(const char* options) override;
  std::string GetOptionsInStringForm() override;
  bool IsObjectTypeSupported(const hostbase::CTypeInfo* type) override;
  bool GetStringOption(const char* options, const char* key, std::string& value) override;
  hostfw::ExportStatus BeginExportToFile(const char* path, bool interactive) override;
  hostfw::ExportStatus ExportObject(hostfw::TrBase& object) override;
  hostfw::ExportStatus EndExportToFile() override;

  // Called by the options page when the user accepts it (OK or Apply).
  void TakePageValues(const LatExportDlg& page, bool persist);
  // Replaces `type` by the type the format can hold, warning on the first lattice.
  void PromoteDataType(std::int32_t& type);

 private:
  // Options.
  void LoadSavedOptions(bool flag);
  void SaveOptions(bool persist);
  bool ShowOptionsDialog();

  // Lattice lifecycle.
  hostfw::ExportStatus BeginLattice(hostfw::TrLattice& header);
  hostfw::ExportStatus BeginHeader(hostfw::TrLattice& header, std::int32_t kind);
  void StartRowStore(const hostfw::TrLattice& header);
  hostfw::ExportStatus ReceiveScan(const hostfw::TrLatticeScan& scan);

  // Data types and blanks.
  void ComputeDataRange(const hostfw::TrLattice& header);
  bool PrepareBlanks(const hostfw::TrLattice& header);
  bool ComputeBlankReplacement();
  void ConvertRow(const void* source, void* destination) const;

  // Writer.
  void WriteArray(const void* values, std::size_t count, int elementSize);
  void WriteHeader();
  void StoreScan(const hostfw::TrLatticeScan& scan);
  void WriteBody();
  void WriteCoordinateList();

  std::string fileName;
  hostbase::CBufferedFile file;
  std::unique_ptr<hostfw::CProgress> progress;
  std::unique_ptr<LatExportDlg> page;
  bool interactive = false;
  std::int32_t latticesWritten = 0;
  std::uint32_t scansReceived = 0;
  std::int32_t latticeKind = 0;
  std::uint32_t nx = 0, ny = 0, nz = 0, numComponents = 0;
  std::uint32_t rowCount = 0;
  hostaux::LatticeResequencer resequencer;
  std::int32_t dataType, dataTypeSize;
  std::int32_t coordType, coordTypeSize;
  std::int32_t sourceCoordType, sourceCoordTypeSize;
  double dataMin = 0.0, dataMax = 0.0;
  double origin[3] = {0.0, 0.0, 0.0};
  double farCorner[3] = {0.0, 0.0, 0.0};
  double blankMarker = 0.0;
  std::int32_t sourceDataType, sourceDataTypeSize;
  bool hasBlanks = false;
  hostbase::CPrimData blankReplacement;
  std::int32_t blankMethod = 0;
  double fixedBlankValue = 0.0;
  // Header writer bookkeeping.
  std::int32_t nextRef = 0;
  std::int32_t latticeNDim = 0, latticeDimsRef = 0, latticeDataRef = 0, latticeGeometryRef = 0;
  std::int32_t geometryType = 0, nRectCoord = 0, rectCoordsRef = 0;
  // One converted row, sized once per lattice.
  std::vector<unsigned char> rowBuffer;
};
