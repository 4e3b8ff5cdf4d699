#include "preview/snapshot.h"

#include <QImage>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <stdexcept>

#include "app/folder_settings.h"
#include "app/message_boxes.h"
#include "app/settings_store.h"
#include "app/snapshot_settings.h"
#include "preview/bmp_file.h"
#include "preview/jpeg_file.h"

namespace kx {
namespace {

namespace fs = std::filesystem;

QImage ImageOf(const TBitmap& picture) {
  return QImage(picture.Pixels.data(), picture.Width, picture.Height, picture.Stride, QImage::Format_BGR888);
}

bool MakeFolder(const std::string& folder) {
  std::error_code error;
  if (folder.empty()) return false;
  fs::create_directories(folder, error);
  return fs::is_directory(folder, error);
}

// The stored snapshot folder, created with its parents when missing.
std::string SnapshotFolder(const std::string& iniPath, MessageBoxes& messages) {
  std::string folder = ReadString(iniPath, kSettingsSection, kSnapOutPutDirKey, DefaultFolder());
  if (MakeFolder(folder)) return folder;
  const std::string fallback = DefaultFolder();
  messages.Show("Warning",
                "Cannot create output directory:" + folder + ".It will create default directory " + fallback + "!",
                MessageIcon::Warning);
  MakeFolder(fallback);  // when even this fails, writing the first file reports it
  WriteString(iniPath, kSettingsSection, kSnapOutPutDirKey, fallback);
  return fallback;
}

void WriteFile(const fs::path& path, const std::vector<std::uint8_t>& bytes) {
  const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "wb"), std::fclose);
  const auto fail = [&path] {
    throw std::runtime_error("Cannot create file \"" + path.string() + "\". " + std::strerror(errno));
  };
  if (!file) fail();
  if (std::fwrite(bytes.data(), 1, bytes.size(), file.get()) != bytes.size() || std::fflush(file.get()) != 0) fail();
}

}  // namespace

TBitmap BitmapOf(const QImage& image) {
  TBitmap bitmap;
  bitmap.Resize(image.width(), image.height());
  const QImage bgr = image.convertToFormat(QImage::Format_BGR888);
  for (int y = 0; y < bitmap.Height; ++y) std::memcpy(bitmap.Row(y), bgr.constScanLine(y), std::size_t(bitmap.Width) * 3);
  return bitmap;
}

TBitmap StretchedBitmap(const TBitmap& picture, int width, int height) {
  TBitmap stretched;
  stretched.Resize(width, height);
  if (picture.Width <= 0 || picture.Height <= 0 || stretched.Pixels.empty()) return stretched;
  const QImage scaled =
      ImageOf(picture).scaled(width, height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation).convertToFormat(
          QImage::Format_BGR888);
  for (int y = 0; y < height; ++y) std::memcpy(stretched.Row(y), scaled.constScanLine(y), std::size_t(width) * 3);
  return stretched;
}

std::string SaveSnapshot(const std::string& iniPath, const TBitmap& full, const TBitmap& small,
                         MessageBoxes& messages) {
  const std::string folder = SnapshotFolder(iniPath, messages);
  const SnapshotSettings settings = ReadSnapshotSettings(iniPath);
  // Both JPEG pictures are made before the first file is touched.
  std::vector<std::uint8_t> fullJpeg, smallJpeg;
  if (settings.jpg && settings.fullSize) fullJpeg = EncodeJpeg(full, settings.jpgQuality);
  if (settings.jpg && settings.smallSize) smallJpeg = EncodeJpeg(small, settings.jpgQuality);
  const fs::path dir(folder);
  if (settings.bmp && settings.fullSize) WriteFile(dir / "Snapshot_full.bmp", EncodeBmp(full));
  if (settings.bmp && settings.smallSize) WriteFile(dir / "Snapshot_small.bmp", EncodeBmp(small));
  if (settings.jpg && settings.fullSize) WriteFile(dir / "Snapshot_full.jpg", fullJpeg);
  if (settings.jpg && settings.smallSize) WriteFile(dir / "Snapshot_small.jpg", smallJpeg);
  return folder;
}

}  // namespace kx
