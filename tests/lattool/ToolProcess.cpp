// Spawns lattool with posix_spawn in a session of its own, stdin from /dev/null, its
// stdout and stderr on pipes read with poll.
#include "ToolProcess.h"

#include <array>
#include <cerrno>
#include <csignal>
#include <stdexcept>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace lattest {

namespace {

struct Pipe {
  int read = -1;
  int write = -1;
  Pipe() {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
    read = fds[0];
    write = fds[1];
  }
};

// Appends what `fd` has to `out`; false at its end.
bool ReadSome(int fd, std::string& out) {
  std::array<char, 65536> chunk;
  const ssize_t n = ::read(fd, chunk.data(), chunk.size());
  if (n < 0 && errno == EINTR) return true;
  if (n <= 0) return false;
  out.append(chunk.data(), static_cast<std::size_t>(n));
  return true;
}

std::vector<char*> Pointers(std::vector<std::string>& strings) {
  std::vector<char*> pointers;
  for (std::string& s : strings) pointers.push_back(s.data());
  pointers.push_back(nullptr);
  return pointers;
}

}  // namespace

std::vector<std::string> MergedEnvironment(const std::vector<std::string>& environment) {
  std::vector<std::string> merged;
  for (char** e = environ; *e != nullptr; ++e) {
    const std::string entry(*e);
    const std::string name = entry.substr(0, entry.find('=') + 1);
    bool replaced = false;
    for (const std::string& extra : environment) replaced |= extra.rfind(name, 0) == 0;
    if (!replaced) merged.push_back(entry);
  }
  merged.insert(merged.end(), environment.begin(), environment.end());
  return merged;
}

ToolProcess::ToolProcess(const std::vector<std::string>& args,
                         const std::vector<std::string>& environment) {
  Pipe out;
  Pipe err;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, out.write, STDOUT_FILENO);
  posix_spawn_file_actions_adddup2(&actions, err.write, STDERR_FILENO);
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);
  std::vector<std::string> argStrings{LATTOOL_PATH};
  argStrings.insert(argStrings.end(), args.begin(), args.end());
  std::vector<std::string> envStrings = MergedEnvironment(environment);
  const std::vector<char*> argv = Pointers(argStrings);
  const std::vector<char*> envp = Pointers(envStrings);
  const int rc = posix_spawn(&pid_, LATTOOL_PATH, &actions, &attributes, argv.data(), envp.data());
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&actions);
  close(out.write);
  close(err.write);
  outFd_ = out.read;
  errFd_ = err.read;
  if (rc != 0) {
    pid_ = -1;
    throw std::runtime_error("cannot start " LATTOOL_PATH);
  }
}

ToolProcess::~ToolProcess() {
  if (pid_ > 0) {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
  if (outFd_ >= 0) close(outFd_);
  if (errFd_ >= 0) close(errFd_);
}

int ToolProcess::PendingStdout() const {
  int pending = 0;
  ioctl(outFd_, FIONREAD, &pending);
  return pending;
}

int ToolProcess::StdoutCapacity() const {
  return fcntl(outFd_, F_GETPIPE_SZ);
}

ToolResult ToolProcess::Finish() {
  ToolResult result;
  std::array<pollfd, 2> fds{pollfd{outFd_, POLLIN, 0}, pollfd{errFd_, POLLIN, 0}};
  std::array<std::string*, 2> sinks{&result.out, &result.err};
  int open = 2;
  while (open > 0) {
    if (poll(fds.data(), fds.size(), -1) < 0 && errno != EINTR) break;
    for (std::size_t i = 0; i < fds.size(); ++i) {
      if (fds[i].fd < 0 || fds[i].revents == 0) continue;
      if (!ReadSome(fds[i].fd, *sinks[i])) {
        fds[i].fd = -1;
        --open;
      }
    }
  }
  int status = 0;
  waitpid(pid_, &status, 0);
  pid_ = -1;
  if (WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) result.signal = WTERMSIG(status);
  return result;
}

ToolResult RunTool(const std::vector<std::string>& args,
                   const std::vector<std::string>& environment) {
  return ToolProcess(args, environment).Finish();
}

}  // namespace lattest
