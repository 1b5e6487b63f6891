// The operating system's module loader. Only the four functions in the platform block
// touch the loader API; a Windows build adds LoadLibrary/GetProcAddress there.
#include "PluginModule.h"

#include <filesystem>
#include <string>
#include <system_error>

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace lattool {

namespace {

#if defined(_WIN32)
constexpr const char* kModuleFileName = "LAT.dll";

void* OpenModule(const char* path) {
  return reinterpret_cast<void*>(LoadLibraryA(path));
}
void CloseModule(void* handle) {
  FreeLibrary(static_cast<HMODULE>(handle));
}
void* FindSymbol(void* handle, const char* name) {
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle), name));
}
std::string LoaderError() {
  const DWORD code = GetLastError();
  char text[512] = {};
  const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                      nullptr, code, 0, text, sizeof text, nullptr);
  std::string reason(text, length);
  while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r')) reason.pop_back();
  return reason.empty() ? "error " + std::to_string(code) : reason;
}
std::filesystem::path ExecutablePath(std::error_code& error) {
  wchar_t buffer[32768];
  const DWORD length = GetModuleFileNameW(nullptr, buffer, 32768);
  if (length == 0 || length >= 32768) {
    error = std::error_code(static_cast<int>(GetLastError()), std::system_category());
    return {};
  }
  return std::filesystem::path(std::wstring(buffer, length));
}
#else
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
  // A build tree keeps the module beside lattool; an installed tree in lib/lattool/.
  const std::filesystem::path beside = exe.parent_path() / kModuleFileName;
  const std::filesystem::path installed =
      exe.parent_path().parent_path() / "lib" / "lattool" / kModuleFileName;
  if (!std::filesystem::exists(beside, error) && std::filesystem::exists(installed, error)) {
    return installed.string();
  }
  return beside.string();
}

}  // namespace lattool
