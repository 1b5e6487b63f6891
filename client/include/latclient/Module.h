// A plug-in module loaded at run time (dlopen / LoadLibrary), and the filters made through
// its two exported factories, Import<NAME> and Export<NAME>.
#pragma once

#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>

#include "hostfw/IoFilter.h"
#include "hostfw/IoManager.h"
#include "latclient/Api.h"

namespace latclient {

// A module or factory that is missing or failed: the host cannot work, nothing was done.
class LATCLIENT_API SetupError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Unloaded when destroyed: everything made by the module's code must be destroyed before.
class LATCLIENT_API Module {
 public:
  // Loads `path` as the module of format `name` ("LAT", "VTK"); raises SetupError
  // "cannot load plug-in module '<path>': <reason>".
  Module(const std::string& path, std::string name);
  // Loads `path`; its format is the first known one whose factory it exports (LAT when it
  // exports none, so that a factory's absence is reported under that name).
  explicit Module(const std::string& path);
  ~Module();
  Module(Module&& other) noexcept;
  Module& operator=(Module&& other) noexcept;
  Module(const Module&) = delete;
  Module& operator=(const Module&) = delete;

  const std::string& Name() const noexcept { return name_; }
  const std::string& Path() const noexcept { return path_; }
  // The loader's handle (on Windows the HMODULE that holds the dialog resources).
  void* Handle() const noexcept { return handle_; }
  // The exported symbol `symbol`, or null.
  void* FindSymbol(const char* symbol) const noexcept;
  // The exported symbol `symbol`; raises SetupError when there is none.
  void* Symbol(const char* symbol) const;

  // Filters made by the factories; SetupError when the factory is missing or gives none.
  // The filter keeps `manager` and must go before it and before this module.
  std::unique_ptr<hostfw::IoImportFilter> MakeImportFilter(hostfw::IoManager& manager) const;
  std::unique_ptr<hostfw::IoExportFilter> MakeExportFilter(hostfw::IoManager& manager) const;
  bool HasImport() const noexcept;
  bool HasExport() const noexcept;

  // The module's file name for format `name`: "LAT.so", "LAT.dll".
  static std::string FileName(std::string_view name);

 private:
  std::string path_;
  std::string name_;
  void* handle_ = nullptr;
};

// The folders where a host looks for modules: the one holding the latclient library itself,
// then its "lattool" subfolder (the install tree's plug-in folder; on Windows, where the
// library is in bin/, also ../lib/lattool).
LATCLIENT_API std::vector<std::filesystem::path> DefaultModuleFolders();

}  // namespace latclient
