// A child lattool.exe with a private environment block (APPDATA replaced).
#include "ToolRun.h"

#include <cstring>
#include <filesystem>

namespace wintest {
namespace {

constexpr DWORD kWaitMs = 60000;

// This process's environment with APPDATA set to `appData`, as CreateProcessA takes it.
std::vector<char> EnvironmentWith(const std::string& appData) {
  std::vector<char> block;
  char* strings = GetEnvironmentStringsA();
  for (const char* entry = strings; entry != nullptr && *entry != '\0';
       entry += std::strlen(entry) + 1) {
    if (_strnicmp(entry, "APPDATA=", 8) == 0) continue;
    block.insert(block.end(), entry, entry + std::strlen(entry) + 1);
  }
  if (strings != nullptr) FreeEnvironmentStringsA(strings);
  const std::string own = "APPDATA=" + appData;
  block.insert(block.end(), own.c_str(), own.c_str() + own.size() + 1);
  block.push_back('\0');
  return block;
}

}  // namespace

std::string ProgramFolder() {
  char self[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  return std::filesystem::path(self).parent_path().string();
}

ToolRun::ToolRun(const std::vector<std::string>& arguments, const std::string& appData) {
  const std::string program = ProgramFolder() + "\\lattool.exe";
  std::string commandLine = "\"" + program + "\"";
  for (const std::string& argument : arguments) commandLine += " \"" + argument + "\"";
  std::vector<char> environment = EnvironmentWith(appData);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  if (!CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                      environment.data(), nullptr, &startup, &process_)) {
    process_ = PROCESS_INFORMATION{};
  }
}

ToolRun::~ToolRun() {
  if (!Running()) return;
  if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) {
    TerminateProcess(process_.hProcess, 99);
    WaitForSingleObject(process_.hProcess, kWaitMs);
  }
  CloseHandle(process_.hThread);
  CloseHandle(process_.hProcess);
}

int ToolRun::Wait() {
  if (!Running()) return -1;
  if (WaitForSingleObject(process_.hProcess, kWaitMs) != WAIT_OBJECT_0) {
    TerminateProcess(process_.hProcess, 99);
    WaitForSingleObject(process_.hProcess, kWaitMs);
    return -1;
  }
  DWORD code = 0;
  GetExitCodeProcess(process_.hProcess, &code);
  return static_cast<int>(code);
}

}  // namespace wintest
