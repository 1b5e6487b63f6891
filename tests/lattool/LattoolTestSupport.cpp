// lattool as a child in a session of its own: forked with its output into temporary files,
// or forkpty'd, whose slave side becomes its controlling terminal.
#include "LattoolTestSupport.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <stdexcept>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace lattest {
namespace {

// Starts lattool on a new pseudo-terminal when `master` is given, else with stdin from
// /dev/null; the extra variables come first, as getenv takes the first of a name.
pid_t Start(const std::vector<std::string>& args, const std::vector<std::string>& env, int out,
            int err, int* master = nullptr) {
  std::vector<std::string> strings{LATTOOL_PATH};
  strings.insert(strings.end(), args.begin(), args.end());
  strings.insert(strings.end(), env.begin(), env.end());
  std::vector<char*> argv, envp;
  for (std::size_t i = 0; i < strings.size(); ++i) {
    (i <= args.size() ? argv : envp).push_back(strings[i].data());
  }
  argv.push_back(nullptr);
  for (char** e = environ; *e != nullptr; ++e) envp.push_back(*e);
  envp.push_back(nullptr);
  const pid_t pid = master != nullptr ? forkpty(master, nullptr, nullptr, nullptr) : fork();
  if (pid < 0) throw std::runtime_error("cannot start " LATTOOL_PATH);
  if (pid == 0) {
    // Signals the parent blocks (valgrind blocks some while it forks) or ignores (under
    // nohup) would stay so through exec; lattool starts as from a terminal.
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    for (int signal = 1; signal < NSIG; ++signal) std::signal(signal, SIG_DFL);
    if (master == nullptr) {
      setsid();
      dup2(open("/dev/null", O_RDONLY), STDIN_FILENO);
      dup2(out, STDOUT_FILENO);
      dup2(err, STDERR_FILENO);
    }
    execve(LATTOOL_PATH, argv.data(), envp.data());
    _exit(127);
  }
  return pid;
}

std::string ReadAll(std::FILE* file) {
  std::string text;
  std::rewind(file);
  char chunk[65536];
  for (std::size_t n; (n = std::fread(chunk, 1, sizeof chunk, file)) > 0;) text.append(chunk, n);
  std::fclose(file);
  return text;
}

int ExitCode(pid_t pid) {
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Reads the terminal until lattool has closed it or, with `until`, until it has shown that
// text; false when neither happened in two minutes (only a tool stuck waiting takes that).
bool Collect(int master, std::string& shown, const std::string& until = "") {
  while (until.empty() || shown.find(until) == std::string::npos) {
    pollfd fd{master, POLLIN, 0};
    const int ready = poll(&fd, 1, 120000);
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

ToolResult RunTool(const std::vector<std::string>& args, const std::vector<std::string>& env) {
  std::FILE* out = std::tmpfile();
  std::FILE* err = std::tmpfile();
  if (out == nullptr || err == nullptr) throw std::runtime_error("tmpfile failed");
  ToolResult result;
  result.exitCode = ExitCode(Start(args, env, fileno(out), fileno(err)));
  result.out = ReadAll(out);
  result.err = ReadAll(err);
  return result;
}

pid_t StartTool(const std::vector<std::string>& args, const std::vector<std::string>& env) {
  const int null = open("/dev/null", O_WRONLY | O_CLOEXEC);
  const pid_t pid = Start(args, env, null, null);
  close(null);
  return pid;
}

ToolResult RunOnTerminal(const std::vector<std::string>& args, const std::vector<std::string>& env,
                         const std::string& typed, const std::string& interruptAfter) {
  int master = -1;
  const pid_t pid = Start(args, env, -1, -1, &master);
  ToolResult result;
  // Ctrl-C on the terminal: the line discipline sends SIGINT to lattool.
  bool alive = interruptAfter.empty() ||
               (Collect(master, result.out, interruptAfter) && Type(master, "\x03"));
  alive = alive && Type(master, typed + "\x04") && Collect(master, result.out);
  if (!alive) kill(pid, SIGKILL);
  close(master);
  result.exitCode = ExitCode(pid);
  return result;
}

}  // namespace lattest
