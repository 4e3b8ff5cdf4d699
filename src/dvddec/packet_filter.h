#pragma once
// Per-sector work of a reader: keep the video, the navigation packets and the
// chosen audio and subpicture streams; turn every other audio or subpicture
// packet into a padding packet of the same length, so that the sector keeps
// its size and every byte offset of the stream stays valid.
#include <cstdint>

namespace kx::dvddec {

constexpr int kSectorSize = 2048;

// Stream ids as the demuxer sees them: 0xC0+n for MPEG audio (the packet's own
// id), the sub-stream byte of private stream 1 otherwise (0x80+n AC-3, 0x88+n
// DTS, 0xA0+n LPCM, 0x20+n subpicture). -1 keeps nothing of that kind.
struct StreamChoice {
  int audioId = -1;
  int subtitleId = -1;
};

enum class SectorCheck { kValid, kInvalid };

// Filters one sector in place. Reads and writes only sector[0 .. kSectorSize).
// kInvalid means the sector is no well-formed MPEG pack (random bytes, a
// packet running past the sector's end): the caller replaces it whole.
SectorCheck FilterSector(uint8_t* sector, const StreamChoice& choice);

// Overwrites the sector with one pack holding only padding.
void MakePaddingSector(uint8_t* sector);

}  // namespace kx::dvddec
