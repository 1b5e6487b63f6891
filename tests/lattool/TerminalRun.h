// Runs lattool on a pseudo-terminal of its own (its controlling terminal, stdin, stdout
// and stderr), as a user at a terminal would: the typed text is queued as input, and
// everything shown on the terminal is collected.
#pragma once

#include <string>
#include <vector>

namespace lattest {

struct TerminalResult {
  int exitCode = -1;  // -1 when the tool did not exit by itself
  std::string shown;  // all the terminal showed: output, and the typed text echoed
};

// Runs lattool with `args` and `environment` (as RunTool) and types `typed`, followed
// by an end of input (Ctrl-D) so that a tool that wants more gives up instead of waiting.
// With `interruptAfter`, first waits until the terminal shows that text and presses
// Ctrl-C, and only then types.
TerminalResult RunOnTerminal(const std::vector<std::string>& args,
                             const std::vector<std::string>& environment, const std::string& typed,
                             const std::string& interruptAfter = "");

}  // namespace lattest
