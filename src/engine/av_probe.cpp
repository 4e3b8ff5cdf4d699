#include "engine/av_probe.h"

#include <sys/stat.h>

#include <cinttypes>
#include <cstdlib>
#include <ctime>
#include <vector>

#include "engine/codec_lock.h"
#include "engine/ffmpeg_exception.h"
#include "engine/ffmpeg_loader.h"
#include "engine/input_opener.h"
#include "engine/probe_text.h"
#include "engine/unicode_names.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/mathematics.h>
#include <libavutil/parseutils.h>
}

namespace kx {
namespace {

struct FreeCodecContext {
  void operator()(AVCodecContext* ctx) const { avcodec_free_context(&ctx); }
};

std::string MetadataValue(const AVDictionary* metadata, const char* key) {
  const AVDictionaryEntry* entry = av_dict_get(metadata, key, nullptr, 0);
  return entry ? entry->value : "";
}

int ClampToInt(std::int64_t value) {
  if (value > INT32_MAX) return INT32_MAX;
  return value < INT32_MIN ? INT32_MIN : static_cast<int>(value);
}

// The stream's time base, with a zero denominator read as the numerator (or 1).
AVRational TimeBase(const AVStream* stream) {
  AVRational base = stream->time_base;
  if (base.den == 0) base.den = base.num != 0 ? base.num : 1;
  return base;
}

std::int64_t ToUs(std::int64_t value, AVRational base) {
  return value == AV_NOPTS_VALUE ? -1 : av_rescale_q(value, base, AV_TIME_BASE_Q);
}

std::string CodecName(const AVCodecParameters* par) {
  if (const AVCodec* decoder = avcodec_find_decoder(par->codec_id)) {
    if (decoder->long_name && *decoder->long_name) return std::string(decoder->name) + "(" + decoder->long_name + ")";
    return decoder->name;
  }
  if (par->codec_id == AV_CODEC_ID_MPEG2TS) return "mpeg2ts";
  if (const AVCodecDescriptor* descriptor = avcodec_descriptor_get(par->codec_id)) return descriptor->name;
  const std::uint32_t tag = par->codec_tag;
  char text[32];
  const char c[4] = {static_cast<char>(tag & 0xFF), static_cast<char>(tag >> 8 & 0xFF),
                     static_cast<char>(tag >> 16 & 0xFF), static_cast<char>(tag >> 24 & 0xFF)};
  const auto printable = [](char ch) { return ch >= 0x20 && ch < 0x7F; };
  if (printable(c[0]) && printable(c[1]) && printable(c[2]) && printable(c[3]))
    std::snprintf(text, sizeof text, "%c%c%c%c / 0x%04X", c[0], c[1], c[2], c[3], tag);
  else
    std::snprintf(text, sizeof text, "0x%04x", tag);
  return text;
}

// Seconds since 1970 from the input's "creation_time"; 0 when absent.
std::int64_t CreationTime(const AVDictionary* metadata) {
  const std::string text = MetadataValue(metadata, "creation_time");
  std::int64_t us = 0;
  if (text.empty() || av_parse_time(&us, text.c_str(), 0) < 0) return 0;
  return us / 1000000;
}

std::string LocalTimeText(std::int64_t seconds) {
  const std::time_t time = static_cast<std::time_t>(seconds);
  std::tm local{};
  char text[32] = "";
  if (localtime_r(&time, &local)) std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
  return text;
}

}  // namespace

void TAVProbe::CloseInput::operator()(AVFormatContext* ctx) const { CloseMediaInput(&ctx); }

TAVProbe::~TAVProbe() { Close(); }

void TAVProbe::CheckLibraries() const {
  static const struct {
    TLibrary library;
    const char* message;
  } kChecks[] = {{TLibrary::avcodec, "LibAVCodec not loaded."},
                 {TLibrary::avformat, "LibAVFormat not loaded."},
                 {TLibrary::avutil, "LibAVUtil not loaded."},
                 {TLibrary::swscale, "LibSwScale not loaded."}};
  for (const auto& check : kChecks)
    if (!FFLoader().LibsLoaded(LibBit(check.library))) throw FFmpegException(check.message);
}

void TAVProbe::Fail(TLogLevel level, const std::string& message) {
  lastErrMsg_ = message;
  FFLogger().Log(level, message);
}

bool TAVProbe::Open(const std::string& FileName, const std::string& FormatName) {
  CheckLibraries();
  Close();
  const AVInputFormat* format = nullptr;
  if (!FormatName.empty() && !(format = av_find_input_format(FormatName.c_str()))) {
    Fail(TLogLevel::llError, "Unknown input format: " + FormatName);
    return false;
  }
  AVFormatContext* ctx = avformat_alloc_context();
  if (!ctx) {
    Fail(TLogLevel::llError, AvErrorText(FileName, AVERROR(ENOMEM)));
    return false;
  }
  ctx->flags |= AVFMT_FLAG_NONBLOCK;
  const int opened = OpenMediaInput(&ctx, ToLibraryName(FileName), nullptr, format);
  if (opened < 0) {
    Fail(TLogLevel::llError, AvErrorText(FileName, opened));
    return false;
  }
  owned_.reset(ctx);
  input_ = ctx;
  int found;
  {
    std::lock_guard lock(CodecLock());
    found = avformat_find_stream_info(ctx, nullptr);
  }
  if (found < 0) {
    Fail(TLogLevel::llError, FileName + ": could not find codec parameters");
    Close();
    return false;
  }
  BuildSummary();
  formatName_ = FormatName;
  return true;
}

void TAVProbe::Attach(AVFormatContext* input) {
  CheckLibraries();
  Close();
  input_ = input;
  BuildSummary();
}

void TAVProbe::Close() {
  input_ = nullptr;
  owned_.reset();
  formatName_.clear();
  BuildSummary();
}

void TAVProbe::BuildSummary() {
  fileSize_ = streamCount_ = programCount_ = -1;
  audioStreamCount_ = videoStreamCount_ = subtitleStreamCount_ = -1;
  firstAudioStream_ = firstVideoStream_ = firstSubtitleStream_ = -1;
  if (!input_) return;

  fileSize_ = input_->pb ? avio_size(input_->pb) : 0;
  if (fileSize_ <= 0) {
    struct stat info {};
    if (input_->url && stat(FromLibraryName(input_->url).c_str(), &info) == 0 && S_ISREG(info.st_mode))
      fileSize_ = info.st_size;
    else if (fileSize_ < 0)
      fileSize_ = 0;
  }
  streamCount_ = static_cast<int>(input_->nb_streams);
  programCount_ = static_cast<int>(input_->nb_programs);
  audioStreamCount_ = videoStreamCount_ = subtitleStreamCount_ = 0;
  for (int i = 0; i < streamCount_; ++i) {
    const auto count = [i](int& counter, int& first) {
      if (counter++ == 0) first = i;
    };
    switch (input_->streams[i]->codecpar->codec_type) {
      case AVMEDIA_TYPE_VIDEO: count(videoStreamCount_, firstVideoStream_); break;
      case AVMEDIA_TYPE_AUDIO: count(audioStreamCount_, firstAudioStream_); break;
      case AVMEDIA_TYPE_SUBTITLE: count(subtitleStreamCount_, firstSubtitleStream_); break;
      default: break;
    }
  }
}

void TAVProbe::GetFileStreamInfo(TFileStreamInfo& info) {
  info = TFileStreamInfo{};
  if (!input_) {
    Fail(TLogLevel::llWarning, "file not loaded.");
    return;
  }
  const AVDictionary* metadata = input_->metadata;
  info.StartTime = input_->start_time == AV_NOPTS_VALUE ? -1 : input_->start_time;
  info.Duration = input_->duration == AV_NOPTS_VALUE ? -1 : input_->duration;
  info.BitRate = ClampToInt(input_->bit_rate);
  info.TimeStamp = CreationTime(metadata);
  std::string year = MetadataValue(metadata, "year");
  info.Year = std::atoi((year.empty() ? MetadataValue(metadata, "date") : year).c_str());
  info.Track = std::atoi(MetadataValue(metadata, "track").c_str());
  info.Title = MetadataValue(metadata, "title");
  info.Author = MetadataValue(metadata, "author");
  info.Copyright = MetadataValue(metadata, "copyright");
  info.Comment = MetadataValue(metadata, "comment");
  info.Album = MetadataValue(metadata, "album");
  info.Genre = MetadataValue(metadata, "genre");
}

void TAVProbe::GetVideoStreamInfo(int index, TVideoStreamInfo& info) {
  info = TVideoStreamInfo{};
  if (!input_) return Fail(TLogLevel::llWarning, "file not loaded.");
  if (index >= streamCount_) return Fail(TLogLevel::llError, "stream index #" + std::to_string(index) + " is invalid.");
  if (index < 0 && (index = firstVideoStream_) < 0) return Fail(TLogLevel::llError, "no video stream.");
  const AVStream* stream = input_->streams[index];
  const AVCodecParameters* par = stream->codecpar;
  if (par->codec_type != AVMEDIA_TYPE_VIDEO)
    return Fail(TLogLevel::llError, "stream #" + std::to_string(index) + " is not video stream.");

  const AVRational base = TimeBase(stream);
  info.Language = MetadataValue(stream->metadata, "language");
  info.CodecName = CodecName(par);
  info.StreamStartTime = stream->start_time;
  info.StartTimeUs = ToUs(stream->start_time, base);
  info.StreamDuration = stream->duration;
  info.DurationUs = ToUs(stream->duration, base);
  info.BitRate = ClampToInt(par->bit_rate);
  info.Height = par->height;
  info.Width = par->width;
  // An unknown sample aspect counts as square pixels, so the display aspect
  // is never 0.
  AVRational sample = av_guess_sample_aspect_ratio(input_, const_cast<AVStream*>(stream), nullptr);
  if (sample.num <= 0 || sample.den <= 0) sample = AVRational{1, 1};
  if (par->height > 0) info.AspectRatio = static_cast<float>(av_q2d(sample) * par->width / par->height);
  info.PixelFormat = par->format;
  info.FrameRateNum = stream->r_frame_rate.num;
  info.FrameRateDen = stream->r_frame_rate.den;
}

bool TAVProbe::IsVideoStream(int index) {
  if (!input_) {
    Fail(TLogLevel::llWarning, "file not loaded.");
    return false;
  }
  if (index < 0 || index >= streamCount_) {
    Fail(TLogLevel::llError, "stream index #" + std::to_string(index) + " is invalid.");
    return false;
  }
  return input_->streams[index]->codecpar->codec_type == AVMEDIA_TYPE_VIDEO;
}

std::string TAVProbe::StreamLine(int index) const {
  const AVStream* stream = input_->streams[index];
  const AVCodecParameters* par = stream->codecpar;
  char part[64];
  std::string line = "Stream #" + std::to_string(index);
  if (input_->iformat->flags & AVFMT_SHOW_IDS) {
    std::snprintf(part, sizeof part, "[0x%x]", static_cast<unsigned>(stream->id));
    line += part;
  }
  const std::string language = MetadataValue(stream->metadata, "language");
  if (!language.empty()) line += "(" + language + ")";
  const std::int64_t gcd = std::max<std::int64_t>(av_gcd(stream->time_base.num, stream->time_base.den), 1);
  std::snprintf(part, sizeof part, ", %" PRId64 "/%" PRId64, stream->time_base.num / gcd, stream->time_base.den / gcd);
  line += part;

  char codec[256] = "";
  std::unique_ptr<AVCodecContext, FreeCodecContext> ctx(avcodec_alloc_context3(nullptr));
  if (ctx && avcodec_parameters_to_context(ctx.get(), par) >= 0) avcodec_string(codec, sizeof codec, ctx.get(), 0);
  line += std::string(": ") + codec;

  const AVRational sample = stream->sample_aspect_ratio;
  if (sample.num && av_cmp_q(sample, par->sample_aspect_ratio)) {
    int dispNum = 0, dispDen = 0;
    av_reduce(&dispNum, &dispDen, static_cast<std::int64_t>(par->width) * sample.num,
              static_cast<std::int64_t>(par->height) * sample.den, 1024 * 1024);
    std::snprintf(part, sizeof part, ", PAR %d:%d DAR %d:%d", sample.num, sample.den, dispNum, dispDen);
    line += part;
  }
  if (par->codec_type == AVMEDIA_TYPE_VIDEO) {
    // The installed FFmpeg keeps no decoder time base for an unopened
    // stream, so there is no "tbc" figure to show.
    const auto rate = [&line](AVRational value, const char* unit) {
      if (value.num && value.den) line += RateText(av_q2d(value), unit);
    };
    rate(stream->avg_frame_rate, "fps");
    rate(stream->r_frame_rate, "tbr");
    rate(av_inv_q(stream->time_base), "tbn");
  }
  const AVRational base = TimeBase(stream);
  if (stream->start_time != AV_NOPTS_VALUE) line += ", StartTime: " + SecondsText(ToUs(stream->start_time, base));
  const std::int64_t duration = ToUs(stream->duration, base);
  line += duration < 0 ? ", Duration: N/A" : ", Duration: " + TimeText(duration);
  return line;
}

std::string TAVProbe::FileInfoText() {
  if (!input_) {
    Fail(TLogLevel::llWarning, "file not loaded.");
    return "";
  }
  std::vector<std::string> lines;
  const auto add = [&lines](std::vector<std::string> more) { lines.insert(lines.end(), more.begin(), more.end()); };
  const auto addStream = [&](int index) {
    lines.push_back(StreamLine(index));
    add(MetadataLines(input_->streams[index]->metadata, "  "));
  };

  TFileStreamInfo info;
  GetFileStreamInfo(info);
  lines.push_back("File Name: " + FromLibraryName(input_->url ? input_->url : ""));
  lines.push_back(std::string("Format Name: ") + input_->iformat->name);
  lines.push_back(std::string("Format Long Name: ") + (input_->iformat->long_name ? input_->iformat->long_name : ""));
  lines.push_back("File Size: " + SizeText(fileSize_));
  lines.push_back(info.Duration < 0 ? "Duration: N/A" : "Duration: " + TimeText(info.Duration));
  if (info.StartTime >= 0) lines.push_back("StartTime: " + SecondsText(info.StartTime));
  lines.push_back(info.BitRate < 1 ? "Bit Rate: N/A" : "Bit Rate: " + std::to_string(info.BitRate / 1000) + " kb/s");
  if (info.TimeStamp > 0) lines.push_back("Time Stamp: " + LocalTimeText(info.TimeStamp));
  add(MetadataLines(input_->metadata, ""));

  std::vector<bool> listed(input_->nb_streams, false);
  for (unsigned p = 0; p < input_->nb_programs; ++p) {
    const AVProgram* program = input_->programs[p];
    const std::string provider = MetadataValue(program->metadata, "service_provider");
    const std::string name = MetadataValue(program->metadata, "service_name");
    lines.push_back("Program " + std::to_string(program->id) + " " + (provider.empty() ? "N/A" : provider) + "@" +
                    (name.empty() ? "N/A" : name));
    add(MetadataLines(program->metadata, "  "));
    for (unsigned k = 0; k < program->nb_stream_indexes; ++k) {
      const unsigned index = program->stream_index[k];
      if (index >= input_->nb_streams) continue;
      listed[index] = true;
      addStream(static_cast<int>(index));
    }
  }
  for (unsigned i = 0; i < input_->nb_streams; ++i)
    if (!listed[i]) addStream(static_cast<int>(i));

  std::string text;
  for (const std::string& line : lines) text += (text.empty() ? "" : "\n") + line;
  return text;
}

}  // namespace kx
