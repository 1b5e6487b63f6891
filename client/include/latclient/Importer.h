// The import side of a host: one module's import filter with its manager, streaming every
// object the filter hands over to the host's sink.
#pragma once

#include <memory>
#include <string>

#include "hostfw/IoFilter.h"
#include "hostfw/IoManager.h"
#include "latclient/Api.h"
#include "latclient/Module.h"
#include "latclient/Outcome.h"

namespace latclient {

class LATCLIENT_API Importer {
 public:
  // Makes the module's import filter (SetupError when it cannot). `host` names the host in
  // errors that are not the filter's own. Warnings go to `messages` (none: dropped).
  explicit Importer(const Module& module, std::string host = "latclient",
                    hostfw::IoMessageSink* messages = nullptr);
  ~Importer();
  Importer(const Importer&) = delete;
  Importer& operator=(const Importer&) = delete;

  bool CanImport(const char* path);
  // Imports `path`, handing every object to `objects` and progress to `progress` (none:
  // never cancelled). Errors raised by the import are returned, not thrown.
  ImportOutcome Import(const char* path, hostfw::IoObjectSink& objects,
                       hostfw::IoProgressSink* progress);

  const Module& GetModule() const noexcept { return module_; }
  hostfw::IoManager& Manager() noexcept { return manager_; }

 private:
  const Module& module_;
  std::string host_;
  // The filter goes before the manager it refers to.
  hostfw::IoManager manager_;
  std::unique_ptr<hostfw::IoImportFilter> filter_;
};

}  // namespace latclient
