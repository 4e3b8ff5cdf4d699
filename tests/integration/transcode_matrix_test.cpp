// Every encoder a profile may name, in its container, converting a test disc
// title: codecs, picture size, duration, the chosen audio track and sync.
#include "transcode_helpers.h"

namespace kx::test {
namespace {

struct MatrixCase {
  const char* name;
  const char* extension;
  OptionList options;
  const char* videoCodec;  // as FFmpeg names it when reading back; empty: no video
  const char* audioCodec;
  int width, height;
  int audioId = 0x80;
  double toneHz = 440;
  // Encoder priming that the container does not record (ASF: the WMA
  // encoder's first 2048 samples), so the audio stream seems to start early.
  double primingSeconds = 0;
};

void PrintTo(const MatrixCase& c, std::ostream* os) { *os << c.name; }

class TranscodeMatrixTest : public testing::TestWithParam<MatrixCase> {
 protected:
  void SetUp() override { LoadPlugIn(); }
};

constexpr double kSeconds = 3;

TEST_P(TranscodeMatrixTest, ConvertsTheTitleWithItsCodecs) {
  const MatrixCase& c = GetParam();
  const std::string output = ScratchDir(std::string("matrix_") + c.name) + "/out." + c.extension;
  TitleJob job;
  job.param = Param(0, 0, 99, c.audioId, 0);
  job.outputOptions = c.options;
  job.outputOptions.emplace_back("t", std::to_string(kSeconds));
  ASSERT_TRUE(Convert(job, output));

  const ProbedFile probed = Probe(output);
  const DecodedMedia media = DecodeFile(output, 60);
  if (*c.videoCodec != '\0') {
    ASSERT_EQ(probed.video.size(), 1u);
    EXPECT_EQ(probed.video[0].codec, c.videoCodec);
    EXPECT_EQ(probed.video[0].width, c.width);
    EXPECT_EQ(probed.video[0].height, c.height);
    ASSERT_FALSE(media.frames.empty());
    EXPECT_NEAR(static_cast<double>(media.frames.size()), kSeconds * 25, 1);
    EXPECT_EQ(media.frames.front().mark, (FrameMark{1, 0}));
    EXPECT_EQ(media.frames.back().mark, (FrameMark{1, 2}));
  } else {
    EXPECT_TRUE(probed.video.empty());
  }
  ASSERT_EQ(probed.audio.size(), 1u);
  EXPECT_EQ(probed.audio[0].codec, c.audioCodec);
  ASSERT_GT(media.sampleRate, 0);
  EXPECT_NEAR(media.samples.size() / static_cast<double>(media.sampleRate), kSeconds, 0.05);
  EXPECT_EQ(ToneOf(media), c.toneHz);
  if (!probed.video.empty()) {
    EXPECT_NEAR(probed.audio[0].startSeconds + c.primingSeconds, probed.video[0].startSeconds, 0.04);
  }
}

const OptionList kSmall = {{"s", "320x240"}};
constexpr double kWmaPriming = 2048 / 48000.0;

OptionList With(OptionList list, const OptionList& more) {
  list.insert(list.end(), more.begin(), more.end());
  return list;
}

INSTANTIATE_TEST_SUITE_P(
    Profiles, TranscodeMatrixTest,
    testing::Values(
        MatrixCase{"mp4_x264_aac", "mp4", With(kSmall, {{"vcodec", "libx264"}, {"acodec", "aac"}}), "h264", "aac", 320, 240},
        MatrixCase{"mp4_mpeg4_aac", "mp4", With(kSmall, {{"vcodec", "mpeg4"}, {"acodec", "aac"}}), "mpeg4", "aac", 320, 240},
        MatrixCase{"avi_mpeg4_mp3", "avi", With(kSmall, {{"vcodec", "mpeg4"}, {"acodec", "libmp3lame"}}), "mpeg4", "mp3",
                   320, 240},
        MatrixCase{"avi_xvid_mp3", "avi", With(kSmall, {{"vcodec", "libxvid"}, {"acodec", "libmp3lame"}}), "mpeg4", "mp3",
                   320, 240},
        MatrixCase{"avi_msmpeg4_mp3", "avi", With(kSmall, {{"vcodec", "msmpeg4"}, {"acodec", "libmp3lame"}}),
                   "msmpeg4v3", "mp3", 320, 240},
        MatrixCase{"avi_h263_mp3", "avi", {{"s", "352x288"}, {"vcodec", "h263"}, {"acodec", "libmp3lame"}}, "h263", "mp3",
                   352, 288},
        MatrixCase{"wmv_wmv1_wmav2", "wmv", With(kSmall, {{"vcodec", "wmv1"}, {"acodec", "wmav2"}}), "wmv1", "wmav2", 320,
                   240, 0x80, 440, kWmaPriming},
        MatrixCase{"asf_wmv2_wmav2", "asf", With(kSmall, {{"vcodec", "wmv2"}, {"acodec", "wmav2"}}), "wmv2", "wmav2", 320,
                   240, 0x80, 440, kWmaPriming},
        MatrixCase{"mpg_mpeg1_mp2", "mpg", With(kSmall, {{"vcodec", "mpeg1video"}, {"acodec", "mp2"}}), "mpeg1video",
                   "mp2", 320, 240},
        MatrixCase{"mpg_mpeg2_ac3", "mpg", {{"f", "dvd"}, {"vcodec", "mpeg2video"}, {"acodec", "ac3"}}, "mpeg2video",
                   "ac3", 720, 576},
        MatrixCase{"dv_dvvideo", "dv", {{"s", "720x576"}, {"ar", "48000"}}, "dvvideo", "pcm_s16le", 720, 576},
        // The title's second audio track: MPEG audio with its own tone.
        MatrixCase{"mp4_second_track", "mp4", With(kSmall, {{"vcodec", "libx264"}, {"acodec", "aac"}}), "h264", "aac",
                   320, 240, 0xC0, 880},
        MatrixCase{"mp3", "mp3", {{"vn", ""}, {"acodec", "libmp3lame"}}, "", "mp3", 0, 0},
        MatrixCase{"m4a", "m4a", {{"vn", ""}, {"acodec", "aac"}}, "", "aac", 0, 0},
        MatrixCase{"wma", "wma", {{"vn", ""}, {"acodec", "wmav2"}}, "", "wmav2", 0, 0},
        MatrixCase{"wav", "wav", {{"vn", ""}, {"acodec", "pcm_s16le"}}, "", "pcm_s16le", 0, 0},
        MatrixCase{"ogg", "ogg", {{"vn", ""}, {"acodec", "libvorbis"}}, "", "vorbis", 0, 0},
        MatrixCase{"ac3", "ac3", {{"vn", ""}, {"acodec", "ac3"}}, "", "ac3", 0, 0, 0xC0, 880}),
    [](const testing::TestParamInfo<MatrixCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kx::test
