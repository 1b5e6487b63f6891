// Runs the built lattool as a child process and collects its stdout, stderr and exit.
#pragma once

#include <string>
#include <vector>

#include <sys/types.h>

namespace lattest {

struct ToolResult {
  int exitCode = -1;  // -1 when the tool was ended by a signal
  std::string out;
  std::string err;
};

// Runs lattool (LATTOOL_PATH) with `args` after the program name to its end, in a session
// of its own, stdin from /dev/null (so it has no terminal) and with `environment`
// ("NAME=value") added to this process's environment, replacing a variable of the same name.
ToolResult RunTool(const std::vector<std::string>& args,
                   const std::vector<std::string>& environment = {});

// Starts lattool as RunTool does, with stdout and stderr on /dev/null; the caller waits.
pid_t StartTool(const std::vector<std::string>& args,
                const std::vector<std::string>& environment = {});

// This process's environment with `environment` ("NAME=value") added or replacing.
std::vector<std::string> MergedEnvironment(const std::vector<std::string>& environment);

}  // namespace lattest
