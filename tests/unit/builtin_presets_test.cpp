// Every built-in preset applied to a tiny libx264 encode: it applies without
// error, x264 takes all of its options, and the settings x264 writes into the
// stream show what the preset asks for.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <set>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/frame.h>
}

#include "engine/builtin_presets.h"
#include "engine/custom_ffmpeg.h"
#include "engine/x264_option_names.h"

namespace kx {
namespace {

struct CodecContextDeleter {
  void operator()(AVCodecContext* ctx) const { avcodec_free_context(&ctx); }
};
struct FrameDeleter {
  void operator()(AVFrame* frame) const { av_frame_free(&frame); }
};
struct PacketDeleter {
  void operator()(AVPacket* packet) const { av_packet_free(&packet); }
};

struct Encoded {
  std::string openError;
  int unusedOptions = 0;
  std::string settings;  // x264's settings text from the stream
  int profileIdc = 0;    // from the sequence parameter set
  int levelIdc = 0;
};

Encoded EncodeWithPreset(const std::string& preset) {
  Encoded result;
  TCustomFFmpeg engine;
  engine.SetOption("vcodec", "libx264");
  engine.SetOption("vpre", preset);
  const AVCodec* codec = avcodec_find_encoder_by_name("libx264");
  DictionaryPtr options = engine.GenericOptions().CodecOptions(AVMEDIA_TYPE_VIDEO, codec, true);

  std::unique_ptr<AVCodecContext, CodecContextDeleter> ctx(avcodec_alloc_context3(codec));
  ctx->width = 64;
  ctx->height = 64;
  ctx->time_base = {1, 25};
  ctx->framerate = {25, 1};
  ctx->pix_fmt = AV_PIX_FMT_YUV420P;
  AVDictionary* dict = options.release();
  const int opened = avcodec_open2(ctx.get(), codec, &dict);
  options.reset(dict);
  result.unusedOptions = av_dict_count(options.get());
  if (opened < 0) {
    result.openError = "avcodec_open2 failed";
    return result;
  }

  std::unique_ptr<AVFrame, FrameDeleter> frame(av_frame_alloc());
  frame->format = AV_PIX_FMT_YUV420P;
  frame->width = 64;
  frame->height = 64;
  av_frame_get_buffer(frame.get(), 0);
  std::unique_ptr<AVPacket, PacketDeleter> packet(av_packet_alloc());
  std::string stream;
  const auto drain = [&] {
    while (avcodec_receive_packet(ctx.get(), packet.get()) >= 0) {
      stream.append(reinterpret_cast<const char*>(packet->data), packet->size);
      av_packet_unref(packet.get());
    }
  };
  for (int i = 0; i < 5; ++i) {
    av_frame_make_writable(frame.get());
    for (int plane = 0; plane < 3; ++plane)
      std::memset(frame->data[plane], plane == 0 ? 40 * i : 128, frame->linesize[plane] * (plane == 0 ? 64 : 32));
    frame->pts = i;
    avcodec_send_frame(ctx.get(), frame.get());
    drain();
  }
  avcodec_send_frame(ctx.get(), nullptr);
  drain();

  if (const size_t at = stream.find("x264 - core"); at != std::string::npos)
    result.settings = stream.substr(at, stream.find('\0', at) - at);
  // Annex B start code, then a NAL of type 7 (SPS): profile, constraints, level.
  for (size_t i = 0; i + 6 < stream.size(); ++i)
    if (stream.compare(i, 3, std::string("\0\0\1", 3)) == 0 && (stream[i + 3] & 0x1f) == 7) {
      result.profileIdc = static_cast<unsigned char>(stream[i + 4]);
      result.levelIdc = static_cast<unsigned char>(stream[i + 6]);
      break;
    }
  return result;
}

struct Intent {
  std::vector<std::string> settings;  // " name=value " items of x264's settings text
  int levelIdc = 0;                   // 0: x264 chooses
  int profileIdc = 0;                 // 0: any; 66 Baseline, 77 Main
};

// What the presets of the description mean, and what the speed names say.
const std::map<std::string, Intent>& Intents() {
  // Without 8x8 transforms x264 analyses no 8x8 intra partitions (analyse=0x1:...).
  static const std::vector<std::string> psp = {"cabac=1", "ref=1", "bframes=3", "me=umh", "subme=7", "me_range=16",
                                               "trellis=2", "analyse=0x1:0x111", "deblock=1:0:0", "b_adapt=1",
                                               "direct=1", "keyint=250", "keyint_min=25", "scenecut=40",
                                               "qpmin=10", "qpmax=51", "qpstep=4", "qcomp=0.60", "ip_ratio=1.41",
                                               "chroma_me=1", "vbv_bufsize=4000", "8x8dct=0"};
  static const std::map<std::string, Intent> intents = [] {
    std::map<std::string, Intent> m;
    m["libx264-psp"] = {psp, 30, 77};
    m["libx264-psp"].settings.insert(m["libx264-psp"].settings.end(), {"bitrate=1250", "vbv_maxrate=1500"});
    m["libx264-mp4"] = m["libx264-psp"];
    m["libx264-ps3"] = {psp, 30, 77};
    m["libx264-ps3"].settings.insert(m["libx264-ps3"].settings.end(), {"rc=crf", "vbv_maxrate=3500"});
    m["libx264-ipod"] = {{"cabac=0", "ref=1", "bframes=0", "8x8dct=0", "weightp=0", "me=umh", "subme=7", "trellis=2",
                          "analyse=0x1:0x11", "bitrate=1000", "vbv_maxrate=1250", "scenecut=40"},
                         30, 66};
    m["libx264-baseline"] = {{"cabac=0", "bframes=0", "8x8dct=0", "weightp=0"}, 0, 66};
    m["libx264-main"] = {{"8x8dct=0"}, 0, 77};
    m["libx264-ipod320"] = {{"cabac=0", "bframes=0", "8x8dct=0", "weightp=0", "vbv_maxrate=768", "vbv_bufsize=3000"}, 13, 66};
    m["libx264-ipod640"] = {{"cabac=0", "bframes=0", "ref=1", "8x8dct=0", "weightp=0", "vbv_maxrate=10000"}, 30, 66};
    // x264's sub-pixel refinement grows with each speed step.
    const std::pair<const char*, const char*> speeds[] = {
        {"ultrafast", "0"}, {"superfast", "1"}, {"veryfast", "2"}, {"faster", "4"}, {"fast", "6"},
        {"medium", "7"},    {"slow", "8"},      {"slower", "9"},   {"veryslow", "10"}, {"placebo", "11"}};
    for (const auto& [speed, subme] : speeds) {
      const std::string s = std::string("subme=") + subme;
      m[std::string("libx264-") + speed] = {{s}};
      m[std::string("libx264-") + speed + "_firstpass"] = {{s}};
    }
    // Lossless coding caps x264's refinement, so the speed shows in the reference count.
    for (const auto& [speed, refs] : {std::pair{"lossless_ultrafast", "1"}, {"lossless_fast", "2"},
                                      {"lossless_medium", "3"}, {"lossless_slow", "5"}, {"lossless_slower", "8"},
                                      {"lossless_max", "16"}})
      m[std::string("libx264-") + speed] = {{std::string("ref=") + refs, "rc=cqp", "qp=0"}};
    m["libx264-default"] = {{"subme=7"}};
    m["libx264-normal"] = {{"subme=6"}};
    m["libx264-hq"] = {{"subme=8"}};
    m["libx264-max"] = {{"subme=11"}};
    m["libx264-fastfirstpass"] = {{"subme=7"}};
    m["libx264-slowfirstpass"] = {{"subme=8"}};
    return m;
  }();
  return intents;
}

}  // namespace

void PrintTo(const TOptionsPreset& preset, std::ostream* os) { *os << preset.name; }

namespace {

class BuiltinPresetEncode : public testing::TestWithParam<TOptionsPreset> {};

TEST_P(BuiltinPresetEncode, AppliesAndShowsItsIntent) {
  const std::string name(GetParam().name);
  Encoded encoded;
  ASSERT_NO_THROW(encoded = EncodeWithPreset(name));
  ASSERT_EQ(encoded.openError, "");
  EXPECT_EQ(encoded.unusedOptions, 0);
  ASSERT_NE(encoded.settings, "");
  const auto intent = Intents().find(name);
  ASSERT_NE(intent, Intents().end()) << "no intent written down for " << name;
  const std::string text = " " + encoded.settings + " ";
  for (const std::string& item : intent->second.settings)
    EXPECT_NE(text.find(" " + item + " "), std::string::npos) << item << " in " << encoded.settings;
  if (intent->second.levelIdc != 0) {
    EXPECT_EQ(encoded.levelIdc, intent->second.levelIdc);
  }
  if (intent->second.profileIdc != 0) {
    EXPECT_EQ(encoded.profileIdc, intent->second.profileIdc);
  }
}

INSTANTIATE_TEST_SUITE_P(All, BuiltinPresetEncode, testing::ValuesIn(BuiltinPresets()),
                         [](const testing::TestParamInfo<TOptionsPreset>& info) {
                           std::string label(info.param.name);
                           for (char& c : label)
                             if (c == '-') c = '_';
                           return label;
                         });

TEST(BuiltinPresets, FortyDistinctNames) {
  std::set<std::string_view> names;
  for (const TOptionsPreset& preset : BuiltinPresets()) names.insert(preset.name);
  EXPECT_EQ(names.size(), 40u);
  EXPECT_NE(FindBuiltinPreset("LIBX264-IPOD"), nullptr);
  EXPECT_EQ(FindBuiltinPreset("libx264-nosuch"), nullptr);
}

TEST(X264OptionNames, OldNamesBecomeTheWrappersOptions) {
  const struct {
    std::string name, value;
    std::vector<TOptionLine> expected;
  } cases[] = {
      {"me_method", "umh", {{"motion-est", "umh"}}},
      {"me_method", "epzs", {{"motion-est", "dia"}}},
      {"directpred", "3", {{"direct-pred", "auto"}}},
      {"wpredp", "2", {{"weightp", "2"}}},
      {"flags2", "-wpred-dct8x8", {{"weightb", "0"}, {"8x8dct", "0"}}},
      {"flags2", "+bpyramid+mixed_refs+fast", {{"b-pyramid", "normal"}, {"mixed-refs", "1"}, {"flags2", "+fast"}}},
      {"partitions", "+parti8x8+parti4x4+partp8x8-parti4x4", {{"partitions", "i8x8,p8x8"}}},
      {"partitions", "-parti4x4", {{"partitions", "none"}}},
      {"partitions", "+partfoo", {{"partitions", "+partfoo"}}},
      {"subq", "7", {{"subq", "7"}}},
  };
  for (const auto& c : cases) EXPECT_EQ(TranslateX264Option(c.name, c.value), c.expected) << c.name << "=" << c.value;
}

TEST(X264OptionNames, OldDefaultsOnlyForPresetsInOldNames) {
  EXPECT_TRUE(OldX264Defaults({{"preset", "slow"}, {"qp", "0"}}).empty());
  const std::vector<TOptionLine> old = OldX264Defaults({{"coder", "0"}, {"me_method", "umh"}});
  EXPECT_NE(std::find(old.begin(), old.end(), TOptionLine{"bf", "0"}), old.end());
  EXPECT_NE(std::find(old.begin(), old.end(), TOptionLine{"8x8dct", "0"}), old.end());
}

}  // namespace
}  // namespace kx
