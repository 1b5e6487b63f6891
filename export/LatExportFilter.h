// The export filter: receives one lattice from the host as transfer objects and writes it
// as a binary LAT file, promoting data types the format lacks and replacing blanked nodes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "hostaux/LatticeResequencer.h"
#include "hostbase/AtomicFile.h"
#include "hostbase/BufferedFile.h"
#include "hostbase/PrimType.h"
#include "hostfw/IoFilter.h"
#include "hostfw/Progress.h"
#include "hostfw/Transfer.h"

class LatExportDlg;

// How blanked nodes are written: the option BlankMethod's values, in the order of the
// dialog's radio buttons.
enum class BlankMethod : std::int32_t {
  DataMin = 0,
  DataMax = 1,
  TypeMin = 2,
  TypeMax = 3,
  Fixed = 4,
};
inline constexpr std::int32_t kBlankMethodCount = 5;

// The method a stored number stands for; any number outside the five reads as TypeMax.
constexpr BlankMethod KnownBlankMethod(std::int32_t number) noexcept {
  return number >= 0 && number < kBlankMethodCount ? static_cast<BlankMethod>(number)
                                                   : BlankMethod::TypeMax;
}
// The number a method is stored as, TypeMax's for one outside the five.
constexpr std::int32_t BlankMethodNumber(BlankMethod method) noexcept {
  return static_cast<std::int32_t>(KnownBlankMethod(static_cast<std::int32_t>(method)));
}

class LatExportFilter final : public hostfw::IoExportFilter {
 public:
  explicit LatExportFilter(hostfw::IoManager& manager) noexcept;
  ~LatExportFilter() override;

  void GetPropertyPages(std::vector<hostfw::IoPropertyPage*>& pages, const char* fileName) override;
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

  // Bytes handed to the output file of the current export so far (also those still
  // waiting in the file's buffer); 0 when no file is open.
  std::int64_t OutputPosition() const noexcept { return file.GetPosition(); }

 private:
  // Options.
  void LoadSavedOptions(bool flag);
  void SaveOptions(bool persist);
  bool ShowOptionsDialog();

  // Lattice lifecycle.
  hostfw::ExportStatus BeginLattice(hostfw::TrLattice& header);
  hostfw::ExportStatus BeginHeader(hostfw::TrLattice& header, std::int32_t kind);
  hostfw::ExportStatus ReceiveScan(const hostfw::TrLatticeScan& scan);
  hostfw::ExportStatus ReportProgress();
  void SetUniformBounds(const hostfw::TrUniformLattice& header);
  bool OpenOutput();
  void AbandonOutput() noexcept;
  void CommitOutput();

  // Shapes and sizes the format can hold, checked before anything is opened.
  void CheckHeader(const hostfw::TrLattice& header, std::int32_t kind) const;
  void CheckListSizes(const hostfw::TrLattice& header) const;
  void CheckScanSize(const hostfw::TrLatticeScan& scan, std::size_t bytes) const;

  // Data types and blanks.
  void ComputeDataRange(const hostfw::TrLattice& header);
  bool PrepareBlanks(const hostfw::TrLattice& header);
  bool ComputeBlankReplacement();
  void ConvertRow(const void* source, void* destination) const;

  // Writer.
  void WriteArray(const void* values, std::size_t count, int elementSize);
  void WriteField(std::int32_t value);
  void WriteDimsList();
  std::int32_t RectCoordCount() const noexcept { return static_cast<std::int32_t>(nx + ny + nz); }
  void WriteHeader();
  void StartRowStore(const hostfw::TrLattice& header);
  void StoreAxis(const void* coords, std::uint32_t count,
                 void (hostaux::LatticeResequencer::*store)(const void*));
  void StoreScan(const hostfw::TrLatticeScan& scan);
  void StoreCoordinateRow(const hostfw::TrLatticeScan& scan, int y, int z);
  void WriteBody();
  void WriteCoordinateList();
  void WriteAxis(std::size_t bytes, std::uint32_t count,
                 void (hostaux::LatticeResequencer::*read)(void*) const);

  std::string fileName;
  hostbase::CBufferedFile file;
  std::unique_ptr<hostfw::CProgress> progress;
  std::unique_ptr<LatExportDlg> page;
  bool interactive = false;
  std::int32_t latticesWritten = 0;
  std::uint32_t scansReceived = 0;
  std::int32_t latticeKind = 0;
  hostfw::ScanOrder scanOrder;
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
  BlankMethod blankMethod = BlankMethod::DataMin;
  double fixedBlankValue = 0.0;

  // Where the bytes go (a temporary file next to the output until the lattice is complete).
  hostbase::CAtomicFile output;
  // A file was opened in this export (so an unfinished one is removed at its end).
  bool fileOpened = false;
  // Scans the lattice being received needs; 0 when no lattice is being received.
  std::uint32_t expectedScans = 0;
  // The replacement of blanked values, in the written data type.
  hostbase::CPrimData blankInType;
  // One converted row and one coordinate row, sized once per lattice; a reused buffer for
  // the lists WriteArray byte-swaps.
  std::vector<unsigned char> rowBuffer;
  std::vector<unsigned char> coordBuffer;
  std::vector<unsigned char> listBuffer;
};

// The plug-in's export factory, looked up by the host under this name.
PLUGIN_FACTORY hostfw::IoExportFilter* ExportLAT(hostfw::IoManager& manager);
