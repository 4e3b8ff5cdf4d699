#include "engine/custom_ffmpeg.h"

#include <unistd.h>

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <filesystem>

extern "C" {
#include <libavcodec/bsf.h>
#include <libavutil/opt.h>
#include <libavutil/parseutils.h>
#include <libavutil/pixdesc.h>
}

#include "engine/builtin_presets.h"
#include "engine/codec_by_name.h"
#include "engine/disc_target.h"
#include "engine/ffmpeg_exception.h"
#include "engine/input_opener.h"
#include "engine/option_values.h"
#include "engine/preset_text.h"
#include "engine/transcode_run.h"

namespace kx {
namespace {

// Engine messages go to the media library's log, where the log sink takes them.
void Log(int level, const std::string& text) { av_log(nullptr, level, "%s\n", text.c_str()); }

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

std::string ProgramFolder() {
  std::error_code error;
  const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::string(".") : exe.parent_path().string();
}

// An integer part of "aspect": malformed text counts as 0.
long AspectPart(const std::string& text) {
  char* end = nullptr;
  const long number = std::strtol(text.c_str(), &end, 10);
  return text.empty() || *end != '\0' ? 0 : number;
}

double ParseAspect(const std::string& value) {
  double ratio = 0;
  if (const size_t colon = value.find(':'); colon != std::string::npos) {
    const long x = AspectPart(value.substr(0, colon));
    const long y = AspectPart(value.substr(colon + 1));
    if (y > 0) ratio = static_cast<double>(x) / y;
  } else {
    char* end = nullptr;
    ratio = std::strtod(value.c_str(), &end);
    if (value.empty() || *end != '\0') ratio = 0;
  }
  // A negative ratio is as meaningless as 0 and would give a negative pixel shape.
  if (!(ratio > 0) || !std::isfinite(ratio)) throw FFmpegException("Incorrect aspect ratio specification.");
  return ratio;
}

int LibraryLogLevel(const std::string& value) {
  static const std::pair<const char*, int> kLevels[] = {
      {"quiet", AV_LOG_QUIET}, {"panic", AV_LOG_PANIC},   {"fatal", AV_LOG_FATAL},     {"error", AV_LOG_ERROR},
      {"warning", AV_LOG_WARNING}, {"info", AV_LOG_INFO}, {"verbose", AV_LOG_VERBOSE}, {"debug", AV_LOG_DEBUG},
  };
  const std::string name = Lower(Trim(value));
  for (const auto& [levelName, level] : kLevels)
    if (name == levelName) return level;
  return ParseInteger(value);
}

void LogPixelFormats() {
  char line[128];
  Log(AV_LOG_INFO, av_get_pix_fmt_string(line, sizeof line, AV_PIX_FMT_NONE));
  for (const AVPixFmtDescriptor* desc = av_pix_fmt_desc_next(nullptr); desc != nullptr;
       desc = av_pix_fmt_desc_next(desc))
    Log(AV_LOG_INFO, av_get_pix_fmt_string(line, sizeof line, av_pix_fmt_desc_get_id(desc)));
}

void LogSampleFormats() {
  char line[128];
  Log(AV_LOG_INFO, av_get_sample_fmt_string(line, sizeof line, AV_SAMPLE_FMT_NONE));
  for (int fmt = 0; fmt < AV_SAMPLE_FMT_NB; ++fmt)
    Log(AV_LOG_INFO, av_get_sample_fmt_string(line, sizeof line, static_cast<AVSampleFormat>(fmt)));
}

// "<prefix>vstats_hhnnss.log" with the current local time.
std::string VstatsFileName() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char stamp[16];
  std::strftime(stamp, sizeof stamp, "%H%M%S", &local);
  return ProgramFolder() + "/vstats_" + stamp + ".log";
}

TStreamMap ParseStreamMap(const std::string& value) {
  TStreamMap map;
  size_t pos = 0;
  const auto next = [&] {
    const int number = static_cast<int>(ReadCNumber(value, pos));
    if (pos < value.size()) ++pos;  // any one separator
    return number;
  };
  map.fileIndex = next();
  map.streamIndex = next();
  if (pos < value.size()) {
    map.syncFileIndex = next();
    map.syncStreamIndex = next();
  } else {
    map.syncFileIndex = map.fileIndex;
    map.syncStreamIndex = map.streamIndex;
  }
  return map;
}

TBitstreamFilter ParseBitstreamFilter(const std::string& value) {
  const size_t equals = value.find('=');
  TBitstreamFilter filter{value.substr(0, equals), equals == std::string::npos ? "" : value.substr(equals + 1)};
  if (av_bsf_get_by_name(filter.name.c_str()) == nullptr)
    throw FFmpegException("Unknown bitstream filter " + filter.name);
  return filter;
}

constexpr int64_t kSeekMarginUs = 1000000;

// Where an input's time line begins: its first picture when it has video.
// A DVD title delivered from a later chapter carries up to half a second of
// the previous chapter's sound before its first picture (the multiplexer
// leads audio), which would otherwise start the output with sound alone.
int64_t InputOrigin(const AVFormatContext& ctx) {
  for (unsigned i = 0; i < ctx.nb_streams; ++i) {
    const AVStream& stream = *ctx.streams[i];
    if (stream.codecpar->codec_type == AVMEDIA_TYPE_VIDEO && stream.start_time != AV_NOPTS_VALUE &&
        !(stream.disposition & AV_DISPOSITION_ATTACHED_PIC))
      return av_rescale_q(stream.start_time, stream.time_base, AV_TIME_BASE_Q);
  }
  return ctx.start_time != AV_NOPTS_VALUE ? ctx.start_time : 0;
}

[[noreturn]] void RaiseNoOutput(const std::string&) {
  // Streams are added to the last output created; this engine has created none.
  throw FFmpegException("At least one output file must be specified");
}

}  // namespace

void TInputFile::Closer::operator()(AVFormatContext* ctx) const { CloseMediaInput(&ctx); }

TCustomFFmpeg::TCustomFFmpeg() { Reset(); }

TCustomFFmpeg::~TCustomFFmpeg() { Release(); }

void TCustomFFmpeg::Reset() {
  Release();
  settings_ = TPendingSettings{};
  generic_ = std::make_unique<TGenericOptions>();
  inputs_.clear();
  hookLibraries_.clear();
  totalDurationUs_ = -1;
  lastError_.clear();
}

const std::unordered_map<std::string_view, TCustomFFmpeg::Handler>& TCustomFFmpeg::Handlers() {
  using S = const std::string&;
  static const std::unordered_map<std::string_view, Handler> kHandlers = [] {
    std::unordered_map<std::string_view, Handler> h;
    for (const char* name : {"L", "h", "version", "formats", "codecs", "bsfs", "protocols", "filters", "i", "y",
                             "benchmark"})
      h[name] = [](TCustomFFmpeg&, S n, S) { Log(AV_LOG_INFO, "Do nothing: option - " + n); };
    h["threads"] = [](TCustomFFmpeg&, S n, S) { throw FFmpegException("TODO: option - " + n); };
    for (const char* name : {"padtop", "padbottom", "padleft", "padright", "padcolor"})
      h[name] = [](TCustomFFmpeg&, S, S) { throw FFmpegException("Please use vfilters=pad"); };
    h["timelimit"] = [](TCustomFFmpeg&, S, S) { Log(AV_LOG_WARNING, "Warning: -timelimit not implemented on Windows"); };
    h["loglevel"] = [](TCustomFFmpeg& e, S, S v) { e.SetLogLevel(v); };
    h["v"] = [](TCustomFFmpeg& e, S, S v) { e.settings_.verbose = ParseInteger(v); };

    // container and time
    h["f"] = [](TCustomFFmpeg& e, S, S v) {
      if (v == "pgmyuv") {
        e.settings_.pgmyuvMode = true;
        e.settings_.formatName = "image2";
        Log(AV_LOG_INFO, "pgmyuv format is deprecated, use image2");
      } else {
        e.settings_.formatName = v;
      }
    };
    h["fs"] = [](TCustomFFmpeg& e, S, S v) { e.settings_.limitFileSize = ParseInteger64(v); };
    h["t"] = [](TCustomFFmpeg& e, S n, S v) {
      e.settings_.recordingTimeUs = ParseDuration(n, v);
      e.totalDurationUs_ = e.settings_.recordingTimeUs;
    };
    h["ss"] = [](TCustomFFmpeg& e, S n, S v) { e.settings_.startTimeUs = ParseDuration(n, v); };
    h["itsoffset"] = [](TCustomFFmpeg& e, S n, S v) { e.settings_.inputTsOffsetUs = ParseDuration(n, v); };
    h["itsscale"] = [](TCustomFFmpeg& e, S, S v) {
      size_t pos = 0;
      const long stream = ReadCNumber(v, pos);
      if (pos < v.size()) ++pos;
      const double scale = ParseFloat(v.substr(pos));
      if (stream < 0 || stream >= kMaxStreams)
        throw FFmpegException("stream index over MAX_STREAMS(" + std::to_string(kMaxStreams) + ")");
      e.settings_.inputTsScale[stream] = scale;
    };
    h["timestamp"] = [](TCustomFFmpeg& e, S n, S v) { e.settings_.recTimestamp = ParseDate(n, v); };
    h["metadata"] = [](TCustomFFmpeg& e, S, S v) {
      const size_t equals = v.find('=');
      if (equals == std::string::npos) throw FFmpegException("Missing =");
      e.settings_.metadata.emplace_back(v.substr(0, equals), v.substr(equals + 1));
    };
    h["programid"] = [](TCustomFFmpeg& e, S, S v) { e.settings_.programId = ParseInteger(v); };
    h["target"] = [](TCustomFFmpeg& e, S, S v) { e.ApplyTargetOption(v); };
    h["muxdelay"] = [](TCustomFFmpeg& e, S, S v) { e.settings_.muxMaxDelay = static_cast<float>(ParseFloat(v)); };
    h["muxpreload"] = [](TCustomFFmpeg& e, S, S v) { e.settings_.muxPreload = static_cast<float>(ParseFloat(v)); };
    h["loop_input"] = [](TCustomFFmpeg& e, S, S v) { e.settings_.loopInput = ParseSwitch(v); };
    h["loop_output"] = [](TCustomFFmpeg& e, S, S v) { e.settings_.loopOutput = ParseInteger(v); };
    h["re"] = [](TCustomFFmpeg& e, S, S v) { e.settings_.rateEmu = ParseSwitch(v); };
    h["shortest"] = [](TCustomFFmpeg& e, S, S v) { e.settings_.shortest = ParseSwitch(v); };
    h["copyts"] = [](TCustomFFmpeg& e, S, S) { e.settings_.copyTs = true; };
    h["copyinkf"] = [](TCustomFFmpeg& e, S, S v) { e.settings_.copyInitialNonKeyframes = ParseSwitch(v) ? 1 : 0; };
    h["dts_delta_threshold"] = [](TCustomFFmpeg& e, S, S v) { e.settings_.dtsDeltaThreshold = ParseFloat(v); };
    h["xerror"] = [](TCustomFFmpeg& e, S, S) { e.settings_.exitOnError = true; };
    h["dump"] = [](TCustomFFmpeg& e, S, S v) { e.settings_.dumpPackets = ParseSwitch(v); };
    h["hex"] = [](TCustomFFmpeg& e, S, S v) { e.settings_.dumpHex = ParseSwitch(v); };

    // video
    h["vcodec"] = [](TCustomFFmpeg& e, S, S v) { e.SetCodecName(e.settings_.video, v); };
    h["vn"] = [](TCustomFFmpeg& e, S, S v) { e.settings_.video.disable = ParseSwitch(v); };
    h["vdt"] = [](TCustomFFmpeg& e, S, S v) { e.settings_.videoDiscard = ParseInteger(v); };
    h["vframes"] = [](TCustomFFmpeg& e, S, S v) { e.settings_.maxVideoFrames = ParseInteger(v); };
    h["r"] = [](TCustomFFmpeg& e, S, S v) {
      if (av_parse_video_rate(&e.settings_.frameRate, v.c_str()) < 0) throw FFmpegException("Incorrect frame rate");
    };
    h["s"] = [](TCustomFFmpeg& e, S, S v) {
      if (av_parse_video_size(&e.settings_.frameWidth, &e.settings_.frameHeight, v.c_str()) < 0)
        throw FFmpegException("Incorrect frame size");
    };
    h["aspect"] = [](TCustomFFmpeg& e, S, S v) { e.settings_.frameAspectRatio = ParseAspect(v); };
    h["pix_fmt"] = [](TCustomFFmpeg& e, S, S v) {
      if (v == "list") return LogPixelFormats();
      const AVPixelFormat fmt = av_get_pix_fmt(v.c_str());
      if (fmt == AV_PIX_FMT_NONE) throw FFmpegException("Unknown pixel format requested: " + v);
      e.settings_.framePixFmt = fmt;
    };
    h["croptop"] = [](TCustomFFmpeg& e, S, S v) {
      e.SetCrop(e.settings_.frameTopBand, e.settings_.frameHeight, ParseInteger(v), "Vertical", "CropTop");
    };
    h["cropbottom"] = [](TCustomFFmpeg& e, S, S v) {
      e.SetCrop(e.settings_.frameBottomBand, e.settings_.frameHeight, ParseInteger(v), "Vertical", "CropBottom");
    };
    h["cropleft"] = [](TCustomFFmpeg& e, S, S v) {
      e.SetCrop(e.settings_.frameLeftBand, e.settings_.frameWidth, ParseInteger(v), "Horizontal", "CropLeft");
    };
    h["cropright"] = [](TCustomFFmpeg& e, S, S v) {
      e.SetCrop(e.settings_.frameRightBand, e.settings_.frameWidth, ParseInteger(v), "Horizontal", "CropRight");
    };
    h["intra"] = [](TCustomFFmpeg& e, S, S v) { e.settings_.intraOnly = ParseSwitch(v); };
    h["qscale"] = [](TCustomFFmpeg& e, S, S v) {
      const double q = ParseFloat(v);
      if (!(q > 0.0 && q <= 255)) throw FFmpegException("qscale must be > 0.0 and <= 255");
      e.settings_.videoQscale = static_cast<float>(q);
    };
    h["rc_override"] = [](TCustomFFmpeg& e, S, S v) { e.settings_.rcOverride = v; };
    h["me_threshold"] = [](TCustomFFmpeg& e, S, S v) { e.settings_.meThreshold = ParseInteger(v); };
    h["sameq"] = [](TCustomFFmpeg& e, S, S v) { e.settings_.sameQuality = ParseSwitch(v); };
    h["pass"] = [](TCustomFFmpeg& e, S, S v) {
      const int pass = ParseInteger(v);
      if (pass != 1 && pass != 2) throw FFmpegException("pass number can be only 1 or 2");
      e.settings_.doPass = pass;
    };
    h["passlogfile"] = [](TCustomFFmpeg& e, S, S v) { e.settings_.passLogFileName = v; };
    h["deinterlace"] = [](TCustomFFmpeg& e, S, S v) { e.settings_.doDeinterlace = ParseSwitch(v); };
    h["psnr"] = [](TCustomFFmpeg& e, S, S v) { e.settings_.doPsnr = ParseSwitch(v); };
    h["vstats"] = [](TCustomFFmpeg& e, S, S) { e.settings_.vstatsFileName = VstatsFileName(); };
    h["vstats_file"] = [](TCustomFFmpeg& e, S, S v) { e.settings_.vstatsFileName = v; };
    h["vhook"] = [](TCustomFFmpeg& e, S, S v) { e.hookLibraries_.push_back(TFrameHookLibrary::Load(v)); };
    h["vfilters"] = h["vf"] = [](TCustomFFmpeg& e, S, S v) { e.settings_.videoFilters = v; };
    h["intra_matrix"] = [](TCustomFFmpeg& e, S, S v) { e.settings_.intraMatrix = ParseMatrix(v); };
    h["inter_matrix"] = [](TCustomFFmpeg& e, S, S v) { e.settings_.interMatrix = ParseMatrix(v); };
    h["top"] = [](TCustomFFmpeg& e, S, S v) { e.settings_.topFieldFirst = ParseInteger(v); };
    h["dc"] = [](TCustomFFmpeg& e, S, S v) { e.settings_.intraDcPrecision = ParseInteger(v); };
    h["vtag"] = [](TCustomFFmpeg& e, S, S v) { e.settings_.video.codecTag = ParseCodecTag("video", v); };
    h["vlang"] = [](TCustomFFmpeg& e, S, S v) { e.settings_.video.language = v; };
    h["qphist"] = [](TCustomFFmpeg& e, S, S v) { e.settings_.qpHist = ParseSwitch(v); };
    h["force_fps"] = [](TCustomFFmpeg& e, S, S v) { e.settings_.forceFps = ParseSwitch(v); };
    h["vsync"] = [](TCustomFFmpeg& e, S, S v) { e.settings_.videoSync = ParseInteger(v); };
    h["vglobal"] = [](TCustomFFmpeg& e, S, S v) { e.settings_.videoGlobalHeader = ParseInteger(v); };
    h["b"] = h["vb"] = [](TCustomFFmpeg& e, S, S v) { e.SetBitRate(AVMEDIA_TYPE_VIDEO, v); };

    // audio
    h["acodec"] = [](TCustomFFmpeg& e, S, S v) { e.SetCodecName(e.settings_.audio, v); };
    h["ab"] = [](TCustomFFmpeg& e, S, S v) { e.SetBitRate(AVMEDIA_TYPE_AUDIO, v); };
    h["aframes"] = [](TCustomFFmpeg& e, S, S v) { e.settings_.maxAudioFrames = ParseInteger(v); };
    h["aq"] = [](TCustomFFmpeg& e, S, S v) { e.settings_.audioQscale = static_cast<float>(ParseFloat(v)); };
    h["ar"] = [](TCustomFFmpeg& e, S, S v) { e.settings_.audioSampleRate = ParseInteger(v); };
    h["ac"] = [](TCustomFFmpeg& e, S, S v) { e.settings_.audioChannels = ParseInteger(v); };
    h["an"] = [](TCustomFFmpeg& e, S, S v) { e.settings_.audio.disable = ParseSwitch(v); };
    h["atag"] = [](TCustomFFmpeg& e, S, S v) { e.settings_.audio.codecTag = ParseCodecTag("audio", v); };
    h["vol"] = [](TCustomFFmpeg& e, S, S v) { e.settings_.audioVolume = ParseInteger(v); };
    h["alang"] = [](TCustomFFmpeg& e, S, S v) { e.settings_.audio.language = v; };
    h["sample_fmt"] = [](TCustomFFmpeg& e, S, S v) {
      if (v == "list") return LogSampleFormats();
      e.settings_.audioSampleFmt = av_get_sample_fmt(v.c_str());
    };
    h["async"] = [](TCustomFFmpeg& e, S, S v) { e.settings_.audioSync = ParseInteger(v); };
    h["adrift_threshold"] = [](TCustomFFmpeg& e, S, S v) {
      e.settings_.audioDriftThreshold = static_cast<float>(ParseFloat(v));
    };

    // subtitle and other
    h["scodec"] = [](TCustomFFmpeg& e, S, S v) { e.SetCodecName(e.settings_.subtitle, v); };
    h["sn"] = [](TCustomFFmpeg& e, S, S v) { e.settings_.subtitle.disable = ParseSwitch(v); };
    h["slang"] = [](TCustomFFmpeg& e, S, S v) { e.settings_.subtitle.language = v; };
    h["stag"] = [](TCustomFFmpeg& e, S, S v) { e.settings_.subtitle.codecTag = ParseCodecTag("subtitle", v); };
    h["newvideo"] = [](TCustomFFmpeg& e, S n, S) {
      if (e.outputs_.empty()) RaiseNoOutput(n);
      e.NewVideoStream(*e.outputs_.back());
    };
    h["newaudio"] = [](TCustomFFmpeg& e, S n, S) {
      if (e.outputs_.empty()) RaiseNoOutput(n);
      e.NewAudioStream(*e.outputs_.back());
    };
    h["newsubtitle"] = [](TCustomFFmpeg& e, S n, S) {
      if (e.outputs_.empty()) RaiseNoOutput(n);
      e.NewSubtitleStream(*e.outputs_.back());
    };
    h["vc"] = [](TCustomFFmpeg& e, S, S v) { e.settings_.videoChannel = ParseInteger(v); };
    h["tvstd"] = [](TCustomFFmpeg& e, S, S v) { e.settings_.videoStandard = v; };
    h["isync"] = [](TCustomFFmpeg& e, S, S v) { e.settings_.inputSync = ParseSwitch(v); };
    h["dframes"] = [](TCustomFFmpeg& e, S, S v) { e.settings_.maxDataFrames = ParseInteger(v); };
    h["map"] = [](TCustomFFmpeg& e, S, S v) {
      if (e.settings_.streamMaps.size() >= kMaxStreamMaps)
        throw FFmpegException("Too many stream maps (at most " + std::to_string(kMaxStreamMaps) + ")");
      e.settings_.streamMaps.push_back(ParseStreamMap(v));
    };
    h["map_meta_data"] = [](TCustomFFmpeg& e, S, S v) {
      if (e.settings_.metaDataMaps.size() >= kMaxMetaDataMaps)
        throw FFmpegException("Too many metadata maps (at most " + std::to_string(kMaxMetaDataMaps) + ")");
      size_t pos = 0;
      TMetaDataMap map;
      map.outFile = static_cast<int>(ReadCNumber(v, pos));
      if (pos < v.size()) ++pos;
      map.inFile = static_cast<int>(ReadCNumber(v, pos));
      e.settings_.metaDataMaps.push_back(map);
    };
    h["streamid"] = [](TCustomFFmpeg& e, S n, S v) {
      const size_t colon = v.find(':');
      if (colon == std::string::npos || colon == 0 || colon + 1 == v.size())
        throw FFmpegException("Invalid value \"" + v + "\" for option \"" + n +
                              "\", required syntax is \"index:value\"");
      const int index = ParseInteger(v.substr(0, colon));
      if (index < 0 || index >= kMaxStreams)
        throw FFmpegException("Invalid value \"" + v + "\" for option \"" + n + "\", the index must be 0 to " +
                              std::to_string(kMaxStreams - 1));
      e.settings_.streamIds[index] = ParseInteger(v.substr(colon + 1));
    };
    h["absf"] = [](TCustomFFmpeg& e, S, S v) { e.settings_.audio.bitstreamFilters.push_back(ParseBitstreamFilter(v)); };
    h["vbsf"] = [](TCustomFFmpeg& e, S, S v) { e.settings_.video.bitstreamFilters.push_back(ParseBitstreamFilter(v)); };
    h["sbsf"] = [](TCustomFFmpeg& e, S, S v) {
      e.settings_.subtitle.bitstreamFilters.push_back(ParseBitstreamFilter(v));
    };
    h["apre"] = h["vpre"] = h["spre"] = h["fpre"] = [](TCustomFFmpeg& e, S n, S v) { e.ApplyPreset(n, v); };
    return h;
  }();
  return kHandlers;
}

void TCustomFFmpeg::SetOption(const std::string& name, const std::string& value) {
  const auto& handlers = Handlers();
  if (const auto it = handlers.find(name); it != handlers.end())
    it->second(*this, name, value);
  else
    SetGeneric(name, value);
}

TOptionOwners TCustomFFmpeg::OptionOwners() const {
  TOptionOwners owners;
  owners.videoEncoder = FindEncoder(settings_.video.codecName);
  owners.audioEncoder = FindEncoder(settings_.audio.codecName);
  owners.subtitleEncoder = FindEncoder(settings_.subtitle.codecName);
  if (!settings_.formatName.empty()) owners.muxer = av_guess_format(settings_.formatName.c_str(), nullptr, nullptr);
  return owners;
}

void TCustomFFmpeg::SetGeneric(const std::string& name, const std::string& value) {
  if (generic_->Set(name, value, OptionOwners()) == TGenericResult::Taken && generic_->DebugRequested())
    av_log_set_level(AV_LOG_DEBUG);
}

void TCustomFFmpeg::SetBitRate(AVMediaType type, const std::string& value) {
  const TOptionOwners owners = OptionOwners();
  const AVCodec* encoder = type == AVMEDIA_TYPE_AUDIO ? owners.audioEncoder : owners.videoEncoder;
  if (generic_->SetCodecOption(type, "b", value, encoder) != TGenericResult::Taken) return;
  if (generic_->CodecDefaultInt(type, "b") < 1000)
    Log(AV_LOG_WARNING, "WARNING: The bitrate parameter is set too low. It takes bits/s as argument, not kbits/s");
  if (generic_->DebugRequested()) av_log_set_level(AV_LOG_DEBUG);
}

void TCustomFFmpeg::SetCodecName(TStreamTypeSettings& stream, const std::string& value) {
  stream.codecName.clear();
  if (value == "copy")
    stream.streamCopy = true;
  else
    stream.codecName = value;
}

void TCustomFFmpeg::SetCrop(int& band, int& dimension, int value, const char* direction, const char* name) {
  if (value <= 0) return;
  if (value >= dimension)
    throw FFmpegException(std::string(direction) +
                          " crop dimensions are outside the range of the original image.\n"
                          "Remember to crop first and scale second.");
  Log(AV_LOG_WARNING, std::string(name) + " is deprecated in favor of the crop avfilter");
  band = value;
  dimension -= value;
}

void TCustomFFmpeg::SetLogLevel(const std::string& value) {
  // The log sink follows the libraries' level.
  av_log_set_level(LibraryLogLevel(value));
}

void TCustomFFmpeg::ApplyTargetOption(const std::string& value) {
  const TTargetName target = SplitTargetName(value);
  SetTarget(target.type, target.norm, "ntsc");
}

void TCustomFFmpeg::SetTarget(const std::string& type, const std::string& norm, const std::string& fallbackNorm) {
  std::optional<TNorm> chosen = NormByName(norm);
  if (!chosen) {
    std::vector<AVRational> inputRates;
    for (const TInputFile& input : inputs_)
      for (unsigned i = 0; i < input.ctx->nb_streams; ++i)
        if (const AVStream* stream = input.ctx->streams[i]; stream->codecpar->codec_type == AVMEDIA_TYPE_VIDEO)
          inputRates.push_back(stream->r_frame_rate);
    chosen = DecideNorm(settings_.frameRate, inputRates, fallbackNorm);
    if (settings_.verbose > 0)
      Log(AV_LOG_INFO, std::string("Assuming ") + (*chosen == TNorm::PAL ? "PAL" : "NTSC") + " for target.");
  }
  const TTargetSettings target = TargetSettings(type, *chosen, settings_);
  for (const auto& [name, value] : target.options) SetOption(name, value);
  for (const std::string& note : target.notes) Log(AV_LOG_INFO, note);
}

void TCustomFFmpeg::ApplyPreset(const std::string& option, const std::string& value) {
  if (value.empty()) return;
  TOptionOwners owners = OptionOwners();
  if (option != "fpre") {
    const TStreamTypeSettings& stream = option == "vpre"   ? settings_.video
                                        : option == "apre" ? settings_.audio
                                                           : settings_.subtitle;
    const TOptionsPreset* preset = FindBuiltinPreset(value);
    if (preset == nullptr && !stream.codecName.empty()) preset = FindBuiltinPreset(stream.codecName + "-" + value);
    if (preset != nullptr) {
      // A built-in preset is named after its encoder: its private options count
      // even when no encoder is chosen yet.
      const std::string_view name = preset->name;
      const AVCodec* named = FindEncoder(std::string(name.substr(0, name.find('-'))));
      if (named != nullptr && named->type == AVMEDIA_TYPE_VIDEO && owners.videoEncoder == nullptr)
        owners.videoEncoder = named;
      if (named != nullptr && named->type == AVMEDIA_TYPE_AUDIO && owners.audioEncoder == nullptr)
        owners.audioEncoder = named;
      return ApplyPresetText(std::string(preset->name), std::string(preset->text), owners);
    }
  }
  const char* presetDir = std::getenv("KESTRIX_PRESET_DIR");
  const std::string text = ReadPresetFile(value, {presetDir != nullptr ? presetDir : "", ProgramFolder()});
  ApplyPresetText(value, text, owners);
}

void TCustomFFmpeg::ApplyPresetText(const std::string& preset, const std::string& text, const TOptionOwners& hints) {
  const std::vector<TOptionLine> lines = ParsePresetText(preset, text);
  const auto owners = [&] {
    TOptionOwners current = OptionOwners();
    if (current.videoEncoder == nullptr) current.videoEncoder = hints.videoEncoder;
    if (current.audioEncoder == nullptr) current.audioEncoder = hints.audioEncoder;
    return current;
  };
  const auto forX264 = [&] {
    const AVCodec* video = owners().videoEncoder;
    return video != nullptr && std::string_view(video->name) == "libx264";
  };
  if (forX264())
    for (const auto& [name, value] : OldX264Defaults(lines)) generic_->Set(name, value, owners());

  for (const auto& [name, value] : lines) {
    const std::string lower = Lower(name);
    if (lower == "vcodec" || lower == "acodec" || lower == "scodec") {
      SetCodecName(lower[0] == 'v' ? settings_.video : lower[0] == 'a' ? settings_.audio : settings_.subtitle, value);
      continue;
    }
    const std::vector<TOptionLine> options =
        forX264() ? TranslateX264Option(name, value) : std::vector<TOptionLine>{{name, value}};
    for (const auto& [option, optionValue] : options) {
      if (generic_->Set(option, optionValue, owners()) != TGenericResult::Taken)
        throw FFmpegException(preset + ": Invalid option or argument: \"" + name + "=" + value + "\", parsed as \"" +
                              name + "\" = \"" + value + "\"");
      if (generic_->DebugRequested()) av_log_set_level(AV_LOG_DEBUG);
    }
  }
}

bool TCustomFFmpeg::OpenInput(const std::string& name) {
  try {
    OpenInputFile(name);
    return true;
  } catch (const FFmpegException& error) {
    lastError_ = error.what();
    settings_.video.codecName.clear();
    settings_.audio.codecName.clear();
    settings_.subtitle.codecName.clear();
    settings_.videoChannel = 0;
    return false;
  }
}

void TCustomFFmpeg::OpenInputFile(const std::string& name) {
  if (inputs_.size() >= kMaxInputFiles)
    throw FFmpegException("Too many input files (at most " + std::to_string(kMaxInputFiles) + ")");
  const AVInputFormat* format = nullptr;
  if (!settings_.formatName.empty()) {
    format = av_find_input_format(settings_.formatName.c_str());
    if (format == nullptr) throw FFmpegException("Unknown input format: \"" + settings_.formatName + "\"");
    settings_.formatName.clear();
  }
  AVFormatContext* raw = avformat_alloc_context();
  if (raw == nullptr) throw FFmpegException("avformat_alloc_context failed");
  raw->iformat = format;  // a forced demuxer; avformat_open_input probes only without one

  DictionaryPtr options = generic_->FormatOptions(format != nullptr ? format->priv_class : nullptr, false);
  // The input's format parameters, for demuxers that take them (raw and device inputs).
  if (settings_.frameRate.den != 0)
    DictionarySet(options, "framerate",
                  (std::to_string(settings_.frameRate.num) + "/" + std::to_string(settings_.frameRate.den)).c_str());
  if (settings_.frameWidth > 0 && settings_.frameHeight > 0)
    DictionarySet(options, "video_size",
                  (std::to_string(settings_.frameWidth) + "x" + std::to_string(settings_.frameHeight)).c_str());
  if (settings_.framePixFmt != AV_PIX_FMT_NONE)
    DictionarySet(options, "pixel_format", av_get_pix_fmt_name(settings_.framePixFmt));
  DictionarySet(options, "sample_rate", std::to_string(settings_.audioSampleRate).c_str());
  DictionarySet(options, "channels", std::to_string(settings_.audioChannels).c_str());
  if (settings_.videoChannel != 0) DictionarySet(options, "channel", std::to_string(settings_.videoChannel).c_str());
  if (!settings_.videoStandard.empty()) DictionarySet(options, "standard", settings_.videoStandard.c_str());

  AVDictionary* dict = options.release();
  const int opened = OpenMediaInput(&raw, name, &dict);
  options.reset(dict);
  if (opened < 0) throw FFmpegException(AvErrorText(name, opened));
  TInputFile input;
  input.ctx.reset(raw);
  input.tsScale = settings_.inputTsScale;

  if (avformat_find_stream_info(raw, nullptr) < 0) {
    if (settings_.verbose >= 0) Log(AV_LOG_VERBOSE, name + ": could not find codec parameters");
    throw FFmpegException(name + ": could not find codec parameters");
  }
  // The input's own start is always taken off, so its time line begins at 0.
  const int64_t seekUs = settings_.startTimeUs + InputOrigin(*raw);
  if (settings_.startTimeUs != 0) {
    // Seeking lands on a packet, not on a picture that can be decoded alone:
    // it goes a second further back (longer than a DVD's groups of pictures),
    // and the run drops what comes before the start time (negative times).
    const int64_t target = std::max(seekUs - kSeekMarginUs, InputOrigin(*raw));
    if (av_seek_frame(raw, -1, target, AVSEEK_FLAG_BACKWARD) < 0 && settings_.verbose > 0) {
      char text[64];
      std::snprintf(text, sizeof text, ": could not seek to position %0.3f", seekUs / 1e6);
      Log(AV_LOG_INFO, name + text);
    }
    settings_.startTimeUs = 0;
  }
  for (unsigned i = 0; i < raw->nb_streams; ++i) {
    AVStream& stream = *raw->streams[i];
    switch (stream.codecpar->codec_type) {
      case AVMEDIA_TYPE_VIDEO:
        TakeVideoGeometry(stream);
        if (settings_.video.disable) stream.discard = AVDISCARD_ALL;
        break;
      case AVMEDIA_TYPE_AUDIO:
        TakeAudioFormat(stream);
        if (settings_.audio.disable) stream.discard = AVDISCARD_ALL;
        break;
      case AVMEDIA_TYPE_SUBTITLE:
        if (settings_.subtitle.disable) stream.discard = AVDISCARD_ALL;
        break;
      default:
        break;
    }
  }
  if (raw->duration > 0 && raw->duration > totalDurationUs_ && settings_.recordingTimeUs == INT64_MAX)
    totalDurationUs_ = raw->duration;
  input.tsOffsetUs = settings_.inputTsOffsetUs - (settings_.copyTs ? 0 : seekUs);

  inputs_.push_back(std::move(input));
  settings_.videoChannel = 0;
  settings_.video.codecName.clear();
  settings_.audio.codecName.clear();
  settings_.subtitle.codecName.clear();
}

void TCustomFFmpeg::TakeVideoGeometry(const AVStream& stream) {
  const AVCodecParameters& par = *stream.codecpar;
  settings_.frameWidth = par.width;
  settings_.frameHeight = par.height;
  AVRational sar = stream.sample_aspect_ratio.num != 0 ? stream.sample_aspect_ratio : par.sample_aspect_ratio;
  const double aspect = par.height > 0 ? av_q2d(sar) * par.width / par.height : 0;
  settings_.frameAspectRatio = aspect > 0 ? aspect : 4.0 / 3.0;
  const auto fmt = static_cast<AVPixelFormat>(par.format);
  settings_.framePixFmt = fmt == AV_PIX_FMT_NONE ? AV_PIX_FMT_YUV420P : fmt;
  settings_.frameRate = stream.r_frame_rate;
}

void TCustomFFmpeg::TakeAudioFormat(const AVStream& stream) {
  const AVCodecParameters& par = *stream.codecpar;
  if (par.ch_layout.nb_channels > 0) settings_.audioChannels = par.ch_layout.nb_channels;
  if (par.sample_rate > 0) settings_.audioSampleRate = par.sample_rate;
  settings_.audioSampleFmt = static_cast<AVSampleFormat>(par.format);
}

}  // namespace kx
