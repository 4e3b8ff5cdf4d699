// Titles read through "opendvd:": chapter ranges, stream choice, seeking,
// damaged and vanishing media, several readers at once.
#include <filesystem>
#include <fstream>
#include <thread>

#include "dvd/title_stream.h"
#include "dvd_title_probe.h"
#include "engine/dvd_input.h"

namespace kx::test {
namespace {

constexpr int kVideoId = 0x1E0;
constexpr int kMpegAudio = 0x100;  // FFmpeg's ids for MPEG audio carry the start code's 0x100

class DvdInputTest : public testing::Test {
 protected:
  void SetUp() override { LoadPlugIn(); }
};

TEST_F(DvdInputTest, ChaptersTwoToThreeStartAndEndOnTheirFrames) {
  // sample title 1: 30 s at 25 fps, chapters at 0, 8, 15 and 23 s.
  for (const std::string& drive : {DiscFolder("sample"), DiscImage("sample")}) {
    SCOPED_TRACE(drive);
    Input input = OpenTitle(drive, Param(0, 2, 3, 0x80, 0));
    ASSERT_TRUE(input);
    VideoRun run = DecodeVideo(input.get());
    EXPECT_EQ(run.first.second, 8);
    EXPECT_EQ(run.last.second, 22);
    EXPECT_EQ(run.frames, 15 * 25);
    EXPECT_EQ(run.first.title, 1);
    EXPECT_EQ(run.readError, 0);
  }
}

TEST_F(DvdInputTest, WholeTitleFromZeroAndNinetyNine) {
  Input input = OpenTitle(DiscFolder("sample"), Param(1, 0, 99, 128, 32));
  ASSERT_TRUE(input);
  VideoRun run = DecodeVideo(input.get());
  EXPECT_EQ(run.first.second, 0);
  EXPECT_EQ(run.last.second, 14);
  EXPECT_EQ(run.frames, 15 * 25);
  EXPECT_EQ(run.first.title, 2);
}

struct StreamCase {
  const char* disc;
  int audioId, subtitleId;
  std::vector<int> audioStreams, subtitleStreams;  // as the demuxer names them
  double toneHz;                                   // 0: no audio
};

class StreamChoiceTest : public DvdInputTest, public testing::WithParamInterface<StreamCase> {};

TEST_P(StreamChoiceTest, OnlyTheChosenStreamsAppear) {
  const StreamCase& c = GetParam();
  Input input = OpenTitle(DiscFolder(c.disc), Param(0, 0, 99, c.audioId, c.subtitleId));
  ASSERT_TRUE(input);
  EXPECT_EQ(StreamIds(input.get(), AVMEDIA_TYPE_VIDEO), std::vector<int>{kVideoId});
  EXPECT_EQ(StreamIds(input.get(), AVMEDIA_TYPE_AUDIO), c.audioStreams);
  EXPECT_EQ(StreamIds(input.get(), AVMEDIA_TYPE_SUBTITLE), c.subtitleStreams);
  if (c.toneHz > 0) {
    EXPECT_EQ(DominantToneHz(input.get()), c.toneHz);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Discs, StreamChoiceTest,
    testing::Values(
        StreamCase{"sample", 0x80, 0x20, {0x80}, {0x20}, 440},
        StreamCase{"sample", 0xC1, 0, {kMpegAudio + 0xC1}, {}, 660},
        // The dialogs' defaults: 128 is the first AC-3 stream's number, 32 the first subpicture's.
        StreamCase{"sample", 128, 32, {0x80}, {0x20}, 440},
        // Ids that name no stream: the first audio stream, no subtitle.
        StreamCase{"sample", 0, 0x25, {0x80}, {}, 440},
        StreamCase{"sample", 0xC0, 0, {0x80}, {}, 440},
        StreamCase{"no_audio", 128, 32, {}, {}, 0},
        StreamCase{"eight_audio", 0x80, 0, {0x80}, {}, 300},
        StreamCase{"eight_audio", 0xC1, 0, {kMpegAudio + 0xC1}, {}, 440},
        StreamCase{"eight_audio", 0xA2, 0, {0xA2}, {}, 550},
        StreamCase{"eight_audio", 0x83, 0, {0x83}, {}, 660},
        StreamCase{"eight_audio", 0xC4, 0, {kMpegAudio + 0xC4}, {}, 770},
        StreamCase{"eight_audio", 0x85, 0, {0x85}, {}, 880},
        StreamCase{"eight_audio", 0xC6, 0, {kMpegAudio + 0xC6}, {}, 1000},
        StreamCase{"eight_audio", 0xA7, 0, {0xA7}, {}, 1200},
        StreamCase{"many_subs", 0x80, 0x20, {0x80}, {0x20}, 440},
        StreamCase{"many_subs", 0x80, 0x3F, {0x80}, {0x3F}, 440},
        StreamCase{"ntsc_wide", 0xA0, 0, {0xA0}, {}, 1000}));

TEST_F(DvdInputTest, SeekToTheMiddleLandsThere) {
  Input input = OpenTitle(DiscImage("sample"), Param(0, 0, 99, 0x80, 0));
  ASSERT_TRUE(input);
  int64_t start = input->start_time == AV_NOPTS_VALUE ? 0 : input->start_time;
  int64_t middle = start + 15 * int64_t{AV_TIME_BASE};
  ASSERT_GE(avformat_seek_file(input.get(), -1, INT64_MIN, middle, INT64_MAX, 0), 0);
  VideoRun run = DecodeVideo(input.get(), 10);
  ASSERT_GT(run.frames, 0);
  EXPECT_NEAR(run.first.second, 15, 1);
}

TEST_F(DvdInputTest, EveryTitleOfTwelveReadsItself) {
  for (int t = 0; t < 12; ++t) {
    SCOPED_TRACE("title " + std::to_string(t + 1));
    Input input = OpenTitle(DiscImage("twelve_titles"), Param(t, 0, 99, 128, 32));
    ASSERT_TRUE(input);
    VideoRun run = DecodeVideo(input.get());
    EXPECT_EQ(run.first.title, t + 1);
    EXPECT_EQ(run.last.title, t + 1);
    EXPECT_EQ(run.frames, 2 * 25);
  }
}

TEST_F(DvdInputTest, SeveralReadersWithTheirOwnParameters) {
  Input first = OpenTitle(DiscFolder("three_titles"), Param(0, 2, 2, 0x80, 0));
  Input third = OpenTitle(DiscFolder("three_titles"), Param(2, 0, 99, 0xC0, 0x21));
  ASSERT_TRUE(first && third);
  VideoRun runs[2];
  std::thread a([&] { runs[0] = DecodeVideo(first.get()); });
  std::thread b([&] { runs[1] = DecodeVideo(third.get()); });
  a.join();
  b.join();
  EXPECT_EQ(runs[0].first.title, 1);
  EXPECT_EQ(runs[0].first.second, 5);
  EXPECT_EQ(runs[0].last.second, 9);
  EXPECT_EQ(runs[1].first.title, 3);
  EXPECT_EQ(runs[1].frames, 8 * 25);
  EXPECT_EQ(StreamIds(third.get(), AVMEDIA_TYPE_SUBTITLE), std::vector<int>{0x21});
}

TEST_F(DvdInputTest, DamagedSectorsArePaddedAndCounted) {
  // 40 sectors of random bytes in the middle of the title's video.
  for (const std::string& drive : {DiscFolder("damaged"), DiscImage("damaged")}) {
    SCOPED_TRACE(drive);
    Input input = OpenTitle(drive, Param(0, 0, 99, 0x80, 0));
    ASSERT_TRUE(input);
    VideoRun run = DecodeVideo(input.get());
    EXPECT_EQ(run.readError, 0);
    EXPECT_EQ(run.first.second, 0);
    EXPECT_EQ(run.last.second, 9);
    ASSERT_NE(DvdInputStream(input.get()), nullptr);
    EXPECT_EQ(DvdInputStream(input.get())->BadSectors(), 40);
  }
}

TEST_F(DvdInputTest, TruncatedImageReadsToItsEnd) {
  Input input = OpenTitle(DiscImage("truncated"), Param(0, 0, 99, 0x80, 0));
  ASSERT_TRUE(input);
  VideoRun run = DecodeVideo(input.get());
  EXPECT_EQ(run.readError, 0);
  EXPECT_EQ(run.first.second, 0);
  EXPECT_LT(run.frames, 10 * 25);
  EXPECT_GT(DvdInputStream(input.get())->BadSectors(), 0);
}

TEST_F(DvdInputTest, VanishedDiscEndsWithAnIoError) {
  std::filesystem::path disc = ScratchDir("vanishing") + "/disc";
  std::filesystem::copy(DiscFolder("sample"), disc, std::filesystem::copy_options::recursive);
  DVDPlugIn::SetDVDParam(Param(0, 0, 99, 0x80, 0));
  std::unique_ptr<TitleStream> stream = TitleStream::Open(disc.string());
  ASSERT_TRUE(stream);
  std::vector<uint8_t> buffer(256 * 1024);
  ASSERT_EQ(stream->Read(buffer.data(), static_cast<int>(buffer.size())), static_cast<int>(buffer.size()));
  // The medium goes away: its data becomes unreadable and the folder disappears.
  for (const auto& file : std::filesystem::directory_iterator(disc / "VIDEO_TS"))
    std::filesystem::resize_file(file.path(), 0);
  std::filesystem::remove_all(disc);
  int result = 0;
  for (int64_t read = 0; read <= stream->Size() && (result = stream->Read(buffer.data(), 65536)) > 0;) read += result;
  EXPECT_EQ(result, DVDREADER_EIO);
  EXPECT_EQ(stream->Read(buffer.data(), 2048), DVDREADER_EIO) << "the error persists";
}

TEST_F(DvdInputTest, SubpicturePaletteComesFromTheDisc) {
  Input input = OpenTitle(DiscFolder("sample"), Param(0, 0, 99, 0x80, 0x20));
  ASSERT_TRUE(input);
  // dvdauthor's default palette: white, then black.
  std::string palette = DvdSubtitlePalette(input.get());
  EXPECT_TRUE(palette.starts_with("ffffff,000000,")) << palette;
  EXPECT_EQ(palette.size(), 16 * 7 - 1u);
  // The subtitle decoder takes it as it is.
  int index = av_find_best_stream(input.get(), AVMEDIA_TYPE_SUBTITLE, -1, -1, nullptr, 0);
  ASSERT_GE(index, 0);
  const AVCodec* codec = avcodec_find_decoder(input->streams[index]->codecpar->codec_id);
  std::unique_ptr<AVCodecContext, CodecCloser> dec(avcodec_alloc_context3(codec));
  AVDictionary* options = nullptr;
  av_dict_set(&options, "palette", palette.c_str(), 0);
  EXPECT_EQ(avcodec_open2(dec.get(), codec, &options), 0);
  EXPECT_EQ(av_dict_count(options), 0) << "option taken";
  av_dict_free(&options);
  AVFormatContext* plain = nullptr;
  ASSERT_EQ(avformat_open_input(&plain, (DiscFolder("sample") + "/VIDEO_TS/VTS_01_1.VOB").c_str(), nullptr, nullptr), 0);
  EXPECT_EQ(DvdSubtitlePalette(plain), "") << "no DVD title";
  avformat_close_input(&plain);
}

TEST_F(DvdInputTest, ReaderIsSeekableByteStreamOfWholeSectors) {
  DVDPlugIn::SetDVDParam(Param(0, 1, 1, 0x80, 0));
  std::unique_ptr<TitleStream> stream = TitleStream::Open(DiscFolder("sample"));
  ASSERT_TRUE(stream);
  int64_t size = stream->Size();
  ASSERT_GT(size, 0);
  EXPECT_EQ(size % 2048, 0);
  // Reading whole and reading in odd pieces after seeks give the same bytes.
  std::vector<uint8_t> whole(size), pieces(size);
  int64_t got = 0;
  for (int n; got < size && (n = stream->Read(whole.data() + got, 100000)) > 0;) got += n;
  ASSERT_EQ(got, size);
  EXPECT_EQ(stream->Read(whole.data(), 1), 0) << "end of stream";
  for (int64_t at = size - 1; at >= 0; at -= 3001) {
    int64_t len = std::min<int64_t>(3001, size - at);
    ASSERT_EQ(stream->Seek(at, SEEK_SET), at);
    ASSERT_EQ(stream->Read(pieces.data() + at, static_cast<int>(len)), len);
  }
  ASSERT_EQ(stream->Seek(0, SEEK_SET), 0);
  ASSERT_EQ(stream->Read(pieces.data(), static_cast<int>(size % 3001 + 1)), size % 3001 + 1);
  EXPECT_TRUE(whole == pieces);
  EXPECT_EQ(stream->Seek(-1, SEEK_SET), DVDREADER_EINVAL);
  EXPECT_EQ(stream->Seek(1, SEEK_END), DVDREADER_EINVAL);
  EXPECT_EQ(stream->Seek(0, SEEK_END), size);
  EXPECT_EQ(stream->Seek(-2048, SEEK_CUR), size - 2048);
}

struct RefusedCase {
  const char* what;
  std::string drive;
  TDVDParam param;
};

TEST_F(DvdInputTest, ImpossibleRequestsFailToOpen) {
  const RefusedCase cases[] = {
      {"chapters beyond the title", DiscFolder("sample"), Param(0, 5, 6, 0x80, 0)},
      {"start after end", DiscFolder("sample"), Param(0, 3, 2, 0x80, 0)},
      {"title beyond the disc", DiscFolder("sample"), Param(2, 0, 99, 0x80, 0)},
      {"negative title", DiscFolder("sample"), Param(-1, 0, 99, 0x80, 0)},
      {"unreadable title", DiscFolder("second_unreadable"), Param(1, 0, 99, 0x80, 0)},
      {"no DVD", SourceDir(), Param(0, 0, 99, 0x80, 0)},
  };
  for (const RefusedCase& c : cases) {
    DVDPlugIn::SetDVDParam(c.param);
    AVFormatContext* ctx = nullptr;
    EXPECT_LT(OpenMediaInput(&ctx, "opendvd:" + c.drive, nullptr), 0) << c.what;
    EXPECT_EQ(ctx, nullptr) << c.what;
  }
}

}  // namespace
}  // namespace kx::test
