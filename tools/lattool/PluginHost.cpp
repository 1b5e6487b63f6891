// Creates the import filter through the module's exported factory and runs imports
// with lattool's progress display, warning printer and Ctrl-C handling in place.
#include "PluginHost.h"

#include <cstdio>
#include <exception>
#include <filesystem>
#include <system_error>

#include "InterruptGuard.h"
#include "ProgressDisplay.h"
#include "hostbase/Path.h"

namespace lattool {

namespace {

// The factory every LAT plug-in module exports as "ImportLAT".
using ImportFactory = hostfw::IoImportFilter* (*)(hostfw::IoManager&);

std::unique_ptr<hostfw::IoImportFilter> MakeFilter(const PluginModule& module,
                                                   hostfw::IoManager& manager) {
  auto factory = reinterpret_cast<ImportFactory>(module.Symbol("ImportLAT"));
  std::unique_ptr<hostfw::IoImportFilter> filter(factory(manager));
  if (!filter) throw SetupError("ImportLAT of '" + module.Path() + "' returned no filter");
  return filter;
}

std::uint64_t FileSize(const char* path) {
  std::error_code error;
  const std::uintmax_t size = std::filesystem::file_size(path, error);
  return error ? 0 : size;
}

// Installs sinks on the manager for the length of one import.
class SinkScope {
 public:
  SinkScope(hostfw::IoManager& manager, hostfw::IoProgressSink& progress,
            hostfw::IoObjectSink& objects)
      : manager_(manager) {
    manager_.SetProgressSink(&progress);
    manager_.SetObjectSink(&objects);
  }
  ~SinkScope() {
    manager_.SetProgressSink(nullptr);
    manager_.SetObjectSink(nullptr);
  }
  SinkScope(const SinkScope&) = delete;
  SinkScope& operator=(const SinkScope&) = delete;

 private:
  hostfw::IoManager& manager_;
};

}  // namespace

PluginHost::PluginHost(const std::string& modulePath)
    : module_(modulePath), filter_(MakeFilter(module_, manager_)) {
  manager_.SetMessageSink(&warnings_);
}

bool PluginHost::CanImport(const char* path) {
  return filter_->CanImportFile(path);
}

ImportOutcome PluginHost::Import(const char* path, hostfw::IoObjectSink& sink, bool showProgress) {
  const char* name = hostbase::CPath::GetNamePtr(path);
  InterruptGuard interrupt;
  ProgressDisplay progress(name ? name : path, FileSize(path), showProgress ? stderr : nullptr,
                           InterruptGuard::Flag());
  SinkScope scope(manager_, progress, sink);
  return RunFilter(path);
}

ImportOutcome PluginHost::RunFilter(const char* path) {
  ImportOutcome outcome;
  try {
    outcome.status = filter_->ImportFromFile(path);
  } catch (const hostbase::CError& e) {
    outcome.error = ErrorReport{e.Code(), e.Module(), e.Args(), e.Message()};
  } catch (const std::exception& e) {
    outcome.error = ErrorReport{hostbase::kNoErrorCode, "lattool", {}, e.what()};
  }
  return outcome;
}

}  // namespace lattool
