// forkpty: the child gets a new session whose controlling terminal is the pty's slave.
#include "TerminalRun.h"

#include <cerrno>
#include <csignal>
#include <stdexcept>

#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include "ToolProcess.h"

namespace lattest {

namespace {

// Generous: only a tool stuck waiting for input takes this long.
constexpr int kGiveUpMs = 120000;

std::vector<char*> Pointers(std::vector<std::string>& strings) {
  std::vector<char*> pointers;
  for (std::string& s : strings) pointers.push_back(s.data());
  pointers.push_back(nullptr);
  return pointers;
}

// Reads what the terminal shows until the tool has closed it or, with `until`, until the
// terminal has shown that text; false when neither happened in time.
bool Collect(int master, std::string& shown, const std::string& until = "") {
  while (until.empty() || shown.find(until) == std::string::npos) {
    pollfd fd{master, POLLIN, 0};
    const int ready = poll(&fd, 1, kGiveUpMs);
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) return false;
    char chunk[4096];
    const ssize_t n = read(master, chunk, sizeof chunk);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return until.empty();  // EIO once the slave side is closed
    shown.append(chunk, static_cast<std::size_t>(n));
  }
  return true;
}

bool Type(int master, const std::string& text) {
  return write(master, text.data(), text.size()) == static_cast<ssize_t>(text.size());
}

}  // namespace

TerminalResult RunOnTerminal(const std::vector<std::string>& args,
                             const std::vector<std::string>& environment, const std::string& typed,
                             const std::string& interruptAfter) {
  std::vector<std::string> argStrings{LATTOOL_PATH};
  argStrings.insert(argStrings.end(), args.begin(), args.end());
  std::vector<std::string> envStrings = MergedEnvironment(environment);
  const std::vector<char*> argv = Pointers(argStrings);
  const std::vector<char*> envp = Pointers(envStrings);
  int master = -1;
  const pid_t pid = forkpty(&master, nullptr, nullptr, nullptr);
  if (pid < 0) throw std::runtime_error("forkpty failed");
  if (pid == 0) {
    execve(LATTOOL_PATH, argv.data(), envp.data());
    _exit(127);
  }
  TerminalResult result;
  bool alive = true;
  if (!interruptAfter.empty()) {
    // Ctrl-C on the terminal: the line discipline sends SIGINT to the tool.
    alive = Collect(master, result.shown, interruptAfter) && Type(master, "\x03");
  }
  alive = alive && Type(master, typed + "\x04") && Collect(master, result.shown);
  if (!alive) kill(pid, SIGKILL);
  close(master);
  int status = 0;
  waitpid(pid, &status, 0);
  if (WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
  return result;
}

}  // namespace lattest
