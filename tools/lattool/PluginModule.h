// Loads the plug-in module at run time and looks up its exported factories by name.
#pragma once

#include <stdexcept>
#include <string>

namespace lattool {

// A setup failure of the tool itself (module missing, symbol missing): exit code 1.
class SetupError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// One loaded module; unloaded when the object is destroyed. Everything made by the
// module's code must be destroyed before that.
class PluginModule {
 public:
  // Loads `path`; raises SetupError "cannot load plug-in module '<path>': <reason>".
  explicit PluginModule(const std::string& path);
  ~PluginModule();
  PluginModule(const PluginModule&) = delete;
  PluginModule& operator=(const PluginModule&) = delete;

  // The address of the exported symbol `name`; raises SetupError when there is none.
  void* Symbol(const char* name) const;
  const std::string& Path() const noexcept { return path_; }
  // The loader's handle of the module (on Windows its HMODULE, where its resources are).
  void* Handle() const noexcept { return handle_; }

  // The module next to the running executable, or else in ../lib/lattool/.
  static std::string DefaultPath();

 private:
  std::string path_;
  void* handle_;
};

}  // namespace lattool
