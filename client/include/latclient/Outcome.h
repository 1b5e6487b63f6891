// How an import or export ended: its status, or the error it raised, copied out of the
// exception so that a host can show or translate it after the filter is gone.
#pragma once

#include <exception>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "hostbase/Error.h"
#include "hostfw/Status.h"
#include "latclient/Api.h"

namespace latclient {

struct ErrorReport {
  int code = hostbase::kNoErrorCode;  // hostfw::ErrCode or hostbase::HostErrorCode
  std::string module;                 // who raised it ("LatImportFilter", or the host's name)
  std::vector<hostbase::CErrorArg> args;
  std::string message;

  // The report of the exception being handled (call inside a catch block): a CError as it
  // is, any other exception with no code and `host` as its module.
  LATCLIENT_API static ErrorReport OfCurrentException(std::string_view host);
};

struct ImportOutcome {
  std::optional<hostfw::ImportStatus> status;  // empty when an error was raised
  std::optional<ErrorReport> error;

  bool Complete() const noexcept { return !error && status == hostfw::ImportStatus_Complete; }
};

struct ExportOutcome {
  bool cancelled = false;  // the user (or the progress callback) cancelled
  bool noLattice = false;  // the filter ended without a complete lattice and removed its file
  std::optional<ErrorReport> error;
  std::vector<std::string> warnings;  // the filter's warnings, in order

  bool Complete() const noexcept { return !error && !cancelled && !noLattice; }
};

}  // namespace latclient
