// Disc targets: the settings of each type and norm, and the automatic norm
// decided from the pending frame rate or from real opened inputs.
#include <gtest/gtest.h>

#include <spawn.h>
#include <sys/wait.h>

#include <functional>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

#include "engine/custom_ffmpeg.h"
#include "engine/ffmpeg_exception.h"
#include "support/av_log_capture.h"
#include "support/test_env.h"

extern char** environ;

namespace kx {
namespace {

// Runs a program with an argument list (no shell) and answers its exit status.
int Run(const std::vector<std::string>& args) {
  std::vector<char*> argv;
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  pid_t pid = 0;
  if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return -1;
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// A tiny MPEG-2 program stream at the given frame rate, like a disc title.
std::string MakeClip(const std::string& dir, const std::string& rate) {
  const std::string path = dir + "/clip_" + rate.substr(0, rate.find('/')) + ".mpg";
  const int status = Run({"ffmpeg", "-hide_banner", "-loglevel", "error", "-y", "-f", "lavfi", "-i",
                          "testsrc=size=64x64:duration=0.5:rate=" + rate, "-c:v", "mpeg2video", "-f", "mpeg", path});
  if (status != 0) throw std::runtime_error("ffmpeg could not make " + path);
  return path;
}

std::string Entry(const DictionaryPtr& dict, const char* key) {
  const AVDictionaryEntry* entry = av_dict_get(dict.get(), key, nullptr, 0);
  return entry ? entry->value : "";
}

struct Clips {
  std::string pal;   // 25 frames/s
  std::string ntsc;  // 30000/1001 frames/s
};

struct TargetCase {
  std::string label;
  std::function<void(TCustomFFmpeg&, const Clips&)> before;
  std::string target;
  // expected
  std::string format, videoCodec, audioCodec;
  int width, height;
  AVRational rate;
  int sampleRate, channels;
  std::vector<std::pair<const char*, const char*>> videoOptions;  // generic video options, "" = absent
  std::string audioBitRate;
  double aspect;  // 0: left as it was
  AVPixelFormat pixFmt;
};

void PrintTo(const TargetCase& c, std::ostream* os) { *os << c.label; }

void Nothing(TCustomFFmpeg&, const Clips&) {}

std::vector<TargetCase> Cases() {
  const AVRational pal{25, 1}, ntsc{30000, 1001}, film{24000, 1001};
  const auto open = [](bool palClip) {
    return [palClip](TCustomFFmpeg& e, const Clips& c) { ASSERT_TRUE(e.OpenInput(palClip ? c.pal : c.ntsc)) << e.LastError(); };
  };
  return {
      {"pal_dvd", Nothing, "pal-dvd", "dvd", "mpeg2video", "ac3", 720, 576, pal, 48000, 2,
       {{"g", "15"}, {"b", "6000000"}, {"maxrate", "9000000"}, {"minrate", "0"}, {"bufsize", "1835008"}}, "448000",
       16.0 / 9, AV_PIX_FMT_NONE},
      {"ntsc_vcd", Nothing, "ntsc-vcd", "vcd", "mpeg1video", "mp2", 352, 240, ntsc, 44100, 2,
       {{"g", "18"}, {"b", "1150000"}, {"maxrate", "1150000"}, {"minrate", "1150000"}, {"bufsize", "327680"}},
       "224000", 4.0 / 3, AV_PIX_FMT_NONE},
      {"svcd_auto_from_ntsc_input", open(false), "svcd", "svcd", "mpeg2video", "mp2", 480, 480, ntsc, 44100, 2,
       {{"g", "18"}, {"b", "2040000"}, {"maxrate", "2516000"}}, "224000", 0, AV_PIX_FMT_YUV420P},
      {"svcd_auto_from_pal_input", open(true), "svcd", "svcd", "mpeg2video", "mp2", 480, 576, pal, 44100, 2,
       {{"g", "15"}}, "224000", 0, AV_PIX_FMT_YUV420P},
      {"svcd_mono_becomes_stereo", [](TCustomFFmpeg& e, const Clips&) { e.SetOption("r", "25"), e.SetOption("ac", "1"); },
       "svcd", "svcd", "mpeg2video", "mp2", 480, 576, pal, 44100, 2, {}, "224000", 4.0 / 3, AV_PIX_FMT_NONE},
      {"dvd_norm_from_opened_inputs",
       [open](TCustomFFmpeg& e, const Clips& c) { open(true)(e, c), e.SetOption("r", "50"); }, "dvd", "dvd",
       "mpeg2video", "ac3", 720, 576, pal, 48000, 2, {{"g", "15"}}, "448000", 0, AV_PIX_FMT_YUV420P},
      {"vcd_fallback_norm_ntsc", [](TCustomFFmpeg& e, const Clips&) { e.SetOption("r", "50"); }, "vcd", "vcd",
       "mpeg1video", "mp2", 352, 240, ntsc, 44100, 2, {{"g", "18"}}, "224000", 4.0 / 3, AV_PIX_FMT_NONE},
      {"film_dvd", Nothing, "film-dvd", "dvd", "mpeg2video", "ac3", 720, 480, film, 48000, 2, {{"g", "18"}}, "448000",
       16.0 / 9, AV_PIX_FMT_NONE},
      {"pal_dv50", Nothing, "pal-dv50", "dv", "", "", 720, 576, pal, 48000, 2, {{"b", ""}}, "", 0, AV_PIX_FMT_YUV422P},
      {"ntsc_dv", Nothing, "ntsc-dv", "dv", "", "", 720, 480, ntsc, 48000, 2, {}, "", 0, AV_PIX_FMT_YUV411P},
      {"pal_dv", Nothing, "pal-dv", "dv", "", "", 720, 576, pal, 48000, 2, {}, "", 0, AV_PIX_FMT_YUV420P},
  };
}

class DiscTargetTable : public testing::TestWithParam<TargetCase> {
 protected:
  static void SetUpTestSuite() {
    const std::string dir = test::ScratchDir("disc_target");
    clips_ = {MakeClip(dir, "25"), MakeClip(dir, "30000/1001")};
  }
  static Clips clips_;
};
Clips DiscTargetTable::clips_;

TEST_P(DiscTargetTable, GivesTheSettingsOfTheTable) {
  const TargetCase& c = GetParam();
  TCustomFFmpeg engine;
  c.before(engine, clips_);
  ASSERT_NO_THROW(engine.SetOption("target", c.target));
  const TPendingSettings& p = engine.Pending();
  EXPECT_EQ(p.formatName, c.format);
  EXPECT_EQ(p.video.codecName, c.videoCodec);
  EXPECT_EQ(p.audio.codecName, c.audioCodec);
  EXPECT_EQ(p.frameWidth, c.width);
  EXPECT_EQ(p.frameHeight, c.height);
  EXPECT_EQ(av_cmp_q(p.frameRate, c.rate), 0) << p.frameRate.num << "/" << p.frameRate.den;
  EXPECT_EQ(p.audioSampleRate, c.sampleRate);
  EXPECT_EQ(p.audioChannels, c.channels);
  EXPECT_EQ(p.framePixFmt, c.pixFmt);
  if (c.aspect != 0) {
    EXPECT_DOUBLE_EQ(p.frameAspectRatio, c.aspect);
  }
  const TGenericOptions& generic = engine.GenericOptions();
  const DictionaryPtr video = generic.CodecOptions(AVMEDIA_TYPE_VIDEO, nullptr, true);
  for (const auto& [key, value] : c.videoOptions) EXPECT_EQ(Entry(video, key), value) << key;
  EXPECT_EQ(Entry(generic.CodecOptions(AVMEDIA_TYPE_AUDIO, nullptr, true), "b"), c.audioBitRate);
}

INSTANTIATE_TEST_SUITE_P(Targets, DiscTargetTable, testing::ValuesIn(Cases()),
                         [](const testing::TestParamInfo<TargetCase>& info) { return info.param.label; });

TEST(DiscTargetMux, PacketSizeMuxRateAndPreloadReachTheMuxer) {
  const struct {
    const char* target;
    const char* packetSize;
    const char* muxRate;
    float preload;
  } cases[] = {{"pal-vcd", "2324", "1411200", 0.44f}, {"pal-svcd", "2324", "", 0.5f}, {"pal-dvd", "2048", "10080000", 0.5f}};
  for (const auto& c : cases) {
    TCustomFFmpeg engine;
    engine.SetOption("target", c.target);
    const AVOutputFormat* muxer = av_guess_format(engine.Pending().formatName.c_str(), nullptr, nullptr);
    ASSERT_NE(muxer, nullptr) << c.target;
    const DictionaryPtr options = engine.GenericOptions().FormatOptions(muxer->priv_class, true);
    EXPECT_EQ(Entry(options, "packetsize"), c.packetSize) << c.target;
    EXPECT_EQ(Entry(options, "muxrate"), c.muxRate) << c.target;
    EXPECT_EQ(engine.Pending().muxPreload, c.preload) << c.target;
  }
}

TEST(DiscTargetMux, SvcdReservesTheScanOffsetInTheMpeg2Encoder) {
  TCustomFFmpeg engine;
  engine.SetOption("target", "ntsc-svcd");
  const DictionaryPtr video =
      engine.GenericOptions().CodecOptions(AVMEDIA_TYPE_VIDEO, avcodec_find_encoder_by_name("mpeg2video"), true);
  EXPECT_EQ(Entry(video, "scan_offset"), "1");
}

TEST(DiscTargetNorm, AutomaticDecisionIsLoggedAndFallbackNormCounts) {
  {
    test::AvLogCapture log;
    TCustomFFmpeg engine;
    engine.SetOption("r", "29.97");
    engine.SetOption("target", "dvd");
    EXPECT_TRUE(log.Has(AV_LOG_INFO, "Assuming NTSC for target."));
    EXPECT_TRUE(log.Has(AV_LOG_INFO, "Assuming 16:9 for aspect ratio"));
    EXPECT_EQ(engine.Pending().frameHeight, 480);
  }
  const std::pair<const char*, int> fallbacks[] = {{"pal", 576}, {"film", 480}, {"other", 576}};
  for (const auto& [fallback, height] : fallbacks) {
    TCustomFFmpeg engine;
    engine.SetOption("r", "60");
    engine.SetTarget("dvd", "auto", fallback);
    EXPECT_EQ(engine.Pending().frameHeight, height) << fallback;
  }
  test::AvLogCapture quiet;
  TCustomFFmpeg engine;
  engine.SetOption("v", "0");
  engine.SetOption("r", "25");
  engine.SetTarget("vcd", "5", "ntsc");
  EXPECT_FALSE(quiet.Contains("for target."));
  EXPECT_EQ(engine.Pending().frameHeight, 288);
}

TEST(OpenInput, MissingFileFailsWithTheNameAndTheReason) {
  TCustomFFmpeg engine;
  engine.SetOption("vcodec", "mpeg2video");
  EXPECT_FALSE(engine.OpenInput("/nonexistent/clip.mpg"));
  EXPECT_EQ(engine.LastError(), "/nonexistent/clip.mpg: No such file or directory");
  EXPECT_TRUE(engine.Pending().video.codecName.empty());
  engine.SetOption("f", "nosuchdemuxer");
  EXPECT_FALSE(engine.OpenInput("/nonexistent/clip.mpg"));
  EXPECT_EQ(engine.LastError(), "Unknown input format: \"nosuchdemuxer\"");
}

}  // namespace
}  // namespace kx
