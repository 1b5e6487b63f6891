// lattool's side of one export: the client library's exporter with lattool's saved
// options (loaded before, saved after), the options page between SetOptions and
// BeginExportToFile, warnings and errors on stderr and the exit code.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "Client.h"
#include "Messages.h"
#include "SavedOptionsFile.h"
#include "hostfw/IoManager.h"
#include "latclient/Exporter.h"

namespace lattool {

class TerminalDialogUser;

// The lattice's data range and type, which the options page shows.
struct LatticeTraits {
  double dataMin = 0.0;
  double dataMax = 0.0;
  int dataType = 0;
};

// What the user asked of one export.
struct ExportRequest {
  std::string output;
  std::string format;        // "LAT" or "VTK"; empty: chosen by OUT's extension
  std::string options;       // handed to SetOptions as it is
  bool interactive = false;  // the filter may open its options dialog
  bool page = false;         // show the options page before the export
};

class ExportSession {
 public:
  // Creates the filter; raises SetupError when the module has no export factory or it
  // returns none. `savedOptions` (none: options live for this run only) is read here. `dialogs`
  // is the user of the options page, when one is shown.
  ExportSession(const Module& module, ExportRequest request,
                std::optional<SavedOptionsFile> savedOptions, hostfw::IoProgressSink& progress,
                const TerminalDialogUser* dialogs);
  ExportSession(const ExportSession&) = delete;
  ExportSession& operator=(const ExportSession&) = delete;

  // Options, the page (with --page) and the start of the export; false when it cannot go on.
  bool Begin(const LatticeTraits& traits);
  // Hands one transfer object to the filter; false when the export cannot go on.
  bool Send(hostfw::TrBase& object);
  // The user stopped the work that feeds the export.
  void Cancel() noexcept { exporter_.Cancel(); }
  // Ends the export (the filter removes a file that holds no complete lattice), saves the
  // options, reports an error on stderr and returns the exit code.
  int End();
  // Ends an export whose input failed before its lattice was complete: the filter removes
  // what it wrote, nothing is reported and the options are not saved.
  void Discard();

 private:
  bool ShowPages(const LatticeTraits& traits);
  void WarnUnknownOptions();
  void ExplainSavedFixedValue(const ErrorReport& error) const;
  void DropIfTerminating();
  void LoadOptions();
  void SaveOptions();

  ExportRequest request_;
  std::optional<SavedOptionsFile> savedOptions_;
  std::optional<std::string> loadedOptions_;  // empty when the file could not be read
  const TerminalDialogUser* dialogs_;
  WarningPrinter warnings_;
  latclient::Exporter exporter_;
};

}  // namespace lattool
