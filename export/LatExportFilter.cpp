// The export filter's lifecycle: starting and ending an export, dispatching the transfer
// objects of one lattice, opening and finishing the output file, progress.
#include "export/LatExportFilter.h"

#include "export/LatExportDlg.h"
#include "formats/LatBinaryFormat.h"
#include "hostbase/Path.h"
#include "hostbase/ScopeExit.h"
#include "hostbase/Text.h"
#include "hostfw/IoManager.h"

namespace {

constexpr const char* kModule = "LatExportFilter";
// Type members start as 8-bit unsigned, the host's initial type code.
constexpr std::int32_t kInitialType = hostbase::CPrimType::UInt8;

using hostfw::ExportStatus;

}  // namespace

LatExportFilter::LatExportFilter(hostfw::IoManager& manager) noexcept
    : hostfw::IoExportFilter(manager),
      dataType(kInitialType),
      dataTypeSize(hostbase::CPrimType::TypeSize[kInitialType]),
      coordType(kInitialType),
      coordTypeSize(hostbase::CPrimType::TypeSize[kInitialType]),
      sourceCoordType(kInitialType),
      sourceCoordTypeSize(hostbase::CPrimType::TypeSize[kInitialType]),
      sourceDataType(kInitialType),
      sourceDataTypeSize(hostbase::CPrimType::TypeSize[kInitialType]) {}

// An export still open is abandoned: its file closed unflushed, its temporary file removed.
LatExportFilter::~LatExportFilter() {
  AbandonOutput();
  progress.reset();
  resequencer.Finish();
  page.reset();
}

bool LatExportFilter::IsObjectTypeSupported(const hostbase::CTypeInfo* type) {
  return hostfw::IsLatticeObjectType(type);
}

// The file is opened at the first lattice header, not here. An earlier export that was
// never ended is abandoned.
ExportStatus LatExportFilter::BeginExportToFile(const char* path, bool interactiveExport) {
  AbandonOutput();
  progress.reset();
  fileName = path != nullptr ? path : "";
  interactive = interactiveExport;
  latticesWritten = 0;
  latticeKind = 0;
  fileOpened = false;
  expectedScans = 0;
  scansReceived = 0;
  return hostfw::ExportStatus_Accepted;
}

ExportStatus LatExportFilter::ExportObject(hostfw::TrBase& object) {
  const hostbase::CTypeInfo* type = object.GetTypeId();
  if (type == hostfw::TrUniformLattice::GetClassTypeId())
    return BeginHeader(static_cast<hostfw::TrLattice&>(object), lat::binary::kUniform);
  if (type == hostfw::TrCurvilinearLattice::GetClassTypeId())
    return BeginHeader(static_cast<hostfw::TrLattice&>(object), lat::binary::kCurvilinear);
  if (type == hostfw::TrRectilinearLattice::GetClassTypeId())
    return BeginHeader(static_cast<hostfw::TrLattice&>(object), lat::binary::kRectilinear);
  if (type == hostfw::TrLatticeEnd::GetClassTypeId()) return hostfw::ExportStatus_Accepted;
  if (type == hostfw::TrLatticeScan::GetClassTypeId())
    return ReceiveScan(static_cast<const hostfw::TrLatticeScan&>(object));
  return hostfw::ExportStatus_NotHandled;
}

ExportStatus LatExportFilter::BeginHeader(hostfw::TrLattice& header, std::int32_t kind) {
  header.scanMode = 0;
  header.scanParam = 0;
  // Scans of an earlier, unfinished lattice no longer count.
  expectedScans = 0;
  CheckHeader(header, kind);
  latticeKind = kind;
  scanOrder.curvilinear = kind == lat::binary::kCurvilinear;
  if (kind == lat::binary::kUniform)
    SetUniformBounds(static_cast<const hostfw::TrUniformLattice&>(header));
  const ExportStatus status = BeginLattice(header);
  if (status != hostfw::ExportStatus_Accepted) return status;
  StartRowStore(header);
  expectedScans = scanOrder.ScanCount(rowCount);
  return hostfw::ExportStatus_Accepted;
}

void LatExportFilter::SetUniformBounds(const hostfw::TrUniformLattice& header) {
  const std::int32_t counts[3] = {header.nx, header.ny, header.nz};
  for (int axis = 0; axis < 3; ++axis) {
    const auto steps = static_cast<std::uint32_t>(counts[axis] - 1);
    origin[axis] = header.origin[axis];
    farCorner[axis] = header.origin[axis] + static_cast<double>(steps) * header.spacing[axis];
  }
}

ExportStatus LatExportFilter::BeginLattice(hostfw::TrLattice& header) {
  ComputeDataRange(header);
  hasBlanks = (header.flags & hostfw::TrLattice::kFlagMayHaveBlanks) != 0;
  dataType = header.dataType;
  PromoteDataType(dataType);
  dataTypeSize = hostbase::CPrimType::TypeSize[dataType];
  CheckListSizes(header);
  if (!PrepareBlanks(header)) return hostfw::ExportStatus_Cancelled;
  if (latticesWritten != 0)
    ThrowError(kModule, __LINE__,
               "Export of multiple lattices to one Iris LAT file is not supported.");
  if (!OpenOutput()) return hostfw::ExportStatus_Cancelled;
  nx = static_cast<std::uint32_t>(header.nx);
  ny = static_cast<std::uint32_t>(header.ny);
  nz = static_cast<std::uint32_t>(header.nz);
  numComponents = static_cast<std::uint32_t>(header.numComponents);
  sourceDataType = header.dataType;
  sourceDataTypeSize = hostbase::CPrimType::TypeSize[sourceDataType];
  rowCount = nz * ny;
  scansReceived = 0;
  file.Write(lat::binary::kMagicBytes.data(), lat::binary::kMagicBytes.size());
  WriteHeader();
  return hostfw::ExportStatus_Accepted;
}

// Opens the output for a new lattice (dropping the partial output of an unfinished one)
// and starts the progress report; false when the user cancels it at once.
bool LatExportFilter::OpenOutput() {
  AbandonOutput();
  progress.reset();
  IoExportFilter::OpenOutput(output, file, fileName, kModule);
  fileOpened = true;
  progress = std::make_unique<hostfw::CProgress>(GetManager(), nullptr, true, true);
  // The message names the output, never the temporary file behind it.
  return progress->MessageVA("Exporting Iris Explorer LAT file %s",
                             hostbase::CPath::GetNamePtr(fileName.c_str()));
}

void LatExportFilter::AbandonOutput() noexcept {
  file.Abort(true);
  output.Discard();
}

void LatExportFilter::CommitOutput() {
  file.Close();
  std::string reason;
  if (!output.Commit(reason)) {
    std::string message;
    hostbase::FormatString(message, "Cannot replace '%s': %s", fileName.c_str(), reason.c_str());
    ThrowError(kModule, __LINE__, message.c_str());
  }
}

// Scans outside a lattice being received (before any header, after its last row, after a
// refused header) are ignored.
ExportStatus LatExportFilter::ReceiveScan(const hostfw::TrLatticeScan& scan) {
  if (scansReceived >= expectedScans) return hostfw::ExportStatus_Accepted;
  StoreScan(scan);
  ++scansReceived;
  if (scansReceived == expectedScans) {
    WriteBody();
    ++latticesWritten;
  }
  return ReportProgress();
}

ExportStatus LatExportFilter::ReportProgress() {
  if (!progress) return hostfw::ExportStatus_Accepted;
  return ReportRows(scanOrder.RowOf(scansReceived), rowCount);
}

// Completes the file of a finished lattice, or removes what an unfinished one left.
ExportStatus LatExportFilter::EndExportToFile() {
  resequencer.Finish();
  expectedScans = 0;
  const hostbase::ScopeExit stopProgress([this]() noexcept { progress.reset(); });
  // Whatever was not committed below (an unfinished lattice, a failed close) goes.
  const hostbase::ScopeExit dropUnfinished([this]() noexcept { AbandonOutput(); });
  ExportStatus status = hostfw::ExportStatus_Accepted;
  if (latticesWritten > 0) {
    if (!file.IsOpen()) ThrowError(kModule, __LINE__, hostfw::ErrCode::ExportFileNotOpen);
    CommitOutput();
  } else if (fileOpened) {
    status = hostfw::ExportStatus_NoLattice;
  }
  fileOpened = false;
  return status;
}
