#pragma once
// Running a command line or zelmaro-cli from a test, the one way every test
// does it.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

namespace zelmaro::testing {

struct CommandResult {
  int code = -1;  // the exit code, -1 when the command ended otherwise
  std::string out;
};

// Runs a command line through the shell; out is what it printed to stdout
// (with stderr where the command redirects it there).
inline CommandResult RunCommand(const std::string& command) {
  CommandResult r;
  FILE* pipe = ::popen(command.c_str(), "r");
  if (!pipe) return r;
  char buf[4096];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, pipe)) > 0) r.out.append(buf, n);
  const int status = ::pclose(pipe);
  r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return r;
}

// The same, returning the exit code and setting out.
inline int RunCommand(const std::string& command, std::string& out) {
  CommandResult r = RunCommand(command);
  out = std::move(r.out);
  return r.code;
}

#ifdef ZELMARO_CLI_PATH
// Runs zelmaro-cli with the arguments; out gets stdout and stderr together.
inline CommandResult Cli(const std::string& args) {
  return RunCommand(std::string(ZELMARO_CLI_PATH) + " " + args + " 2>&1");
}

inline int Cli(const std::string& args, std::string& out) {
  return RunCommand(std::string(ZELMARO_CLI_PATH) + " " + args + " 2>&1", out);
}

// Starts zelmaro-cli with the arguments without waiting for it, quiet, with
// the stop signals at their defaults whatever the test runner set. Returns
// its process id, -1 when it could not be started.
inline pid_t SpawnCli(std::vector<std::string> args) {
  args.insert(args.begin(), ZELMARO_CLI_PATH);
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t quiet;
  posix_spawn_file_actions_init(&quiet);
  posix_spawn_file_actions_addopen(&quiet, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&quiet, 2, "/dev/null", O_WRONLY, 0);
  posix_spawnattr_t attr;
  posix_spawnattr_init(&attr);
  sigset_t defaults;
  sigemptyset(&defaults);
  for (int sig : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&defaults, sig);
  posix_spawnattr_setsigdefault(&attr, &defaults);
  posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGDEF);
  pid_t pid = -1;
  if (posix_spawn(&pid, argv[0], &quiet, &attr, argv.data(), environ) != 0) pid = -1;
  posix_spawn_file_actions_destroy(&quiet);
  posix_spawnattr_destroy(&attr);
  return pid;
}
#endif

}  // namespace zelmaro::testing
