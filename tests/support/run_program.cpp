#include "run_program.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <map>

extern char** environ;

namespace kx::test {
namespace {

std::vector<std::string> MergedEnvironment(const std::vector<std::string>& overrides) {
  std::map<std::string, std::string> vars;
  auto add = [&](const std::string& entry) { vars[entry.substr(0, entry.find('='))] = entry; };
  for (char** e = environ; *e; ++e) add(*e);
  for (const auto& entry : overrides) add(entry);
  std::vector<std::string> merged;
  for (auto& [name, entry] : vars) merged.push_back(entry);
  return merged;
}

std::vector<char*> CStrings(std::vector<std::string>& strings) {
  std::vector<char*> out;
  for (auto& s : strings) out.push_back(s.data());
  out.push_back(nullptr);
  return out;
}

}  // namespace

ProgramResult RunProgram(const std::vector<std::string>& argv, const std::vector<std::string>& environment) {
  ProgramResult result;
  if (argv.empty()) return result;
  int fds[2];
  if (pipe(fds) != 0) return result;

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
  posix_spawn_file_actions_adddup2(&actions, fds[1], STDERR_FILENO);
  posix_spawn_file_actions_addclose(&actions, fds[0]);
  posix_spawn_file_actions_addclose(&actions, fds[1]);

  std::vector<std::string> args = argv;
  std::vector<std::string> env = MergedEnvironment(environment);
  std::vector<char*> cargs = CStrings(args), cenv = CStrings(env);
  pid_t pid = -1;
  int spawned = posix_spawnp(&pid, cargs[0], &actions, nullptr, cargs.data(), cenv.data());
  posix_spawn_file_actions_destroy(&actions);
  close(fds[1]);
  if (spawned != 0) {
    close(fds[0]);
    result.output = "cannot start " + argv[0];
    return result;
  }

  char buffer[4096];
  for (;;) {
    ssize_t n = read(fds[0], buffer, sizeof buffer);
    if (n > 0) result.output.append(buffer, static_cast<size_t>(n));
    else if (n == 0 || errno != EINTR) break;
  }
  close(fds[0]);
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  if (WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
  return result;
}

}  // namespace kx::test
