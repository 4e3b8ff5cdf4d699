// Random damage in the IFO files: enumerating, describing and reading titles
// must never crash or hang, and whatever the plug-in describes must be sane.
#include <filesystem>
#include <fstream>
#include <random>

#include "dvd/title_stream.h"
#include "dvd_title_probe.h"

// libdvdread 6.1 leaks the program chains it had read when a later one of
// the same table is corrupt; that leak is the library's, not ours. Its frames
// carry no frame pointers, so the slow unwinder is needed to see the name.
extern "C" const char* __lsan_default_suppressions() { return "leak:ifoRead_PGCIT\n"; }
extern "C" const char* __asan_default_options() { return "fast_unwind_on_malloc=0"; }

namespace kx::test {
namespace {

namespace fs = std::filesystem;

void Scribble(const fs::path& file, std::mt19937& random, int bytes) {
  std::fstream stream(file, std::ios::in | std::ios::out | std::ios::binary);
  auto size = static_cast<uint32_t>(fs::file_size(file));
  for (int i = 0; i < bytes; ++i) {
    stream.seekp(random() % size);
    stream.put(static_cast<char>(random()));
  }
}

TEST(CorruptIfo, DamagedTablesNeverBreakThePlugIn) {
  LoadPlugIn();
  std::mt19937 random(7);
  fs::path disc = fs::path(ScratchDir("corrupt_ifo")) / "disc";
  std::vector<uint8_t> buffer(64 * 1024);
  for (int round = 0; round < 200; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    fs::remove_all(disc);
    fs::copy(DiscFolder("three_titles"), disc, fs::copy_options::recursive);
    // The same damage in an IFO and its backup, so libdvdread cannot fall back.
    for (const char* stem : {"VIDEO_TS", "VTS_01_0"}) {
      if (random() % 2) continue;
      std::mt19937 same(static_cast<uint32_t>(random()));
      int bytes = 1 + static_cast<int>(random() % 16);
      for (const char* ext : {".IFO", ".BUP"}) {
        std::mt19937 copy = same;
        Scribble(disc / "VIDEO_TS" / (std::string(stem) + ext), copy, bytes);
      }
    }
    int titles = DVDPlugIn::EnumTitles(disc.string());
    ASSERT_LE(titles, 99);
    for (int t = 0; t < titles; ++t) {
      TDVDTitleInfo info;
      if (!DVDPlugIn::GetTitleInfo(t, info)) continue;
      EXPECT_GE(info.Duration, 0);
      EXPECT_LE(info.AudioCount, DVD_MAX_AUDIO);
      EXPECT_LE(info.SubtitleCount, DVD_MAX_SUBTITLES);
      EXPECT_GE(info.ChapterCount, 1);
      DVDPlugIn::SetDVDParam(Param(t, 0, 99, 128, 32));
      std::unique_ptr<TitleStream> stream = TitleStream::Open(disc.string());
      if (!stream) continue;
      int64_t read = 0;
      for (int n; read < stream->Size() && (n = stream->Read(buffer.data(), static_cast<int>(buffer.size()))) > 0;)
        read += n;
      EXPECT_EQ(read, stream->Size());
    }
  }
}

}  // namespace
}  // namespace kx::test
