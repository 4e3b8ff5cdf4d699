// SetOption of the transcoding engine: each handled option's effect on the
// pending settings, each rejection text, the generic options of the installed
// libraries and the preset files.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <functional>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libswscale/swscale.h>
}

#include "support/av_log_capture.h"
#include "engine/custom_ffmpeg.h"
#include "engine/ffmpeg_exception.h"
#include "support/test_env.h"

namespace kx {
namespace {

using P = TPendingSettings;
using Options = std::vector<std::pair<std::string, std::string>>;

struct OptionCase {
  std::string label;
  Options options;  // applied in order; the last one is under test
  std::function<bool(const P&)> holds;  // success cases
  std::string error;  // rejection cases: the exact message
};

std::string Matrix(int count, const char* coeff = "16") {
  std::string text;
  for (int i = 0; i < count; ++i) text += (i ? "," : "") + std::string(coeff);
  return text;
}

void PrintTo(const OptionCase& c, std::ostream* os) { *os << c.label; }

OptionCase Ok(std::string label, Options options, std::function<bool(const P&)> holds) {
  return {std::move(label), std::move(options), std::move(holds), {}};
}
OptionCase Fails(std::string label, Options options, std::string error) {
  return {std::move(label), std::move(options), nullptr, std::move(error)};
}

std::vector<OptionCase> Cases() {
  return {
      // container and time
      Ok("f", {{"f", "mp4"}}, [](const P& p) { return p.formatName == "mp4" && !p.pgmyuvMode; }),
      Ok("f_pgmyuv", {{"f", "pgmyuv"}}, [](const P& p) { return p.formatName == "image2" && p.pgmyuvMode; }),
      Ok("fs", {{"fs", "5000000000"}}, [](const P& p) { return p.limitFileSize == 5000000000LL; }),
      Ok("t_clock", {{"t", "01:02:03.5"}}, [](const P& p) { return p.recordingTimeUs == 3723500000LL; }),
      Ok("ss_seconds", {{"ss", "90.25"}}, [](const P& p) { return p.startTimeUs == 90250000; }),
      Ok("itsoffset_negative", {{"itsoffset", "-1.5"}}, [](const P& p) { return p.inputTsOffsetUs == -1500000; }),
      Ok("itsscale", {{"itsscale", "3:2.5"}}, [](const P& p) { return p.inputTsScale[3] == 2.5; }),
      Ok("timestamp", {{"timestamp", "1970-01-01T00:01:40Z"}}, [](const P& p) { return p.recTimestamp == 100; }),
      Ok("metadata", {{"metadata", "title=a=b"}},
         [](const P& p) { return p.metadata == std::vector<std::pair<std::string, std::string>>{{"title", "a=b"}}; }),
      Ok("programid", {{"programid", "3"}}, [](const P& p) { return p.programId == 3; }),
      Ok("muxdelay", {{"muxdelay", "0.25"}}, [](const P& p) { return p.muxMaxDelay == 0.25f; }),
      Ok("muxpreload", {{"muxpreload", "0.44"}}, [](const P& p) { return p.muxPreload == 0.44f; }),
      Ok("loop_input", {{"loop_input", ""}}, [](const P& p) { return p.loopInput; }),
      Ok("loop_output", {{"loop_output", "0"}}, [](const P& p) { return p.loopOutput == 0; }),
      Ok("re", {{"re", "1"}}, [](const P& p) { return p.rateEmu; }),
      Ok("shortest", {{"shortest", ""}}, [](const P& p) { return p.shortest; }),
      Ok("copyts_on_even_with_0", {{"copyts", "0"}}, [](const P& p) { return p.copyTs; }),
      Ok("xerror_on_even_with_0", {{"xerror", "0"}}, [](const P& p) { return p.exitOnError; }),
      Ok("copyinkf", {{"copyinkf", "1"}}, [](const P& p) { return p.copyInitialNonKeyframes == 1; }),
      Ok("dts_delta_threshold", {{"dts_delta_threshold", "2.5"}}, [](const P& p) { return p.dtsDeltaThreshold == 2.5; }),
      Ok("dump_hex", {{"dump", ""}, {"hex", "1"}}, [](const P& p) { return p.dumpPackets && p.dumpHex; }),
      Ok("v", {{"v", "-1"}}, [](const P& p) { return p.verbose == -1; }),
      // video
      Ok("vcodec", {{"vcodec", "mpeg4"}}, [](const P& p) { return p.video.codecName == "mpeg4" && !p.video.streamCopy; }),
      Ok("vcodec_copy", {{"vcodec", "mpeg4"}, {"vcodec", "copy"}},
         [](const P& p) { return p.video.codecName.empty() && p.video.streamCopy; }),
      Ok("vn_empty_disables", {{"vn", ""}}, [](const P& p) { return p.video.disable; }),
      Ok("vdt", {{"vdt", "16"}}, [](const P& p) { return p.videoDiscard == 16; }),
      Ok("vframes", {{"vframes", "100"}}, [](const P& p) { return p.maxVideoFrames == 100; }),
      Ok("r_fraction", {{"r", "30000/1001"}}, [](const P& p) { return p.frameRate.num == 30000 && p.frameRate.den == 1001; }),
      Ok("r_abbreviation", {{"r", "pal"}}, [](const P& p) { return av_q2d(p.frameRate) == 25.0; }),
      Ok("s", {{"s", "640x480"}}, [](const P& p) { return p.frameWidth == 640 && p.frameHeight == 480; }),
      Ok("s_abbreviation", {{"s", "cif"}}, [](const P& p) { return p.frameWidth == 352 && p.frameHeight == 288; }),
      Ok("aspect_pair", {{"aspect", "16:9"}}, [](const P& p) { return std::abs(p.frameAspectRatio - 16.0 / 9) < 1e-9; }),
      Ok("aspect_decimal", {{"aspect", "1.78"}}, [](const P& p) { return p.frameAspectRatio == 1.78; }),
      Ok("pix_fmt", {{"pix_fmt", "yuv422p"}}, [](const P& p) { return p.framePixFmt == AV_PIX_FMT_YUV422P; }),
      Ok("pix_fmt_list_sets_nothing", {{"pix_fmt", "list"}}, [](const P& p) { return p.framePixFmt == AV_PIX_FMT_NONE; }),
      Ok("croptop", {{"s", "720x576"}, {"croptop", "16"}},
         [](const P& p) { return p.frameTopBand == 16 && p.frameHeight == 560; }),
      Ok("cropbottom_zero_ignored", {{"s", "720x576"}, {"cropbottom", "0"}},
         [](const P& p) { return p.frameBottomBand == 0 && p.frameHeight == 576; }),
      Ok("cropleft_right", {{"s", "720x576"}, {"cropleft", "8"}, {"cropright", "10"}},
         [](const P& p) { return p.frameLeftBand == 8 && p.frameRightBand == 10 && p.frameWidth == 702; }),
      Ok("intra", {{"intra", ""}}, [](const P& p) { return p.intraOnly; }),
      Ok("qscale", {{"qscale", "3.5"}}, [](const P& p) { return p.videoQscale == 3.5f; }),
      Ok("rc_override", {{"rc_override", "0,100,2"}}, [](const P& p) { return p.rcOverride == "0,100,2"; }),
      Ok("me_threshold", {{"me_threshold", "4"}}, [](const P& p) { return p.meThreshold == 4; }),
      Ok("sameq", {{"sameq", ""}}, [](const P& p) { return p.sameQuality; }),
      Ok("pass", {{"pass", "2"}}, [](const P& p) { return p.doPass == 2; }),
      Ok("passlogfile", {{"passlogfile", "/tmp/x"}}, [](const P& p) { return p.passLogFileName == "/tmp/x"; }),
      Ok("deinterlace_psnr", {{"deinterlace", ""}, {"psnr", ""}}, [](const P& p) { return p.doDeinterlace && p.doPsnr; }),
      Ok("vstats", {{"vstats", ""}}, [](const P& p) {
        const std::string name = p.vstatsFileName.substr(p.vstatsFileName.rfind('/') + 1);
        return name.size() == 17 && name.starts_with("vstats_") && name.ends_with(".log");
      }),
      Ok("vstats_file", {{"vstats_file", "/tmp/v.log"}}, [](const P& p) { return p.vstatsFileName == "/tmp/v.log"; }),
      Ok("vf", {{"vf", "scale=320:240"}}, [](const P& p) { return p.videoFilters == "scale=320:240"; }),
      Ok("vfilters", {{"vfilters", "hflip"}}, [](const P& p) { return p.videoFilters == "hflip"; }),
      Ok("intra_matrix", {{"intra_matrix", Matrix(64, "17")}},
         [](const P& p) { return p.intraMatrix && (*p.intraMatrix)[63] == 17; }),
      Ok("inter_matrix", {{"inter_matrix", Matrix(64)}}, [](const P& p) { return p.interMatrix && (*p.interMatrix)[0] == 16; }),
      Ok("top_dc", {{"top", "1"}, {"dc", "10"}}, [](const P& p) { return p.topFieldFirst == 1 && p.intraDcPrecision == 10; }),
      Ok("vtag", {{"vtag", "XVID"}}, [](const P& p) { return p.video.codecTag == MKTAG('X', 'V', 'I', 'D'); }),
      Ok("vlang", {{"vlang", "eng"}}, [](const P& p) { return p.video.language == "eng"; }),
      Ok("qphist_force_fps", {{"qphist", ""}, {"force_fps", ""}}, [](const P& p) { return p.qpHist && p.forceFps; }),
      Ok("vsync_vglobal", {{"vsync", "0"}, {"vglobal", "2"}},
         [](const P& p) { return p.videoSync == 0 && p.videoGlobalHeader == 2; }),
      // audio
      Ok("acodec", {{"acodec", "libfaac"}}, [](const P& p) { return p.audio.codecName == "libfaac"; }),
      Ok("aframes", {{"aframes", "7"}}, [](const P& p) { return p.maxAudioFrames == 7; }),
      Ok("aq", {{"aq", "4"}}, [](const P& p) { return p.audioQscale == 4.0f; }),
      Ok("ar_ac", {{"ar", "48000"}, {"ac", "6"}}, [](const P& p) { return p.audioSampleRate == 48000 && p.audioChannels == 6; }),
      Ok("an_0_enables_again", {{"an", ""}, {"an", "0"}}, [](const P& p) { return !p.audio.disable; }),
      Ok("atag", {{"atag", "mp4a"}}, [](const P& p) { return p.audio.codecTag == MKTAG('m', 'p', '4', 'a'); }),
      Ok("vol", {{"vol", "512"}}, [](const P& p) { return p.audioVolume == 512; }),
      Ok("alang", {{"alang", "fre"}}, [](const P& p) { return p.audio.language == "fre"; }),
      Ok("sample_fmt", {{"sample_fmt", "s16"}}, [](const P& p) { return p.audioSampleFmt == AV_SAMPLE_FMT_S16; }),
      Ok("sample_fmt_unknown_is_none", {{"sample_fmt", "s16"}, {"sample_fmt", "nonsense"}},
         [](const P& p) { return p.audioSampleFmt == AV_SAMPLE_FMT_NONE; }),
      Ok("async_adrift", {{"async", "2"}, {"adrift_threshold", "0.5"}},
         [](const P& p) { return p.audioSync == 2 && p.audioDriftThreshold == 0.5f; }),
      // subtitle and other
      Ok("scodec_sn", {{"scodec", "dvdsub"}, {"sn", ""}}, [](const P& p) { return p.subtitle.codecName == "dvdsub" && p.subtitle.disable; }),
      Ok("slang_stag", {{"slang", "ger"}, {"stag", "abcd"}},
         [](const P& p) { return p.subtitle.language == "ger" && p.subtitle.codecTag == MKTAG('a', 'b', 'c', 'd'); }),
      Ok("vc_tvstd_isync", {{"vc", "2"}, {"tvstd", "PAL"}, {"isync", ""}},
         [](const P& p) { return p.videoChannel == 2 && p.videoStandard == "PAL" && p.inputSync; }),
      Ok("dframes", {{"dframes", "9"}}, [](const P& p) { return p.maxDataFrames == 9; }),
      Ok("map_self_sync", {{"map", "0:1"}}, [](const P& p) {
        const TStreamMap& m = p.streamMaps.at(0);
        return m.fileIndex == 0 && m.streamIndex == 1 && m.syncFileIndex == 0 && m.syncStreamIndex == 1;
      }),
      Ok("map_c_numbers_with_sync", {{"map", "0x1.010:2.3"}}, [](const P& p) {
        const TStreamMap& m = p.streamMaps.at(0);
        return m.fileIndex == 1 && m.streamIndex == 8 && m.syncFileIndex == 2 && m.syncStreamIndex == 3;
      }),
      Ok("map_meta_data", {{"map_meta_data", "1:0"}},
         [](const P& p) { return p.metaDataMaps.at(0).outFile == 1 && p.metaDataMaps.at(0).inFile == 0; }),
      Ok("streamid", {{"streamid", "2:481"}}, [](const P& p) { return p.streamIds[2] == 481; }),
      Ok("vbsf_with_args", {{"vbsf", "h264_mp4toannexb"}, {"absf", "aac_adtstoasc"}, {"sbsf", "null=x"}}, [](const P& p) {
        return p.video.bitstreamFilters.at(0).name == "h264_mp4toannexb" &&
               p.audio.bitstreamFilters.at(0).name == "aac_adtstoasc" && p.subtitle.bitstreamFilters.at(0).args == "x";
      }),
      Ok("ignored_names_change_nothing", {{"y", ""}, {"benchmark", ""}, {"timelimit", "10"}},
         [](const P& p) { return p.formatName.empty(); }),
      Ok("empty_preset_does_nothing", {{"vpre", ""}}, [](const P& p) { return p.video.codecName.empty(); }),

      // rejections
      Fails("integer", {{"programid", "abc"}}, "'abc' is not a valid integer value"),
      Fails("float", {{"muxdelay", "x1"}}, "'x1' is not a valid floating point value"),
      Fails("duration", {{"ss", "1:xx"}}, "Invalid duration specification for ss: 1:xx"),
      Fails("date", {{"timestamp", "yesterday"}}, "Invalid date specification for timestamp: yesterday"),
      Fails("threads", {{"threads", "2"}}, "TODO: option - threads"),
      Fails("padtop", {{"padtop", "10"}}, "Please use vfilters=pad"),
      Fails("padcolor", {{"padcolor", "000000"}}, "Please use vfilters=pad"),
      Fails("frame_rate", {{"r", "fast"}}, "Incorrect frame rate"),
      Fails("frame_size", {{"s", "huge"}}, "Incorrect frame size"),
      Fails("aspect_zero_second_part", {{"aspect", "4:0"}}, "Incorrect aspect ratio specification."),
      Fails("aspect_malformed", {{"aspect", "wide"}}, "Incorrect aspect ratio specification."),
      Fails("pix_fmt_unknown", {{"pix_fmt", "rgb999"}}, "Unknown pixel format requested: rgb999"),
      Fails("croptop_outside", {{"s", "720x576"}, {"croptop", "576"}},
            "Vertical crop dimensions are outside the range of the original image.\nRemember to crop first and scale second."),
      Fails("cropleft_outside", {{"s", "720x576"}, {"cropleft", "720"}},
            "Horizontal crop dimensions are outside the range of the original image.\nRemember to crop first and scale second."),
      Fails("qscale_zero", {{"qscale", "0"}}, "qscale must be > 0.0 and <= 255"),
      Fails("qscale_above", {{"qscale", "255.5"}}, "qscale must be > 0.0 and <= 255"),
      Fails("pass_number", {{"pass", "3"}}, "pass number can be only 1 or 2"),
      Fails("atag_length", {{"atag", "mp4"}}, "audio tag parameter must be 4 chars"),
      Fails("vtag_length", {{"vtag", "XVID1"}}, "video tag parameter must be 4 chars"),
      Fails("stag", {{"stag", ""}}, "subtitle tag parameter must be 4 chars"),
      Fails("metadata_without_equals", {{"metadata", "title"}}, "Missing ="),
      Fails("itsscale_stream", {{"itsscale", "20:1.0"}}, "stream index over MAX_STREAMS(20)"),
      Fails("streamid_syntax", {{"streamid", "3"}}, "Invalid value \"3\" for option \"streamid\", required syntax is \"index:value\""),
      Fails("matrix_short", {{"intra_matrix", Matrix(10)}}, "Syntax error in matrix \"" + Matrix(10) + "\" at coeff 9"),
      Fails("matrix_zero_coeff", {{"inter_matrix", Matrix(63) + ",0"}},
            "Invalid coefficient 0 in matrix \"" + Matrix(63) + ",0\" at coeff 63 (allowed 1 to 255)"),
      Fails("bitstream_filter", {{"vbsf", "nosuchbsf=1"}}, "Unknown bitstream filter nosuchbsf"),
      Fails("newvideo_without_output", {{"newvideo", ""}}, "At least one output file must be specified"),
      Fails("vhook_missing_library", {{"vhook", "/nonexistent/hook.so -a 1"}}, "Failed to add video hook function: /nonexistent/hook.so -a 1"),
      Fails("target_type", {{"target", "pal-laserdisc"}}, "Unknown target type"),
      Fails("target_auto_without_rate", {{"target", "dvd"}}, "frame_rate is invalid."),
      Fails("preset_missing", {{"fpre", "/nonexistent.ffpreset"}}, "Preset \"/nonexistent.ffpreset\" not found"),
  };
}

class SetOptionTable : public testing::TestWithParam<OptionCase> {};

TEST_P(SetOptionTable, SetsOrRejects) {
  const OptionCase& c = GetParam();
  TCustomFFmpeg engine;
  for (size_t i = 0; i + 1 < c.options.size(); ++i) engine.SetOption(c.options[i].first, c.options[i].second);
  const auto& [name, value] = c.options.back();
  if (c.error.empty()) {
    ASSERT_NO_THROW(engine.SetOption(name, value));
    EXPECT_TRUE(c.holds(engine.Pending()));
  } else {
    try {
      engine.SetOption(name, value);
      FAIL() << "no exception";
    } catch (const FFmpegException& error) {
      EXPECT_EQ(error.what(), c.error);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Options, SetOptionTable, testing::ValuesIn(Cases()),
                         [](const testing::TestParamInfo<OptionCase>& info) { return info.param.label; });

TEST(SetOptionDefaults, ResetRestoresTheDefaults) {
  TCustomFFmpeg engine;
  engine.SetOption("ar", "8000");
  engine.SetOption("maxrate", "100000");
  engine.Reset();
  const P& p = engine.Pending();
  EXPECT_EQ(p.audioSampleRate, 44100);
  EXPECT_EQ(p.audioChannels, 2);
  EXPECT_EQ(p.recordingTimeUs, INT64_MAX);
  EXPECT_EQ(p.muxPreload, 0.5f);
  EXPECT_EQ(p.muxMaxDelay, 0.7f);
  EXPECT_EQ(p.frameRate.den, 0);
  EXPECT_EQ(p.audioQscale, -99999.0f);
  EXPECT_EQ(p.maxVideoFrames, INT_MAX);
  EXPECT_EQ(p.loopOutput, -1);
  EXPECT_EQ(engine.GenericOptions().ScalerFlags(), SWS_BICUBIC);
  EXPECT_EQ(engine.GenericOptions().CodecOptions(AVMEDIA_TYPE_VIDEO, nullptr, true), nullptr);
}

// The engine's own lines, at the level the log sink sorts them by.
TEST(SetOptionLog, LinesOfTheHandledOptions) {
  const struct {
    Options options;
    int level;
    std::string line;
  } cases[] = {
      {{{"y", ""}}, AV_LOG_INFO, "Do nothing: option - y"},
      {{{"timelimit", "5"}}, AV_LOG_WARNING, "Warning: -timelimit not implemented on Windows"},
      {{{"f", "pgmyuv"}}, AV_LOG_INFO, "pgmyuv format is deprecated, use image2"},
      {{{"s", "720x576"}, {"croptop", "8"}}, AV_LOG_WARNING, "CropTop is deprecated in favor of the crop avfilter"},
      {{{"b", "500"}}, AV_LOG_WARNING,
       "WARNING: The bitrate parameter is set too low. It takes bits/s as argument, not kbits/s"},
      {{{"ab", "64"}}, AV_LOG_WARNING,
       "WARNING: The bitrate parameter is set too low. It takes bits/s as argument, not kbits/s"},
      {{{"pix_fmt", "list"}}, AV_LOG_INFO, "yuv420p           3         12"},
  };
  for (const auto& c : cases) {
    test::AvLogCapture log;
    TCustomFFmpeg engine;
    for (const auto& [name, value] : c.options) engine.SetOption(name, value);
    EXPECT_TRUE(log.Has(c.level, c.line)) << c.line;
  }
}

TEST(SetOptionLog, CropOfZeroLogsNothingAndLowRateIsStillSet) {
  test::AvLogCapture log;
  TCustomFFmpeg engine;
  engine.SetOption("s", "720x576");
  engine.SetOption("croptop", "-4");
  EXPECT_TRUE(log.Lines().empty());
  engine.SetOption("b", "500");
  EXPECT_EQ(engine.GenericOptions().CodecDefaultInt(AVMEDIA_TYPE_VIDEO, "b"), 500);
}

TEST(SetOptionLog, LogLevelSetsTheLibrariesLevel) {
  const int saved = av_log_get_level();
  const std::pair<const char*, int> cases[] = {{"DEBUG", AV_LOG_DEBUG}, {"quiet", AV_LOG_QUIET}, {"24", AV_LOG_WARNING}};
  for (const auto& [value, level] : cases) {
    TCustomFFmpeg engine;
    engine.SetOption("loglevel", value);
    EXPECT_EQ(av_log_get_level(), level) << value;
  }
  TCustomFFmpeg engine;
  EXPECT_THROW(engine.SetOption("loglevel", "loud"), FFmpegException);
  av_log_set_level(saved);
}

// ---- generic options ----

std::string Entry(const DictionaryPtr& dict, const char* key) {
  const AVDictionaryEntry* entry = av_dict_get(dict.get(), key, nullptr, 0);
  return entry ? entry->value : "";
}

TEST(GenericOptions, KnownCodecOptionIsTakenForItsMediaTypes) {
  TCustomFFmpeg engine;
  engine.SetOption("maxrate", "2000000");
  engine.SetOption("g", "12");
  const TGenericOptions& generic = engine.GenericOptions();
  const DictionaryPtr video = generic.CodecOptions(AVMEDIA_TYPE_VIDEO, nullptr, true);
  EXPECT_EQ(Entry(video, "maxrate"), "2000000");
  EXPECT_EQ(Entry(video, "g"), "12");
  // "g" is a video option only; "maxrate" is not a decoding option.
  EXPECT_EQ(Entry(generic.CodecOptions(AVMEDIA_TYPE_AUDIO, nullptr, true), "g"), "");
  EXPECT_EQ(Entry(generic.CodecOptions(AVMEDIA_TYPE_VIDEO, nullptr, false), "maxrate"), "");
}

TEST(GenericOptions, BitRatesGoToTheirOwnMediaType) {
  TCustomFFmpeg engine;
  engine.SetOption("b", "800000");
  engine.SetOption("ab", "128000");
  const TGenericOptions& generic = engine.GenericOptions();
  EXPECT_EQ(Entry(generic.CodecOptions(AVMEDIA_TYPE_VIDEO, nullptr, true), "b"), "800000");
  EXPECT_EQ(Entry(generic.CodecOptions(AVMEDIA_TYPE_AUDIO, nullptr, true), "b"), "128000");
}

TEST(GenericOptions, FlagsAccumulateOnTheDefaults) {
  TCustomFFmpeg engine;
  engine.SetOption("flags", "+loop");
  engine.SetOption("flags", "+global_header");
  const DictionaryPtr video = engine.GenericOptions().CodecOptions(AVMEDIA_TYPE_VIDEO, nullptr, true);
  const long flags = std::strtol(Entry(video, "flags").c_str(), nullptr, 16);
  EXPECT_EQ(flags, AV_CODEC_FLAG_LOOP_FILTER | AV_CODEC_FLAG_GLOBAL_HEADER);
}

TEST(GenericOptions, ContainerScalerAndPrefixedNames) {
  TCustomFFmpeg engine;
  engine.SetOption("packetsize", "2048");
  engine.SetOption("probesize", "65536");
  engine.SetOption("sws_flags", "bilinear");
  engine.SetOption("vqmin", "3");
  const TGenericOptions& generic = engine.GenericOptions();
  EXPECT_EQ(Entry(generic.FormatOptions(nullptr, true), "packetsize"), "2048");
  EXPECT_EQ(Entry(generic.FormatOptions(nullptr, true), "probesize"), "");
  EXPECT_EQ(Entry(generic.FormatOptions(nullptr, false), "probesize"), "65536");
  EXPECT_EQ(generic.ScalerFlags(), SWS_BILINEAR);
  EXPECT_EQ(Entry(generic.CodecOptions(AVMEDIA_TYPE_VIDEO, nullptr, true), "qmin"), "3");
}

TEST(GenericOptions, PrivateOptionsNeedTheirEncoder) {
  TCustomFFmpeg engine;
  engine.SetOption("preset", "slow");  // no encoder chosen: nobody knows it
  const AVCodec* x264 = avcodec_find_encoder_by_name("libx264");
  ASSERT_NE(x264, nullptr);
  EXPECT_EQ(Entry(engine.GenericOptions().CodecOptions(AVMEDIA_TYPE_VIDEO, x264, true), "preset"), "");
  engine.SetOption("vcodec", "libx264");
  engine.SetOption("preset", "slow");
  EXPECT_EQ(Entry(engine.GenericOptions().CodecOptions(AVMEDIA_TYPE_VIDEO, x264, true), "preset"), "slow");
  // Another encoder does not get libx264's private option.
  EXPECT_EQ(Entry(engine.GenericOptions().CodecOptions(AVMEDIA_TYPE_VIDEO, avcodec_find_encoder_by_name("mpeg4"), true),
                  "preset"),
            "");
}

TEST(GenericOptions, UnknownNameIsIgnoredSilently) {
  test::AvLogCapture log;
  TCustomFFmpeg engine;
  EXPECT_NO_THROW(engine.SetOption("nosuchoption", "1"));
  EXPECT_NO_THROW(engine.SetOption("  ", "1"));
  EXPECT_TRUE(log.Lines().empty());
  EXPECT_EQ(engine.GenericOptions().CodecOptions(AVMEDIA_TYPE_VIDEO, nullptr, true), nullptr);
  EXPECT_EQ(engine.GenericOptions().FormatOptions(nullptr, true), nullptr);
}

TEST(GenericOptions, RejectedValueIsLoggedAndIgnored) {
  test::AvLogCapture log;
  TCustomFFmpeg engine;
  engine.SetOption("maxrate", "1000000");
  EXPECT_NO_THROW(engine.SetOption("maxrate", "fast"));
  EXPECT_TRUE(log.Has(AV_LOG_ERROR, "Invalid value \"fast\" for option \"maxrate\""));
  EXPECT_EQ(Entry(engine.GenericOptions().CodecOptions(AVMEDIA_TYPE_VIDEO, nullptr, true), "maxrate"), "1000000");
}

TEST(GenericOptions, DebugValueRaisesTheLogLevel) {
  const int saved = av_log_get_level();
  av_log_set_level(AV_LOG_INFO);
  TCustomFFmpeg engine;
  engine.SetOption("debug", "pict");
  EXPECT_EQ(av_log_get_level(), AV_LOG_DEBUG);
  av_log_set_level(saved);
}

// ---- presets ----

class PresetFiles : public testing::Test {
 protected:
  void SetUp() override {
    dir_ = test::ScratchDir("preset_files");
    setenv("KESTRIX_PRESET_DIR", dir_.c_str(), 1);
  }
  void TearDown() override { unsetenv("KESTRIX_PRESET_DIR"); }
  void Write(const std::string& name, const std::string& text) { std::ofstream(dir_ + "/" + name) << text; }
  std::string dir_;
};

TEST_F(PresetFiles, FileFromThePresetFolderSetsCodecAndOptions) {
  Write("small.ffpreset", "\n  VCODEC = libx264\n\ncrf=30\n  maxrate=900000  \n");
  TCustomFFmpeg engine;
  engine.SetOption("vpre", "small.ffpreset");
  EXPECT_EQ(engine.Pending().video.codecName, "libx264");
  const DictionaryPtr video =
      engine.GenericOptions().CodecOptions(AVMEDIA_TYPE_VIDEO, avcodec_find_encoder_by_name("libx264"), true);
  EXPECT_EQ(Entry(video, "crf"), "30");
  EXPECT_EQ(Entry(video, "maxrate"), "900000");
}

TEST_F(PresetFiles, FpreTakesAPathEvenWhenABuiltinHasThatName) {
  Write("libx264-main", "bf=5");
  TCustomFFmpeg engine;
  engine.SetOption("fpre", dir_ + "/libx264-main");
  EXPECT_EQ(Entry(engine.GenericOptions().CodecOptions(AVMEDIA_TYPE_VIDEO, nullptr, true), "bf"), "5");
}

TEST_F(PresetFiles, SyntaxErrorsNameThePresetAndTheLine) {
  Write("broken", "bf=2\nlevel\n");
  Write("unknown", "bf=2\nnosuch=1\n");
  Write("rejected", "maxrate=lots\n");
  const std::pair<const char*, std::string> cases[] = {
      {"broken", "broken: Invalid syntax: \"level\""},
      {"unknown", "unknown: Invalid option or argument: \"nosuch=1\", parsed as \"nosuch\" = \"1\""},
      {"rejected", "rejected: Invalid option or argument: \"maxrate=lots\", parsed as \"maxrate\" = \"lots\""},
  };
  for (const auto& [file, message] : cases) {
    TCustomFFmpeg engine;
    try {
      engine.SetOption("apre", file);
      ADD_FAILURE() << file << ": no exception";
    } catch (const FFmpegException& error) {
      EXPECT_EQ(error.what(), message);
    }
  }
}

TEST(BuiltinPresetLookup, ShortNameWithThePendingCodecAndAnyCase) {
  TCustomFFmpeg engine;
  engine.SetOption("vcodec", "libx264");
  engine.SetOption("vpre", "psp");
  const DictionaryPtr video =
      engine.GenericOptions().CodecOptions(AVMEDIA_TYPE_VIDEO, avcodec_find_encoder_by_name("libx264"), true);
  EXPECT_EQ(Entry(video, "b"), "1250000");
  EXPECT_EQ(Entry(video, "motion-est"), "umh");
  EXPECT_EQ(Entry(video, "partitions"), "i4x4,i8x8,p8x8,b8x8");

  TCustomFFmpeg other;
  other.SetOption("vpre", "LIBX264-Baseline");
  EXPECT_EQ(Entry(other.GenericOptions().CodecOptions(AVMEDIA_TYPE_VIDEO, nullptr, true), "bf"), "0");
}

}  // namespace
}  // namespace kx
