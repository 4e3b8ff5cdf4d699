#include "app/optical_drive.h"

#include <fstream>
#include <sstream>

namespace kx {
namespace {

// Undoes the octal escapes the mount table uses for blanks, tabs and "\".
std::string Unescaped(const std::string& field) {
  std::string out;
  for (std::size_t i = 0; i < field.size(); ++i) {
    const bool escape = field[i] == '\\' && i + 3 < field.size() &&
                        field.substr(i + 1, 3).find_first_not_of("01234567") == std::string::npos;
    if (escape) {
      out += static_cast<char>(std::stoi(field.substr(i + 1, 3), nullptr, 8));
      i += 3;
    } else {
      out += field[i];
    }
  }
  return out;
}

bool Contains(const std::string& mountPoint, const std::string& folder) {
  if (mountPoint == "/") return !folder.empty() && folder.front() == '/';
  return folder == mountPoint || folder.compare(0, mountPoint.size() + 1, mountPoint + "/") == 0;
}

bool IsOpticalMount(const std::string& device, const std::string& type) {
  return device.compare(0, 7, "/dev/sr") == 0 || device.compare(0, 10, "/dev/cdrom") == 0 ||
         device.compare(0, 8, "/dev/dvd") == 0 || type == "iso9660" || type == "udf";
}

}  // namespace

bool IsOnOpticalDrive(const std::string& folder, std::string_view mountTable) {
  std::istringstream lines{std::string(mountTable)};
  std::size_t bestLength = 0;
  bool optical = false;
  for (std::string line; std::getline(lines, line);) {
    std::istringstream fields(line);
    std::string device, mountPoint, type;
    if (!(fields >> device >> mountPoint >> type)) continue;
    mountPoint = Unescaped(mountPoint);
    // Later mounts over the same point hide earlier ones, hence ">=".
    if (Contains(mountPoint, folder) && mountPoint.size() >= bestLength) {
      bestLength = mountPoint.size();
      optical = IsOpticalMount(Unescaped(device), type);
    }
  }
  return optical;
}

bool IsOnOpticalDrive(const std::string& folder) {
  std::ifstream file("/proc/self/mounts");
  std::ostringstream table;
  table << file.rdbuf();
  return IsOnOpticalDrive(folder, table.str());
}

}  // namespace kx
