// Runs imports with lattool's progress display, warning printer and Ctrl-C handling in
// place.
#include "PluginHost.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "InterruptGuard.h"
#include "ProgressDisplay.h"
#include "hostbase/Path.h"

namespace lattool {

namespace {

std::uint64_t FileSize(const std::string& path) {
  std::error_code error;
  const std::uintmax_t size = std::filesystem::file_size(path, error);
  return error ? 0 : size;
}

}  // namespace

PluginHost::PluginHost(ModuleSet modules, const std::string& input)
    : modules_(std::move(modules)),
      input_(input),
      importer_(std::make_unique<latclient::Importer>(modules_.ForImport(input), "lattool",
                                                      &warnings_)) {}

ImportOutcome PluginHost::Import(hostfw::IoObjectSink& sink, bool showProgress) {
  const char* name = hostbase::CPath::GetNamePtr(input_.c_str());
  InterruptGuard interrupt;
  ProgressDisplay progress(name ? name : input_, FileSize(input_), showProgress ? stderr : nullptr,
                           InterruptGuard::Flag());
  return importer_->Import(input_.c_str(), sink, &progress);
}

}  // namespace lattool
