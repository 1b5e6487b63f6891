// Spawns lattool with posix_spawn in a session of its own, stdin from /dev/null, its
// stdout and stderr into temporary files read once it has exited, or started to be
// stopped from outside.
#include "ToolProcess.h"

#include <cstdio>
#include <stdexcept>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace lattest {
namespace {

std::vector<char*> Pointers(std::vector<std::string>& strings) {
  std::vector<char*> pointers;
  for (std::string& s : strings) pointers.push_back(s.data());
  pointers.push_back(nullptr);
  return pointers;
}

std::string ReadAll(std::FILE* file) {
  std::string text;
  std::rewind(file);
  char chunk[65536];
  for (std::size_t n; (n = std::fread(chunk, 1, sizeof chunk, file)) > 0;) text.append(chunk, n);
  std::fclose(file);
  return text;
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

namespace {

// Starts lattool with stdout and stderr on `out` and `err`; -1 when it cannot.
pid_t Spawn(const std::vector<std::string>& args, const std::vector<std::string>& environment,
            int out, int err) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, out, STDOUT_FILENO);
  posix_spawn_file_actions_adddup2(&actions, err, STDERR_FILENO);
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);
  std::vector<std::string> argStrings{LATTOOL_PATH};
  argStrings.insert(argStrings.end(), args.begin(), args.end());
  std::vector<std::string> envStrings = MergedEnvironment(environment);
  const std::vector<char*> argv = Pointers(argStrings);
  const std::vector<char*> envp = Pointers(envStrings);
  pid_t pid = -1;
  const int rc = posix_spawn(&pid, LATTOOL_PATH, &actions, &attributes, argv.data(), envp.data());
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&actions);
  return rc == 0 ? pid : -1;
}

}  // namespace

ToolResult RunTool(const std::vector<std::string>& args,
                   const std::vector<std::string>& environment) {
  std::FILE* out = std::tmpfile();
  std::FILE* err = std::tmpfile();
  if (out == nullptr || err == nullptr) throw std::runtime_error("tmpfile failed");
  const pid_t pid = Spawn(args, environment, fileno(out), fileno(err));
  ToolResult result;
  int status = 0;
  if (pid > 0) waitpid(pid, &status, 0);
  result.out = ReadAll(out);
  result.err = ReadAll(err);
  if (pid <= 0) throw std::runtime_error("cannot start " LATTOOL_PATH);
  if (WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
  return result;
}

pid_t StartTool(const std::vector<std::string>& args, const std::vector<std::string>& environment) {
  const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
  const pid_t pid = Spawn(args, environment, null, null);
  ::close(null);
  if (pid <= 0) throw std::runtime_error("cannot start " LATTOOL_PATH);
  return pid;
}

}  // namespace lattest
