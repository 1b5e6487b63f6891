// Spawns lattool with posix_spawn, its stdout and stderr on pipes read with poll.
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

}  // namespace

ToolProcess::ToolProcess(const std::vector<std::string>& args) {
  Pipe out;
  Pipe err;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out.write, STDOUT_FILENO);
  posix_spawn_file_actions_adddup2(&actions, err.write, STDERR_FILENO);
  std::vector<std::string> argStrings{LATTOOL_PATH};
  argStrings.insert(argStrings.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& a : argStrings) argv.push_back(a.data());
  argv.push_back(nullptr);
  const int rc = posix_spawn(&pid_, LATTOOL_PATH, &actions, nullptr, argv.data(), environ);
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

ToolResult RunTool(const std::vector<std::string>& args) {
  return ToolProcess(args).Finish();
}

}  // namespace lattest
