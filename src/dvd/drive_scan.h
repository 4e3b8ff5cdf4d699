#pragma once
// The drives offered under "Add DVD Driver": the machine's optical drives,
// then the DVD images and VIDEO_TS folders the program was handed. Runs once
// on the main thread at first show; reading a label may wait for a drive.
#include <string>
#include <vector>

namespace kx {

struct DriveItem {
  std::string Name;     // what DvdDrive holds: device path, image or folder
  std::string Caption;  // Name + ":" + volume label (empty when none)
};

// Optical drives are the sr* entries of `sysBlockDir`, as devices in `devDir`,
// in the order of their numbers. Extra names that do not exist are left out.
std::vector<DriveItem> ScanDvdDrives(const std::vector<std::string>& extraNames,
                                     const std::string& sysBlockDir = "/sys/block",
                                     const std::string& devDir = "/dev");

// The ISO 9660 volume identifier of a device or image (primary volume
// descriptor, sector 16, bytes 40 to 71), trimmed; empty when there is none.
std::string ReadVolumeLabel(const std::string& path);

}  // namespace kx
