#pragma once
// Whether a folder lies on an optical disc, by the mount table: the mount
// that holds the folder is the one with the longest mount point that
// contains it; it is optical when its device is an optical drive (/dev/srN,
// /dev/cdrom…) or its file system one of disc formats (ISO 9660, UDF).
#include <string>
#include <string_view>

namespace kx {

// `mountTable` in the form of /proc/self/mounts (blanks in paths as \040).
bool IsOnOpticalDrive(const std::string& folder, std::string_view mountTable);
// By the running system's mount table; false when it cannot be read.
bool IsOnOpticalDrive(const std::string& folder);

}  // namespace kx
