// Folders on optical discs found by the mount table.
#include "app/optical_drive.h"

#include <gtest/gtest.h>

namespace kx {
namespace {

constexpr char kMounts[] =
    "/dev/nvme0n1p2 / ext4 rw,relatime 0 0\n"
    "proc /proc proc rw 0 0\n"
    "/dev/sr0 /media/user/MY\\040DISC iso9660 ro 0 0\n"
    "/dev/sr1 /mnt/dvd udf ro 0 0\n"
    "/dev/sda1 /mnt/dvd/over ext4 rw 0 0\n"
    "/home/user/film.iso /mnt/image iso9660 ro 0 0\n"
    "/dev/sdb1 /mnt/usb vfat rw 0 0\n"
    "/dev/sr0 /mnt/usb ext4 rw 0 0\n";

TEST(OpticalDriveTest, TheMountThatHoldsTheFolderDecides) {
  struct Case {
    const char* folder;
    bool optical;
  };
  const Case cases[] = {
      {"/home/user", false},
      {"/media/user/MY DISC/VIDEO_TS", true},
      {"/media/user/MY DISC", true},
      {"/media/user/MY DISCS", false},  // a neighbour, not inside the mount
      {"/mnt/dvd/films", true},
      {"/mnt/dvd/over/films", false},   // a writable mount inside the disc's
      {"/mnt/image/VIDEO_TS", true},    // a disc image
      {"/mnt/usb/x", true},             // the later mount over the same point counts
  };
  for (const Case& c : cases) EXPECT_EQ(IsOnOpticalDrive(c.folder, kMounts), c.optical) << c.folder;
  EXPECT_FALSE(IsOnOpticalDrive("/home/user", ""));
}

}  // namespace
}  // namespace kx
