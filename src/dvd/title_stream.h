#pragma once
// One reader of the plug-in: the title, chapters and streams of the last
// SetDVDParam as one seekable byte stream. Opened on the main thread right after
// SetDVDParam; afterwards used by one thread at a time (an engine or player
// worker). Reads block while the disc is read.
#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "dvddec/dvddec_api.h"

namespace kx {

class TitleStream {
 public:
  // Null when the plug-in refuses (it logs why); NotLoadedError before a load.
  static std::unique_ptr<TitleStream> Open(const std::string& drive);
  ~TitleStream();
  TitleStream(const TitleStream&) = delete;
  TitleStream& operator=(const TitleStream&) = delete;

  // Bytes read, 0 at the end, DVDREADER_EIO when the disc went away.
  int Read(uint8_t* buffer, int size);
  // The new position, or DVDREADER_EINVAL.
  int64_t Seek(int64_t offset, int whence);
  int64_t Size() const;
  std::array<uint32_t, 16> Palette() const;  // 0x00RRGGBB
  int64_t BadSectors() const;

 private:
  explicit TitleStream(DVDReader* reader) : reader_(reader) {}
  DVDReader* reader_;
};

}  // namespace kx
