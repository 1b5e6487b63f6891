// Error codes and status values of the filter framework.
#pragma once

namespace hostfw {

// Codes of the errors filters raise through IoFilter::ThrowError, with their arguments.
enum class ErrCode : int {
  UnknownCode = 1,           // none: a kind or type code outside the known ones
  UnsupportedFeature = 14,   // format name, feature text, path
  ExportFileNotOpen = 15,    // none
  NotLatFile = 16,           // path
  PlainSyntax = 17,          // line (int), path
  BadBinaryData = 18,        // file position (64-bit), path
  DataTypeNotSupported = 27  // type name
};

// Result of an import.
enum ImportStatus : int {
  ImportStatus_Complete = 0,  // everything was handed to the host
  ImportStatus_Stopped = 1,   // the host refused an object or the user cancelled
};

// Result of the export operations.
enum ExportStatus : int {
  ExportStatus_Accepted = 0,
  ExportStatus_NoLattice = 1,   // no lattice was completed; a partial file was removed
  ExportStatus_Cancelled = 2,   // the user cancelled
  ExportStatus_NotHandled = 3,  // object of a class the filter does not handle
};

}  // namespace hostfw
