#include "make_media.h"

#include <stdexcept>

#include "run_program.h"

namespace kx::test {

void MakeMedia(const std::vector<std::string>& inputAndCodecArgs, const std::string& output) {
  std::vector<std::string> args = {"ffmpeg", "-nostdin", "-hide_banner", "-loglevel", "error", "-y"};
  args.insert(args.end(), inputAndCodecArgs.begin(), inputAndCodecArgs.end());
  args.push_back(output);
  const ProgramResult result = RunProgram(args);
  if (result.exitCode != 0) throw std::runtime_error("ffmpeg could not make " + output + ": " + result.output);
}

}  // namespace kx::test
