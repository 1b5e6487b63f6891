// Finds the known formats' modules in the plug-in folders and picks one for a file.
#include "latclient/ModuleSet.h"

#include "hostfw/IoManager.h"
#include "latclient/Formats.h"

namespace latclient {

ModuleSet::ModuleSet(const std::vector<std::filesystem::path>& folders) {
  for (const FormatEntry& format : KnownFormats()) {
    const std::string name(format.name);
    for (const std::filesystem::path& folder : folders) {
      try {
        modules_.emplace_back((folder / Module::FileName(name)).string(), name);
        break;
      } catch (const SetupError& e) {
        missing_.try_emplace(name, e.what());  // the first folder's reason is the one shown
      }
    }
    if (Find(name) != nullptr) missing_.erase(name);
  }
}

ModuleSet ModuleSet::Single(const std::string& path) {
  ModuleSet set(std::vector<std::filesystem::path>{});
  set.modules_.emplace_back(path);
  return set;
}

const Module* ModuleSet::Find(std::string_view name) const noexcept {
  for (const Module& module : modules_) {
    if (module.Name() == name) return &module;
  }
  return nullptr;
}

const Module& ModuleSet::Require(std::string_view name) const {
  if (const Module* module = Find(name)) return *module;
  const auto reason = missing_.find(name);
  if (reason != missing_.end()) throw SetupError(reason->second);
  throw SetupError("no plug-in module " + Module::FileName(name) + " was found");
}

const Module* ModuleSet::Recognising(const std::string& path) const {
  bool anyImport = false;
  for (const Module& module : modules_) {
    if (!module.HasImport()) continue;  // an export-only module
    anyImport = true;
    hostfw::IoManager manager;
    if (module.MakeImportFilter(manager)->CanImportFile(path.c_str())) return &module;
  }
  if (!anyImport && !modules_.empty()) {
    hostfw::IoManager manager;
    modules_.front().MakeImportFilter(manager);  // raises SetupError naming the factory
  }
  return nullptr;
}

const Module& ModuleSet::ForImport(const std::string& path) const {
  if (const Module* module = Recognising(path)) return *module;
  if (modules_.empty()) return Require(KnownFormats().front().name);
  for (const Module& module : modules_) {
    if (module.HasImport()) return module;
  }
  return modules_.front();
}

const Module& ModuleSet::ForExport(const std::string& path, std::string_view format) const {
  if (format.empty()) format = FormatForOutput(path).value_or(KnownFormats().front().name);
  return Require(format);
}

}  // namespace latclient
