// Loads the plug-in module with the system's dynamic loader.
#include "tests/support/PluginModule.h"

#include <stdexcept>
#include <string>

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace lattest {

#if defined(_WIN32)
PluginModule::PluginModule(const std::string& path)
    : handle_(reinterpret_cast<void*>(LoadLibraryA(path.c_str()))) {
  if (handle_ == nullptr) {
    throw std::runtime_error("cannot load " + path + ": error " + std::to_string(GetLastError()));
  }
}

PluginModule::~PluginModule() {
  FreeLibrary(static_cast<HMODULE>(handle_));
}

void* PluginModule::Find(const char* name) const {
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle_), name));
}
#else
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
#endif

PluginModule::ImportFactory PluginModule::FindImportLAT() const {
  return reinterpret_cast<ImportFactory>(Find("ImportLAT"));
}

}  // namespace lattest
