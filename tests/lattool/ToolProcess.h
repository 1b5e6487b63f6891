// Runs the built lattool as a child process and collects its stdout, stderr and exit.
#pragma once

#include <string>
#include <vector>

#include <sys/types.h>

namespace lattest {

struct ToolResult {
  int exitCode = -1;  // -1 when the tool was ended by a signal
  int signal = 0;
  std::string out;
  std::string err;
};

class ToolProcess {
 public:
  // Starts lattool (LATTOOL_PATH) with `args` after the program name, in a session of its
  // own, stdin from /dev/null (so it has no terminal) and with `environment` ("NAME=value") added
  // to this process's environment, replacing a variable of the same name.
  explicit ToolProcess(const std::vector<std::string>& args,
                       const std::vector<std::string>& environment = {});
  // Kills a tool that was not finished, and reaps it.
  ~ToolProcess();
  ToolProcess(const ToolProcess&) = delete;
  ToolProcess& operator=(const ToolProcess&) = delete;

  pid_t Pid() const { return pid_; }
  // Bytes waiting unread in the stdout pipe, and the pipe's capacity.
  int PendingStdout() const;
  int StdoutCapacity() const;
  // Reads both streams to their end and waits for the exit.
  ToolResult Finish();

 private:
  pid_t pid_ = -1;
  int outFd_ = -1;
  int errFd_ = -1;
};

// Runs lattool with `args` (and `environment`, as ToolProcess) to its end.
ToolResult RunTool(const std::vector<std::string>& args,
                   const std::vector<std::string>& environment = {});

// This process's environment with `environment` ("NAME=value") added or replacing.
std::vector<std::string> MergedEnvironment(const std::vector<std::string>& environment);

}  // namespace lattest
