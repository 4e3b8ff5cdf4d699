// DVD subpictures: burnt into the picture where the container cannot carry
// them, carried as a stream where it can, and absent when none was chosen.
#include "transcode_helpers.h"

extern "C" {
#include <libavcodec/avcodec.h>
}

namespace kx::test {
namespace {

class TranscodeSubtitleTest : public testing::Test {
 protected:
  void SetUp() override { LoadPlugIn(); }
};

struct PictureRun {
  double seconds;
  bool drawn;  // pixels far from the picture's solid colour
};

// Decodes the video of `path` and tells for each picture whether anything
// but the solid colour of the test disc is drawn on it.
std::vector<PictureRun> DrawnPictures(const std::string& path) {
  std::vector<PictureRun> runs;
  AVFormatContext* raw = nullptr;
  if (avformat_open_input(&raw, path.c_str(), nullptr, nullptr) < 0) return runs;
  Input ctx(raw);
  avformat_find_stream_info(raw, nullptr);
  const int index = av_find_best_stream(raw, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
  if (index < 0) return runs;
  auto decoder = OpenDecoder(raw->streams[index]);
  std::unique_ptr<AVPacket, PacketFree> packet(av_packet_alloc());
  std::unique_ptr<AVFrame, FrameFree> frame(av_frame_alloc());
  const AVRational timeBase = raw->streams[index]->time_base;
  const auto drain = [&] {
    while (avcodec_receive_frame(decoder.get(), frame.get()) == 0) {
      const uint8_t* luma = frame->data[0];
      const int stride = frame->linesize[0];
      const int solid = luma[(frame->height / 2) * stride + frame->width / 2];
      int far = 0;
      for (int y = 0; y < frame->height; ++y)
        for (int x = 0; x < frame->width; ++x) far += std::abs(luma[y * stride + x] - solid) > 40;
      runs.push_back({frame->best_effort_timestamp * av_q2d(timeBase), far > 20});
    }
  };
  while (av_read_frame(raw, packet.get()) >= 0) {
    if (packet->stream_index == index) avcodec_send_packet(decoder.get(), packet.get());
    av_packet_unref(packet.get());
    drain();
  }
  avcodec_send_packet(decoder.get(), nullptr);
  drain();
  return runs;
}

struct BurnCase {
  const char* name;
  int subtitleId;
  double cueStart, cueEnd;  // seconds; equal: nothing burnt
};

void PrintTo(const BurnCase& c, std::ostream* os) { *os << c.name; }

class BurnTest : public TranscodeSubtitleTest, public testing::WithParamInterface<BurnCase> {};

TEST_P(BurnTest, Mp4ShowsTheChosenSubtitleInItsSecondsOnly) {
  const BurnCase& c = GetParam();
  const std::string output = ScratchDir(std::string("burn_") + c.name) + "/out.mp4";
  TitleJob job;
  job.param = Param(0, 0, 99, 0x80, c.subtitleId);
  job.outputOptions = {{"vcodec", "libx264"}, {"acodec", "aac"}, {"t", "6"}};
  ASSERT_TRUE(Convert(job, output));
  EXPECT_TRUE(Probe(output).subtitle.empty());
  const std::vector<PictureRun> pictures = DrawnPictures(output);
  ASSERT_EQ(pictures.size(), 150u);
  for (const PictureRun& picture : pictures) {
    // A frame's margin on either side of the cue's edges.
    if (std::abs(picture.seconds - c.cueStart) < 0.1 || std::abs(picture.seconds - c.cueEnd) < 0.1) continue;
    const bool inCue = picture.seconds > c.cueStart && picture.seconds < c.cueEnd;
    EXPECT_EQ(picture.drawn, inCue) << "at " << picture.seconds << " s";
  }
}

INSTANTIATE_TEST_SUITE_P(Choices, BurnTest,
                         testing::Values(BurnCase{"english", 0x20, 1, 4}, BurnCase{"none", 0, 0, 0}),
                         [](const testing::TestParamInfo<BurnCase>& info) { return std::string(info.param.name); });

TEST_F(TranscodeSubtitleTest, ProgramStreamCarriesTheSubpictures) {
  const std::string output = ScratchDir("subtitle_carried") + "/out.mpg";
  TitleJob job;
  job.param = Param(0, 0, 99, 0x80, 0x20);
  job.outputOptions = {{"f", "dvd"}, {"vcodec", "mpeg2video"}, {"acodec", "ac3"}, {"t", "6"}};
  ASSERT_TRUE(Convert(job, output));
  const ProbedFile probed = Probe(output);
  ASSERT_EQ(probed.subtitle.size(), 1u);
  EXPECT_EQ(probed.subtitle[0].codec, "dvd_subtitle");
  // Carried, not burnt.
  for (const PictureRun& picture : DrawnPictures(output)) EXPECT_FALSE(picture.drawn) << "at " << picture.seconds << " s";
}

}  // namespace
}  // namespace kx::test
