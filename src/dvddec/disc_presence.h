#pragma once
#include <string>

namespace kx::dvddec {

// Whether the medium behind a drive name is still there after a failed read:
// a drive with its disc in, an image file, a folder with its VIDEO_TS. A read
// failure with the medium present is a bad sector; without it, the end.
bool DiscPresent(const std::string& drive);

}  // namespace kx::dvddec
