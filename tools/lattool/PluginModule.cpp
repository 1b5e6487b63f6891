// The operating system's module loader. Only the four functions in the platform block
// touch the loader API; a Windows build adds LoadLibrary/GetProcAddress there.
#include "PluginModule.h"

#include <filesystem>
#include <system_error>

#if defined(_WIN32)
#error "lattool: the Windows module loader is not written yet"
#else
#include <dlfcn.h>
#endif

namespace lattool {

namespace {

#if !defined(_WIN32)
constexpr const char* kModuleFileName = "LAT.so";

void* OpenModule(const char* path) {
  return dlopen(path, RTLD_NOW | RTLD_LOCAL);
}
void CloseModule(void* handle) {
  dlclose(handle);
}
void* FindSymbol(void* handle, const char* name) {
  dlerror();  // clear an earlier report
  return dlsym(handle, name);
}
std::string LoaderError() {
  const char* reason = dlerror();
  return reason ? reason : "unknown reason";
}
std::filesystem::path ExecutablePath(std::error_code& error) {
  return std::filesystem::read_symlink("/proc/self/exe", error);
}
#endif

}  // namespace

PluginModule::PluginModule(const std::string& path)
    : path_(path), handle_(OpenModule(path.c_str())) {
  if (handle_ == nullptr) {
    throw SetupError("cannot load plug-in module '" + path + "': " + LoaderError());
  }
}

PluginModule::~PluginModule() {
  CloseModule(handle_);
}

void* PluginModule::Symbol(const char* name) const {
  void* address = FindSymbol(handle_, name);
  if (address == nullptr) {
    throw SetupError("plug-in module '" + path_ + "' does not export " + name + ": " +
                     LoaderError());
  }
  return address;
}

std::string PluginModule::DefaultPath() {
  std::error_code error;
  const std::filesystem::path exe = ExecutablePath(error);
  if (error) return kModuleFileName;
  return (exe.parent_path() / kModuleFileName).string();
}

}  // namespace lattool
