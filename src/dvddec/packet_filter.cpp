#include "dvddec/packet_filter.h"

#include <cstring>

namespace kx::dvddec {
namespace {

constexpr uint8_t kPackStart = 0xBA;
constexpr uint8_t kProgramEnd = 0xB9;
constexpr uint8_t kPrivateStream1 = 0xBD;
constexpr uint8_t kPaddingStream = 0xBE;
constexpr int kPacketHeader = 6;  // start code prefix, stream id, 16-bit length

bool HasStartCode(const uint8_t* p) { return p[0] == 0 && p[1] == 0 && p[2] == 1; }

// Length of the pack header at the sector's start, 0 when there is none.
int PackHeaderLength(const uint8_t* sector) {
  if (!HasStartCode(sector) || sector[3] != kPackStart) return 0;
  if ((sector[4] & 0xC0) == 0x40) return 14 + (sector[13] & 0x07);  // MPEG-2
  if ((sector[4] & 0xF0) == 0x20) return 12;                         // MPEG-1
  return 0;
}

bool IsMpegAudio(int streamId) { return streamId >= 0xC0 && streamId <= 0xDF; }

// The sub-stream byte of a private stream 1 packet spanning [packet, end), or
// -1 when the PES header does not leave room for it.
int SubStreamId(const uint8_t* packet, int length) {
  if (length < 3 || (packet[kPacketHeader] & 0xC0) != 0x80) return -1;
  int offset = 3 + packet[kPacketHeader + 2];
  return offset < length ? packet[kPacketHeader + offset] : -1;
}

bool Keep(const uint8_t* packet, int length, const StreamChoice& choice) {
  int streamId = packet[3];
  if (IsMpegAudio(streamId)) return streamId == choice.audioId;
  if (streamId != kPrivateStream1) return true;  // video, navigation, padding, system header
  int sub = SubStreamId(packet, length);
  return sub >= 0 && (sub == choice.audioId || sub == choice.subtitleId);
}

}  // namespace

SectorCheck FilterSector(uint8_t* sector, const StreamChoice& choice) {
  int pos = PackHeaderLength(sector);
  if (pos == 0) return SectorCheck::kInvalid;
  while (pos < kSectorSize) {
    if (pos + kPacketHeader > kSectorSize || !HasStartCode(sector + pos)) return SectorCheck::kInvalid;
    uint8_t* packet = sector + pos;
    if (packet[3] == kProgramEnd) return SectorCheck::kValid;
    if (packet[3] < kProgramEnd) return SectorCheck::kInvalid;
    int length = (packet[4] << 8) | packet[5];
    if (length > kSectorSize - pos - kPacketHeader) return SectorCheck::kInvalid;
    if (!Keep(packet, length, choice)) {
      packet[3] = kPaddingStream;
      std::memset(packet + kPacketHeader, 0xFF, length);
    }
    pos += kPacketHeader + length;
  }
  return SectorCheck::kValid;
}

void MakePaddingSector(uint8_t* sector) {
  // MPEG-2 pack header with a zero clock reference and the DVD mux rate.
  static constexpr uint8_t kPackHeader[14] = {0x00, 0x00, 0x01, kPackStart, 0x44, 0x00, 0x04,
                                              0x00, 0x04, 0x01, 0x01, 0x89, 0xC3, 0xF8};
  constexpr int kPaddingLength = kSectorSize - sizeof kPackHeader - kPacketHeader;
  std::memcpy(sector, kPackHeader, sizeof kPackHeader);
  uint8_t* packet = sector + sizeof kPackHeader;
  packet[0] = 0x00;
  packet[1] = 0x00;
  packet[2] = 0x01;
  packet[3] = kPaddingStream;
  packet[4] = kPaddingLength >> 8;
  packet[5] = kPaddingLength & 0xFF;
  std::memset(packet + kPacketHeader, 0xFF, kPaddingLength);
}

}  // namespace kx::dvddec
