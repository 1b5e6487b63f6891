// Loads the plug-in module the way a host does, and finds its exported factories.
#pragma once

#include <string>

namespace hostfw {
class IoManager;
class IoImportFilter;
}  // namespace hostfw

namespace lattest {

class PluginModule {
 public:
  using ImportFactory = hostfw::IoImportFilter* (*)(hostfw::IoManager&);

  // Loads the module at `path`; raises std::runtime_error with the loader's reason.
  explicit PluginModule(const std::string& path);
  ~PluginModule();  // unloads
  PluginModule(const PluginModule&) = delete;
  PluginModule& operator=(const PluginModule&) = delete;

  // The address of an exported symbol, or null.
  void* Find(const char* name) const;
  ImportFactory FindImportLAT() const;

 private:
  void* handle_;
};

}  // namespace lattest
