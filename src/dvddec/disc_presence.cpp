#include "dvddec/disc_presence.h"

#include <fcntl.h>
#include <linux/cdrom.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <filesystem>

namespace kx::dvddec {

bool DiscPresent(const std::string& drive) {
  struct stat info {};
  if (stat(drive.c_str(), &info) != 0) return false;
  if (S_ISDIR(info.st_mode)) {
    std::filesystem::path folder(drive);
    std::error_code ignored;
    return folder.filename() == "VIDEO_TS" || std::filesystem::is_directory(folder / "VIDEO_TS", ignored);
  }
  if (!S_ISBLK(info.st_mode)) return S_ISREG(info.st_mode);
  int fd = open(drive.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  int status = ioctl(fd, CDROM_DRIVE_STATUS, CDSL_CURRENT);
  bool notOptical = status < 0 && errno == ENOTTY;
  close(fd);
  return notOptical || status == CDS_DISC_OK;
}

}  // namespace kx::dvddec
