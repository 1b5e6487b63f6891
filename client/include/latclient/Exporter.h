// The export side of a host: one module's export filter with its manager, driven in the
// host's order (SetOptions, BeginExportToFile, ExportObject for every object,
// EndExportToFile). Errors and refusals are kept, never thrown, until End.
#pragma once

#include <memory>
#include <string>

#include "hostfw/IoFilter.h"
#include "hostfw/IoManager.h"
#include "latclient/Api.h"
#include "latclient/Module.h"
#include "latclient/Outcome.h"

namespace latclient {

class LATCLIENT_API Exporter {
 public:
  // Makes the module's export filter (SetupError when it cannot). `host` names the host in
  // errors that are not the filter's own. Warnings go to `messages`; without one they are
  // collected into the outcome. Progress goes to `progress` (none: never cancelled).
  explicit Exporter(const Module& module, std::string host = "latclient",
                    hostfw::IoProgressSink* progress = nullptr,
                    hostfw::IoMessageSink* messages = nullptr);
  ~Exporter();
  Exporter(const Exporter&) = delete;
  Exporter& operator=(const Exporter&) = delete;

  // The manager and filter, for a host that loads saved options or shows option pages
  // between SetOptions and Begin.
  hostfw::IoManager& Manager() noexcept { return manager_; }
  hostfw::IoExportFilter& Filter() noexcept { return *filter_; }

  // Hands the options string to the filter; false when it cannot go on.
  bool SetOptions(const std::string& options);
  // Begins the export to `path` (`interactive`: the filter may ask the user); false when
  // it cannot go on.
  bool Begin(const std::string& path, bool interactive = false);
  // Hands one object to the filter; false when the export cannot go on.
  bool Send(hostfw::TrBase& object);
  // Marks the export cancelled (the work feeding it stopped); Send refuses from now on.
  void Cancel() noexcept { outcome_.cancelled = true; }
  // Records an error of the host's own (the export cannot go on).
  void Fail(ErrorReport error);
  bool Failed() const noexcept { return outcome_.error.has_value(); }
  // Ends the export (the filter removes a file that holds no complete lattice) and
  // returns how it went. Runs once; later calls return the same.
  const ExportOutcome& End();
  // Ends an export whose input failed before its lattice was complete: the filter removes
  // what it wrote; its error, if any, is kept out of the outcome.
  void Discard();
  // Drops the export without ending it, as a host told to stop does: the filter goes, and
  // with it what it wrote, even a complete lattice. The outcome is a cancelled one.
  void Abandon() noexcept;

 private:
  class Collector;
  template <class Call>
  bool Guarded(Call&& call);
  bool Accept(hostfw::ExportStatus status, const char* operation);

  std::string host_;
  std::unique_ptr<Collector> collector_;
  hostfw::IoManager manager_;
  std::unique_ptr<hostfw::IoExportFilter> filter_;
  bool begun_ = false;
  bool ended_ = false;
  ExportOutcome outcome_;
};

}  // namespace latclient
