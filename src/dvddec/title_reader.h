#pragma once
// One open "opendvd:" stream: the chosen chapters of one title as a seekable
// run of filtered 2048-byte sectors. Each reader owns its own libdvdread
// handles, so readers on different threads never share state; one reader is
// used by one thread at a time.
#include <array>
#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "dvddec/disc_layout.h"
#include "dvddec/dvdread_handles.h"
#include "dvddec/packet_filter.h"

namespace kx::dvddec {

class TitleReader {
 public:
  // Null, with the reason logged, when the disc, title or chapter range of
  // `param` cannot be served.
  static std::unique_ptr<TitleReader> Open(const std::string& drive, const TDVDParam& param);
  ~TitleReader();

  // Bytes read, DVDREADER_EOF or DVDREADER_EIO (sticky: the disc is gone).
  int Read(uint8_t* buffer, int size);
  int64_t Seek(int64_t offset, int whence);
  int64_t Size() const { return totalSectors_ * kSectorSize; }
  const std::array<uint32_t, 16>& Palette() const { return palette_; }
  // Distinct bad sectors met so far, however often the demuxer re-read them.
  int64_t BadSectors() const { return static_cast<int64_t>(badSectors_.size()); }

 private:
  TitleReader() = default;

  // Reads `count` stream sectors from `sector` on into `out` and filters them;
  // all lie in one extent. False when the disc went away.
  bool ReadSectors(int64_t sector, int count, uint8_t* out);
  void MarkBad(int64_t sector, uint8_t* data);
  // Index of the extent holding stream sector `sector`.
  size_t ExtentOf(int64_t sector) const;
  // Sectors from `sector` to the end of its extent, at most `limit`.
  int RunLength(int64_t sector, int limit) const;
  bool FillBuffer();

  std::string drive_;
  DiscHandle dvd_;
  FileHandle vobs_;
  std::vector<Extent> extents_;
  std::vector<int64_t> extentStart_;  // stream sector where each extent begins
  int64_t totalSectors_ = 0;
  StreamChoice choice_;
  std::array<uint32_t, 16> palette_{};

  int64_t position_ = 0;  // bytes
  std::vector<uint8_t> buffer_;
  int64_t bufferSector_ = 0;  // stream sector of buffer_[0]
  int bufferSectors_ = 0;
  bool vanished_ = false;

  std::set<int64_t> badSectors_;  // stream sectors
};

}  // namespace kx::dvddec
