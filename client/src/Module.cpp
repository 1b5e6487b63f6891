// The operating system's module loader. Only the platform block touches the loader API:
// dlopen/dlsym/dladdr, or LoadLibrary/GetProcAddress/GetModuleHandleEx on Windows.
#include "latclient/Module.h"

#include <filesystem>
#include <string>
#include <system_error>
#include <utility>

#include "latclient/Formats.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace latclient {

namespace {

#if defined(_WIN32)
constexpr const char* kModuleSuffix = ".dll";

void* OpenModule(const char* path) {
  return reinterpret_cast<void*>(LoadLibraryA(path));
}
void CloseModule(void* handle) {
  FreeLibrary(static_cast<HMODULE>(handle));
}
void* LookUp(void* handle, const char* name) {
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
// The file this library was loaded from.
std::filesystem::path LibraryPath(std::error_code& error) {
  HMODULE self = nullptr;
  if (!GetModuleHandleExW(
          GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
          reinterpret_cast<LPCWSTR>(&DefaultModuleFolders), &self)) {
    error = std::error_code(static_cast<int>(GetLastError()), std::system_category());
    return {};
  }
  wchar_t buffer[32768];
  const DWORD length = GetModuleFileNameW(self, buffer, 32768);
  if (length == 0 || length >= 32768) {
    error = std::error_code(static_cast<int>(GetLastError()), std::system_category());
    return {};
  }
  return std::filesystem::path(std::wstring(buffer, length));
}
#else
constexpr const char* kModuleSuffix = ".so";

void* OpenModule(const char* path) {
  return dlopen(path, RTLD_NOW | RTLD_LOCAL);
}
void CloseModule(void* handle) {
  dlclose(handle);
}
void* LookUp(void* handle, const char* name) {
  dlerror();  // clear an earlier report
  return dlsym(handle, name);
}
std::string LoaderError() {
  const char* reason = dlerror();
  return reason ? reason : "unknown reason";
}
std::filesystem::path LibraryPath(std::error_code& error) {
  Dl_info info{};
  if (dladdr(reinterpret_cast<const void*>(&DefaultModuleFolders), &info) == 0 ||
      info.dli_fname == nullptr) {
    error = std::make_error_code(std::errc::no_such_file_or_directory);
    return {};
  }
  return std::filesystem::weakly_canonical(std::filesystem::path(info.dli_fname), error);
}
#endif

// The first known format whose factory `module` exports; the first known one otherwise.
std::string NameFromFactories(const Module& module) {
  for (const FormatEntry& format : KnownFormats()) {
    const std::string name(format.name);
    if (module.FindSymbol(("Import" + name).c_str()) != nullptr ||
        module.FindSymbol(("Export" + name).c_str()) != nullptr) {
      return name;
    }
  }
  return std::string(KnownFormats().front().name);
}

template <class Filter>
std::unique_ptr<Filter> MakeFilter(const Module& module, const std::string& factoryName,
                                   hostfw::IoManager& manager) {
  using Factory = Filter* (*)(hostfw::IoManager&);
  auto factory = reinterpret_cast<Factory>(module.Symbol(factoryName.c_str()));
  std::unique_ptr<Filter> filter(factory(manager));
  if (!filter) throw SetupError(factoryName + " of '" + module.Path() + "' returned no filter");
  return filter;
}

}  // namespace

Module::Module(const std::string& path, std::string name)
    : path_(path), name_(std::move(name)), handle_(OpenModule(path.c_str())) {
  if (handle_ == nullptr) {
    throw SetupError("cannot load plug-in module '" + path + "': " + LoaderError());
  }
}

Module::Module(const std::string& path) : Module(path, std::string()) {
  name_ = NameFromFactories(*this);
}

Module::~Module() {
  if (handle_ != nullptr) CloseModule(handle_);
}

Module::Module(Module&& other) noexcept
    : path_(std::move(other.path_)),
      name_(std::move(other.name_)),
      handle_(std::exchange(other.handle_, nullptr)) {}

Module& Module::operator=(Module&& other) noexcept {
  if (this != &other) {
    if (handle_ != nullptr) CloseModule(handle_);
    path_ = std::move(other.path_);
    name_ = std::move(other.name_);
    handle_ = std::exchange(other.handle_, nullptr);
  }
  return *this;
}

void* Module::FindSymbol(const char* symbol) const noexcept {
  return LookUp(handle_, symbol);
}

void* Module::Symbol(const char* symbol) const {
  void* address = LookUp(handle_, symbol);
  if (address == nullptr) {
    throw SetupError("plug-in module '" + path_ + "' does not export " + symbol + ": " +
                     LoaderError());
  }
  return address;
}

std::unique_ptr<hostfw::IoImportFilter> Module::MakeImportFilter(hostfw::IoManager& manager) const {
  return MakeFilter<hostfw::IoImportFilter>(*this, "Import" + name_, manager);
}

std::unique_ptr<hostfw::IoExportFilter> Module::MakeExportFilter(hostfw::IoManager& manager) const {
  return MakeFilter<hostfw::IoExportFilter>(*this, "Export" + name_, manager);
}

bool Module::HasImport() const noexcept {
  return FindSymbol(("Import" + name_).c_str()) != nullptr;
}

bool Module::HasExport() const noexcept {
  return FindSymbol(("Export" + name_).c_str()) != nullptr;
}

std::string Module::FileName(std::string_view name) {
  return std::string(name) + kModuleSuffix;
}

std::vector<std::filesystem::path> DefaultModuleFolders() {
  std::error_code error;
  const std::filesystem::path library = LibraryPath(error);
  if (error || library.empty()) return {};
  const std::filesystem::path folder = library.parent_path();
#if defined(_WIN32)
  // An installed tree keeps the DLLs in bin/ and the modules in lib/lattool/.
  return {folder, folder / "lattool", folder.parent_path() / "lib" / "lattool"};
#else
  return {folder, folder / "lattool"};
#endif
}

}  // namespace latclient
