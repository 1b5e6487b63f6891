// The VTK export filter: receives one lattice from the host as transfer objects and writes
// it as a VTK XML file (ImageData, RectilinearGrid or StructuredGrid by its kind) with one
// point-data array in the lattice's own type, appended raw or zlib-compressed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "hostaux/LatticeResequencer.h"
#include "hostbase/AtomicFile.h"
#include "hostbase/BufferedFile.h"
#include "hostfw/IoFilter.h"
#include "hostfw/Progress.h"
#include "hostfw/Transfer.h"

class VtkExportFilter final : public hostfw::IoExportFilter {
 public:
  explicit VtkExportFilter(hostfw::IoManager& manager) noexcept;
  ~VtkExportFilter() override;

  void SetOptions(const char* options) override;
  std::string GetOptionsInStringForm() override;
  bool IsObjectTypeSupported(const hostbase::CTypeInfo* type) override;
  bool GetStringOption(const char* options, const char* key, std::string& value) override;
  hostfw::ExportStatus BeginExportToFile(const char* path, bool interactive) override;
  hostfw::ExportStatus ExportObject(hostfw::TrBase& object) override;
  hostfw::ExportStatus EndExportToFile() override;

 private:
  // One array of the appended data block, in the order they are written.
  struct Array {
    std::uint64_t bytes = 0;            // uncompressed
    std::int64_t start = 0;             // file position of its size or block header
    std::int64_t offsetField = 0;       // file position of its offset attribute's digits
    std::vector<std::uint64_t> blocks;  // compressed sizes (zlib)
  };
  enum ArrayRole : std::size_t { kXs, kYs, kZs, kValues, kGhost, kPoints, kRoleCount };

  hostfw::ExportStatus BeginHeader(hostfw::TrLattice& header, int kind);
  void CheckHeader(const hostfw::TrLattice& header, int kind) const;
  void OpenOutput();
  void AbandonOutput() noexcept;
  void CommitOutput();
  hostfw::ExportStatus ReceiveScan(const hostfw::TrLatticeScan& scan);
  hostfw::ExportStatus ReportProgress();

  // Writer.
  void PlanArrays(const hostfw::TrLattice& header);
  std::string XmlHeader(const hostfw::TrLattice& header);
  void ArrayElement(ArrayRole role, const char* type, const std::string& name, int components,
                    std::string& xml, const char* indent);
  void WriteAxis(ArrayRole role, const void* coords, int count);
  void BeginArray(ArrayRole role);
  void AddBytes(const void* bytes, std::size_t count);
  void CompressBlock();
  void EndArray();
  void WriteDataRow(const hostfw::TrLatticeScan& scan, std::uint32_t row);
  void StoreCoordinateRow(const hostfw::TrLatticeScan& scan, std::uint32_t row);
  void WriteTail();
  void PatchCompressedLayout();

  // Options.
  std::string arrayName;
  std::string compress;

  std::string fileName;
  hostbase::CBufferedFile file;
  hostbase::CAtomicFile output;
  std::unique_ptr<hostfw::CProgress> progress;
  bool fileOpened = false;
  bool latticeDone = false;
  bool zlib = false;

  int kind = 0;
  std::uint32_t nx = 0, ny = 0, nz = 0, components = 0, rowCount = 0;
  int dataType = 0, sourceCoordType = 0, coordType = 0;
  bool blanks = false;
  double blankValue = 0.0;
  std::uint32_t scansReceived = 0, expectedScans = 0;

  Array arrays[kRoleCount];
  bool used[kRoleCount] = {};
  std::int64_t appendedStart = 0;  // file position just after the '_' marker
  ArrayRole current = kValues;

  // Ghost rows and curvilinear coordinate rows wait here until the values are written.
  hostaux::LatticeResequencer store;
  std::vector<unsigned char> rowBuffer;   // a ghost or converted coordinate row
  std::vector<unsigned char> block;       // the zlib block being filled
  std::vector<unsigned char> compressed;  // one compressed block
};

PLUGIN_FACTORY hostfw::IoExportFilter* ExportVTK(hostfw::IoManager& manager);
