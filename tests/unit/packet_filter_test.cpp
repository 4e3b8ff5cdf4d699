// The per-sector stream filter of the DVD plug-in: which packets survive, that
// malformed sectors are recognised, and that random sectors never make it read
// or write outside the sector.
#include "dvddec/packet_filter.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

namespace kx::dvddec {
namespace {

using Sector = std::vector<uint8_t>;

struct PacketSpec {
  int streamId;
  int subStream = -1;  // for private stream 1
  int payload = 100;   // bytes after the PES header (and sub-stream byte)
};

struct BuiltPacket {
  int offset, length;  // of the whole packet, header included
  PacketSpec spec;
};

void PutPacketHeader(uint8_t* p, int streamId, int length) {
  p[0] = 0;
  p[1] = 0;
  p[2] = 1;
  p[3] = static_cast<uint8_t>(streamId);
  p[4] = static_cast<uint8_t>(length >> 8);
  p[5] = static_cast<uint8_t>(length & 0xFF);
}

// An MPEG-2 pack holding `specs`, filled up to the sector's end with padding.
Sector BuildSector(const std::vector<PacketSpec>& specs, std::vector<BuiltPacket>* layout = nullptr,
                   uint8_t fill = 0x5A) {
  Sector sector(kSectorSize, 0);
  const uint8_t pack[14] = {0, 0, 1, 0xBA, 0x44, 0, 4, 0, 4, 1, 1, 0x89, 0xC3, 0xF8};
  std::memcpy(sector.data(), pack, sizeof pack);
  int pos = sizeof pack;
  for (const PacketSpec& spec : specs) {
    bool hasPes = spec.streamId != 0xBF && spec.streamId != 0xBE;
    int length = (hasPes ? 3 : 0) + (spec.subStream >= 0 ? 1 : 0) + spec.payload;
    uint8_t* p = sector.data() + pos;
    PutPacketHeader(p, spec.streamId, length);
    int body = 6;
    if (hasPes) {
      p[body++] = 0x81;
      p[body++] = 0x00;
      p[body++] = 0x00;  // no optional header fields
    }
    if (spec.subStream >= 0) p[body++] = static_cast<uint8_t>(spec.subStream);
    std::memset(p + body, fill, spec.payload);
    if (layout) layout->push_back({pos, 6 + length, spec});
    pos += 6 + length;
  }
  PutPacketHeader(sector.data() + pos, 0xBE, kSectorSize - pos - 6);
  std::memset(sector.data() + pos + 6, 0xFF, kSectorSize - pos - 6);
  return sector;
}

bool IsPadding(const Sector& sector, const BuiltPacket& packet) {
  const uint8_t* p = sector.data() + packet.offset;
  if (p[3] != 0xBE || ((p[4] << 8) | p[5]) != packet.length - 6) return false;
  for (int i = 6; i < packet.length; ++i)
    if (p[i] != 0xFF) return false;
  return true;
}

struct ChoiceCase {
  const char* name;
  StreamChoice choice;
  std::vector<bool> kept;  // per packet of kMixedPackets
};

const std::vector<PacketSpec> kMixedPackets = {
    {0xBF, -1, 980},   // navigation
    {0xE0, -1, 300},   // video
    {0xBD, 0x80, 50},  // AC-3 0
    {0xBD, 0x81, 50},  // AC-3 1
    {0xC0, -1, 50},    // MPEG audio 0
    {0xC1, -1, 50},    // MPEG audio 1
    {0xBD, 0xA0, 50},  // LPCM 0
    {0xBD, 0x88, 50},  // DTS 0
    {0xBD, 0x20, 50},  // subpicture 0
    {0xBD, 0x3F, 50},  // subpicture 31
};

class ChoiceTest : public testing::TestWithParam<ChoiceCase> {};

TEST_P(ChoiceTest, KeepsExactlyTheChosenStreams) {
  std::vector<BuiltPacket> layout;
  Sector sector = BuildSector(kMixedPackets, &layout);
  Sector original = sector;
  ASSERT_EQ(FilterSector(sector.data(), GetParam().choice), SectorCheck::kValid);
  for (size_t i = 0; i < layout.size(); ++i) {
    const BuiltPacket& packet = layout[i];
    SCOPED_TRACE("packet " + std::to_string(i));
    if (GetParam().kept[i]) {
      EXPECT_TRUE(std::equal(original.begin() + packet.offset, original.begin() + packet.offset + packet.length,
                             sector.begin() + packet.offset));
    } else {
      EXPECT_TRUE(IsPadding(sector, packet));
    }
  }
  EXPECT_EQ(std::memcmp(sector.data(), original.data(), 14), 0) << "pack header untouched";
}

INSTANTIATE_TEST_SUITE_P(
    Choices, ChoiceTest,
    testing::Values(
        ChoiceCase{"second_ac3_and_last_subpicture", {0x81, 0x3F}, {1, 1, 0, 1, 0, 0, 0, 0, 0, 1}},
        ChoiceCase{"mpeg_audio_no_subpicture", {0xC1, -1}, {1, 1, 0, 0, 0, 1, 0, 0, 0, 0}},
        ChoiceCase{"lpcm", {0xA0, 0x20}, {1, 1, 0, 0, 0, 0, 1, 0, 1, 0}},
        ChoiceCase{"dts", {0x88, -1}, {1, 1, 0, 0, 0, 0, 0, 1, 0, 0}},
        ChoiceCase{"nothing_but_video", {-1, -1}, {1, 1, 0, 0, 0, 0, 0, 0, 0, 0}}),
    [](const testing::TestParamInfo<ChoiceCase>& info) { return info.param.name; });

struct MalformedCase {
  const char* name;
  void (*damage)(Sector&);
};

class MalformedTest : public testing::TestWithParam<MalformedCase> {};

TEST_P(MalformedTest, IsReportedInvalid) {
  Sector sector = BuildSector({{0xE0, -1, 500}, {0xBD, 0x80, 200}});
  GetParam().damage(sector);
  EXPECT_EQ(FilterSector(sector.data(), {0x80, 0x20}), SectorCheck::kInvalid);
}

INSTANTIATE_TEST_SUITE_P(
    Damage, MalformedTest,
    testing::Values(
        MalformedCase{"no_pack_start", [](Sector& s) { s[3] = 0xB3; }},
        MalformedCase{"unknown_pack_version", [](Sector& s) { s[4] = 0x04; }},
        MalformedCase{"packet_longer_than_sector", [](Sector& s) { s[14 + 4] = 0x09; }},
        MalformedCase{"lost_start_code", [](Sector& s) { s[14 + 6 + 503 + 2] = 0x07; }},
        MalformedCase{"reserved_stream_id", [](Sector& s) { s[14 + 3] = 0x42; }},
        MalformedCase{"last_packet_one_byte_too_long",
                      [](Sector& s) {
                        int last = 14 + 509 + 210;
                        PutPacketHeader(s.data() + last, 0xBD, kSectorSize - last - 6 + 1);
                      }},
        // The last packet ends 3 bytes early: no room for another header.
        MalformedCase{"header_cut_by_sector_end",
                      [](Sector& s) {
                        int last = 14 + 509 + 210;
                        int length = ((s[last + 4] << 8) | s[last + 5]) - 3;
                        PutPacketHeader(s.data() + last, 0xBE, length);
                      }}),
    [](const testing::TestParamInfo<MalformedCase>& info) { return info.param.name; });

TEST(PacketFilter, ProgramEndCodeEndsTheSector) {
  Sector sector = BuildSector({{0xE0, -1, 500}});
  const uint8_t end[4] = {0, 0, 1, 0xB9};
  std::memcpy(sector.data() + 14 + 509, end, sizeof end);
  EXPECT_EQ(FilterSector(sector.data(), {}), SectorCheck::kValid);
}

TEST(PacketFilter, PaddingSectorIsAValidEmptyPack) {
  Sector sector(kSectorSize, 0x33);
  MakePaddingSector(sector.data());
  Sector copy = sector;
  EXPECT_EQ(FilterSector(sector.data(), {}), SectorCheck::kValid);
  EXPECT_EQ(sector, copy);
  EXPECT_EQ(sector[17], 0xBE);
  EXPECT_EQ(((sector[18] << 8) | sector[19]), kSectorSize - 20);
}

// Random layouts, random damage and plain noise: the filter must stay inside
// the 2048 bytes it is given (AddressSanitizer watches the heap block), agree
// with the layout when the sector is intact, and be idempotent.
TEST(PacketFilter, SurvivesAMillionRandomSectors) {
  std::mt19937 random(20101);
  const int kStreams[] = {0xE0, 0xBF, 0xC0, 0xC3, 0xBD, 0xBD, 0xBD, 0xBB};
  const int kSubStreams[] = {0x20, 0x21, 0x3F, 0x80, 0x81, 0x88, 0xA0, 0xA7, 0x00, 0xFF};
  long intact = 0;
  for (int n = 0; n < (1 << 20); ++n) {
    std::vector<PacketSpec> specs;
    int room = kSectorSize - 14 - 6;
    while (room > 20 && random() % 4 != 0) {
      PacketSpec spec{kStreams[random() % 8]};
      if (spec.streamId == 0xBD) spec.subStream = kSubStreams[random() % 10];
      int overhead = 6 + (spec.streamId == 0xBF ? 0 : 3) + (spec.subStream >= 0 ? 1 : 0);
      spec.payload = static_cast<int>(random() % (room - overhead - 6));
      room -= overhead + spec.payload;
      specs.push_back(spec);
    }
    std::vector<BuiltPacket> layout;
    auto sector = std::make_unique<uint8_t[]>(kSectorSize);  // exactly one sector on the heap
    Sector built = BuildSector(specs, &layout, static_cast<uint8_t>(random()));
    int mode = static_cast<int>(random() % 4);
    if (mode == 1) {
      for (int i = static_cast<int>(random() % 8) + 1; i > 0; --i) built[random() % kSectorSize] = static_cast<uint8_t>(random());
    } else if (mode == 2) {
      for (uint8_t& byte : built) byte = static_cast<uint8_t>(random());
      if (random() % 2) std::memcpy(built.data(), "\0\0\1\xBA\x44", 5);
    }
    std::memcpy(sector.get(), built.data(), kSectorSize);
    StreamChoice choice{kSubStreams[random() % 10], kSubStreams[random() % 10]};
    SectorCheck first = FilterSector(sector.get(), choice);
    Sector once(sector.get(), sector.get() + kSectorSize);
    ASSERT_EQ(FilterSector(sector.get(), choice), first);
    ASSERT_EQ(std::memcmp(once.data(), sector.get(), kSectorSize), 0) << "sector " << n;
    if (mode == 0 || mode == 3) {
      ++intact;
      ASSERT_EQ(first, SectorCheck::kValid) << "sector " << n;
      for (const BuiltPacket& packet : layout) {
        bool audioOrSub = packet.spec.streamId == 0xBD || (packet.spec.streamId & 0xE0) == 0xC0;
        int id = packet.spec.streamId == 0xBD ? packet.spec.subStream : packet.spec.streamId;
        bool keep = !audioOrSub || id == choice.audioId || id == choice.subtitleId;
        ASSERT_EQ(IsPadding(once, packet), !keep) << "sector " << n;
      }
    }
  }
  EXPECT_GT(intact, 1 << 18);
}

}  // namespace
}  // namespace kx::dvddec
