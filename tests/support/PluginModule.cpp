// Loads the plug-in module with the system's dynamic loader.
#include "tests/support/PluginModule.h"

#include <stdexcept>

#include <dlfcn.h>

namespace lattest {

PluginModule::PluginModule(const std::string& path)
    : handle_(dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL)) {
  if (handle_ == nullptr) {
    const char* reason = dlerror();
    throw std::runtime_error("cannot load " + path + ": " + (reason ? reason : "unknown"));
  }
}

PluginModule::~PluginModule() {
  dlclose(handle_);
}

void* PluginModule::Find(const char* name) const {
  return dlsym(handle_, name);
}

PluginModule::ImportFactory PluginModule::FindImportLAT() const {
  return reinterpret_cast<ImportFactory>(Find("ImportLAT"));
}

}  // namespace lattest
