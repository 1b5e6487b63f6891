// The modules a host works with, by format name. A known module that is not found is
// simply absent from the set.
#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "latclient/Api.h"
#include "latclient/Module.h"

namespace latclient {

class LATCLIENT_API ModuleSet {
 public:
  // Every known format's module found in the default folders.
  ModuleSet() : ModuleSet(DefaultModuleFolders()) {}
  // Every known format's module found in `folders` (the first folder that has it wins).
  explicit ModuleSet(const std::vector<std::filesystem::path>& folders);
  // Exactly the module at `path`.
  static ModuleSet Single(const std::string& path);

  // The modules, in the order of the known formats.
  const std::vector<Module>& Modules() const noexcept { return modules_; }
  bool Empty() const noexcept { return modules_.empty(); }
  // The module of format `name`, or null.
  const Module* Find(std::string_view name) const noexcept;
  // The module of format `name`; raises SetupError with the loader's reason when absent.
  const Module& Require(std::string_view name) const;
  // The first module whose import filter recognises `path`, or null. Modules without an
  // import factory are skipped; SetupError when no module has one.
  const Module* Recognising(const std::string& path) const;
  // The module an import of `path` runs: the one recognising it, else the first module,
  // whose import then reports why the file is not its format; SetupError when empty.
  const Module& ForImport(const std::string& path) const;
  // The module writing `path`: `format` when given, else the output's extension (LAT for an
  // extension no format claims); SetupError when that module is absent.
  const Module& ForExport(const std::string& path, std::string_view format = {}) const;

 private:
  std::vector<Module> modules_;
  std::map<std::string, std::string, std::less<>> missing_;  // format name -> loader's reason
};

}  // namespace latclient
