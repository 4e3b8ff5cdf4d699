// The drive scan on a made-up /sys/block and /dev.
#include "dvd/drive_scan.h"

#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include "support/test_env.h"

namespace kx {
namespace {

namespace fs = std::filesystem;

// A file that starts like an ISO 9660 image with `label` as volume identifier.
void WriteImage(const fs::path& path, const std::string& label, bool descriptor = true) {
  std::string data(17 * 2048, '\0');
  if (descriptor) {
    data[16 * 2048] = 1;
    data.replace(16 * 2048 + 1, 5, "CD001");
    data.replace(16 * 2048 + 40, 32, std::string(32, ' '));
    data.replace(16 * 2048 + 40, label.size(), label);
  }
  std::ofstream(path, std::ios::binary) << data;
}

TEST(DriveScan, OpticalDrivesInOrderThenExtraNames) {
  fs::path root = test::ScratchDir("drive_scan");
  fs::path sys = root / "sys", dev = root / "dev";
  for (const char* entry : {"sr10", "sda", "sr1", "loop0", "sr0", "srx"}) fs::create_directories(sys / entry);
  fs::create_directories(dev);
  WriteImage(dev / "sr0", "KX_MOVIE");
  WriteImage(dev / "sr10", "", false);  // a disc without an ISO 9660 descriptor
  // sr1 has no disc: its device cannot be opened.
  fs::path image = root / "film.iso", folder = root / "film";
  WriteImage(image, "  SPACED LABEL");
  fs::create_directories(folder / "VIDEO_TS");

  std::vector<DriveItem> drives =
      ScanDvdDrives({image.string(), (root / "missing.iso").string(), folder.string()}, sys.string(), dev.string());

  std::vector<std::pair<std::string, std::string>> got;
  for (const DriveItem& d : drives) got.emplace_back(d.Name, d.Caption);
  std::vector<std::pair<std::string, std::string>> expected = {
      {(dev / "sr0").string(), (dev / "sr0").string() + ":KX_MOVIE"},
      {(dev / "sr1").string(), (dev / "sr1").string() + ":"},
      {(dev / "sr10").string(), (dev / "sr10").string() + ":"},
      {image.string(), image.string() + ":SPACED LABEL"},
      {folder.string(), folder.string() + ":"},
  };
  EXPECT_EQ(got, expected);
}

TEST(DriveScan, NoOpticalDrivesGiveAnEmptyList) {
  fs::path root = test::ScratchDir("drive_scan_none");
  fs::create_directories(root / "sys" / "sda");
  EXPECT_TRUE(ScanDvdDrives({}, (root / "sys").string(), (root / "dev").string()).empty());
  EXPECT_TRUE(ScanDvdDrives({}, (root / "no_sys").string(), (root / "dev").string()).empty());
}

TEST(DriveScan, VolumeLabelIsCleanedOfControlBytes) {
  fs::path image = fs::path(test::ScratchDir("drive_label")) / "odd.iso";
  WriteImage(image, std::string("AB\x07" "C\x1b[2J") + std::string(3, ' '));
  EXPECT_EQ(ReadVolumeLabel(image.string()), "ABC[2J");
  EXPECT_EQ(ReadVolumeLabel((image.parent_path() / "none").string()), "");
}

}  // namespace
}  // namespace kx
