// Runs lattool.exe (next to the test program) as a child process with its own %APPDATA%,
// so that a test can answer the child's dialogs from outside and then see how it ended.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace wintest {

class ToolRun {
 public:
  // Starts lattool.exe with `arguments` (each quoted) and APPDATA set to `appData`;
  // Running() tells whether it started.
  ToolRun(const std::vector<std::string>& arguments, const std::string& appData);
  ~ToolRun();  // ends a child that is still running
  ToolRun(const ToolRun&) = delete;
  ToolRun& operator=(const ToolRun&) = delete;

  bool Running() const noexcept { return process_.hProcess != nullptr; }
  DWORD ProcessId() const noexcept { return process_.dwProcessId; }
  // Waits for the child's end (at most about a minute, then ends it) and returns its exit
  // code, or -1 when it had to be ended or never started.
  int Wait();

 private:
  PROCESS_INFORMATION process_{};
};

// The folder of the running test program.
std::string ProgramFolder();

}  // namespace wintest
