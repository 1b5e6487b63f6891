// The import side of one lattool run: the modules, and the import filter of the one that
// recognises the input, run with lattool's progress bar, warnings and Ctrl-C handling.
#pragma once

#include <memory>
#include <string>

#include "Client.h"
#include "Messages.h"
#include "hostfw/IoManager.h"
#include "latclient/Importer.h"

namespace lattool {

class PluginHost {
 public:
  // Takes the modules, for asking which recognises a file.
  explicit PluginHost(ModuleSet modules) : modules_(std::move(modules)) {}
  // Also makes the import filter for `input`; raises SetupError when it cannot.
  PluginHost(ModuleSet modules, const std::string& input);

  // The module recognising `path`, or null.
  const Module* Recognising(const std::string& path) const { return modules_.Recognising(path); }
  // Imports the input, handing every object to `sink`; a progress bar is drawn on stderr
  // when `showProgress`. Errors raised by the import are returned, not thrown.
  ImportOutcome Import(hostfw::IoObjectSink& sink, bool showProgress);

  const ModuleSet& Modules() const noexcept { return modules_; }
  // The module whose filter imports the input (only with the input given).
  const Module& ImportModule() const { return importer_->GetModule(); }

 private:
  // Declared in this order so that the filter goes before the modules holding its code.
  ModuleSet modules_;
  WarningPrinter warnings_;
  std::string input_;
  std::unique_ptr<latclient::Importer> importer_;
};

}  // namespace lattool
