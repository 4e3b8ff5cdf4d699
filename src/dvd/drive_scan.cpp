#include "dvd/drive_scan.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <optional>

namespace kx {
namespace {

constexpr off_t kDescriptorOffset = 16 * 2048;

// "sr12" -> 12; nullopt for anything else in /sys/block.
std::optional<int> OpticalNumber(const std::string& entry) {
  if (entry.size() < 3 || entry.compare(0, 2, "sr") != 0) return std::nullopt;
  if (!std::all_of(entry.begin() + 2, entry.end(), [](char c) { return c >= '0' && c <= '9'; })) return std::nullopt;
  if (entry.size() > 6) return std::nullopt;
  return std::stoi(entry.substr(2));
}

}  // namespace

std::string ReadVolumeLabel(const std::string& path) {
  int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return {};
  unsigned char descriptor[72] = {};
  ssize_t got = pread(fd, descriptor, sizeof descriptor, kDescriptorOffset);
  close(fd);
  if (got != static_cast<ssize_t>(sizeof descriptor) || descriptor[0] != 1 ||
      std::string(reinterpret_cast<char*>(descriptor) + 1, 5) != "CD001")
    return {};
  // The field comes from the disc: keep printable ASCII only.
  std::string label;
  for (int i = 40; i < 72 && descriptor[i] != 0; ++i)
    if (descriptor[i] >= 0x20 && descriptor[i] < 0x7F) label += static_cast<char>(descriptor[i]);
  size_t first = label.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  return label.substr(first, label.find_last_not_of(' ') - first + 1);
}

std::vector<DriveItem> ScanDvdDrives(const std::vector<std::string>& extraNames, const std::string& sysBlockDir,
                                     const std::string& devDir) {
  std::vector<std::pair<int, std::string>> optical;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(sysBlockDir, error)) {
    std::string name = entry.path().filename().string();
    if (std::optional<int> number = OpticalNumber(name)) optical.emplace_back(*number, name);
  }
  std::sort(optical.begin(), optical.end());
  std::vector<DriveItem> drives;
  for (const auto& [number, name] : optical) {
    std::string device = (std::filesystem::path(devDir) / name).string();
    drives.push_back({device, device + ":" + ReadVolumeLabel(device)});
  }
  for (const std::string& name : extraNames) {
    if (!std::filesystem::exists(name, error)) continue;
    std::string label = std::filesystem::is_directory(name, error) ? std::string() : ReadVolumeLabel(name);
    drives.push_back({name, name + ":" + label});
  }
  return drives;
}

}  // namespace kx
