// The import side of one lattool run: the loaded plug-in module, the manager and the
// import filter made by the module's ImportLAT.
#pragma once

#include <memory>
#include <string>

#include "ImportOutcome.h"
#include "PluginModule.h"
#include "WarningPrinter.h"
#include "hostfw/IoFilter.h"
#include "hostfw/IoManager.h"

namespace lattool {

class PluginHost {
 public:
  // Loads the module and creates the filter; raises SetupError when either fails.
  explicit PluginHost(const std::string& modulePath);

  bool CanImport(const char* path);
  // Imports `path`, handing every object to `sink`; a progress bar is drawn on stderr
  // when `showProgress`. Errors raised by the import are returned, not thrown.
  ImportOutcome Import(const char* path, hostfw::IoObjectSink& sink, bool showProgress);

  // The loaded module, for the export side of the run.
  const PluginModule& Module() const noexcept { return module_; }

 private:
  ImportOutcome RunFilter(const char* path);

  // Declared in this order so that the filter goes first, then the manager it refers to,
  // and the module that holds the filter's code goes last.
  PluginModule module_;
  WarningPrinter warnings_;
  hostfw::IoManager manager_;
  std::unique_ptr<hostfw::IoImportFilter> filter_;
};

}  // namespace lattool
