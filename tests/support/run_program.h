#pragma once
#include <string>
#include <vector>

namespace kx::test {

// Runs a program found on PATH with an argument list (no shell), its output
// discarded; answers its exit status, or -1 when it could not be run.
int RunProgram(const std::vector<std::string>& args);

// Makes a small media file with the ffmpeg CLI: `inputAndCodecArgs` are the
// arguments between "-y" and the output name. Throws when ffmpeg fails.
void MakeMedia(const std::vector<std::string>& inputAndCodecArgs, const std::string& output);

}  // namespace kx::test
