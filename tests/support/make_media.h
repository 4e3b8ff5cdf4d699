#pragma once
#include <string>
#include <vector>

namespace kx::test {

// Makes a small media file with the ffmpeg CLI: `inputAndCodecArgs` are the
// arguments between "-y" and the output name. Throws with ffmpeg's output
// when it fails.
void MakeMedia(const std::vector<std::string>& inputAndCodecArgs, const std::string& output);

}  // namespace kx::test
