#include "run_program.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <stdexcept>

namespace kx::test {

int RunProgram(const std::vector<std::string>& args) {
  std::vector<char*> argv;
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  const pid_t child = fork();
  if (child < 0) return -1;
  if (child == 0) {
    const int devNull = open("/dev/null", O_WRONLY);
    dup2(devNull, STDOUT_FILENO);
    dup2(devNull, STDERR_FILENO);
    execvp(argv[0], argv.data());
    _exit(127);
  }
  int status = 0;
  if (waitpid(child, &status, 0) != child) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void MakeMedia(const std::vector<std::string>& inputAndCodecArgs, const std::string& output) {
  std::vector<std::string> args = {"ffmpeg", "-nostdin", "-hide_banner", "-y"};
  args.insert(args.end(), inputAndCodecArgs.begin(), inputAndCodecArgs.end());
  args.push_back(output);
  if (RunProgram(args) != 0) throw std::runtime_error("ffmpeg could not make " + output);
}

}  // namespace kx::test
