// Creating an output file and its streams from the pending settings. Runs on
// the thread that sets the task up; the encoders are configured here and
// opened by the run.
#include <cmath>
#include <cstdio>

extern "C" {
#include <libavutil/opt.h>
#include <libavutil/pixdesc.h>
}

#include "engine/codec_by_name.h"
#include "engine/custom_ffmpeg.h"
#include "engine/ffmpeg_exception.h"
#include "engine/output_opener.h"
#include "engine/unicode_names.h"

namespace kx {
namespace {

// A stream made (or an output that failed) uses up the pending choice of its media type.
void ConsumeStreamChoice(TStreamTypeSettings& choice) {
  choice.disable = false;
  choice.codecName.clear();
  choice.streamCopy = false;
}

// Containers that take DVD subpictures as they are; into any other the
// chosen subtitle is burnt into the picture.
bool CarriesBitmapSubtitles(const AVOutputFormat& format) {
  for (const char* name : {"dvd", "vob", "mpeg", "svcd", "vcd", "matroska"})
    if (std::string_view(format.name) == name) return true;
  return false;
}

bool IsBitmapSubtitle(AVCodecID id) {
  const AVCodecDescriptor* desc = avcodec_descriptor_get(id);
  return desc != nullptr && (desc->props & AV_CODEC_PROP_BITMAP_SUB);
}

AVRational SampleAspect(double aspect, int width, int height) {
  if (!(aspect > 0)) return AVRational{0, 1};
  return av_d2q(width > 0 && height > 0 ? aspect * height / width : aspect * 3 / 4, 255);
}

template <typename T, typename End>
bool Lists(const T* list, T value, End end) {
  if (list == nullptr) return true;
  for (; *list != end; ++list)
    if (*list == value) return true;
  return false;
}

// "start,end,q/start,end,q…": q > 0 a quantizer, else a quality factor of -q/100.
void ParseRcOverride(AVCodecContext& enc, const std::string& text) {
  if (text.empty()) return;
  std::vector<RcOverride> items;
  size_t pos = 0;
  while (pos < text.size()) {
    const size_t slash = text.find('/', pos);
    const std::string item = text.substr(pos, slash == std::string::npos ? std::string::npos : slash - pos);
    int start = 0, end = 0, q = 0;
    if (std::sscanf(item.c_str(), "%d,%d,%d", &start, &end, &q) != 3)
      throw FFmpegException("error parsing rc_override");
    RcOverride one{};
    one.start_frame = start;
    one.end_frame = end;
    if (q > 0) {
      one.qscale = q;
      one.quality_factor = 1.0f;
    } else {
      one.qscale = 0;
      one.quality_factor = -q / 100.0f;
    }
    items.push_back(one);
    if (slash == std::string::npos) break;
    pos = slash + 1;
  }
  enc.rc_override = static_cast<RcOverride*>(av_malloc_array(items.size(), sizeof(RcOverride)));
  if (enc.rc_override == nullptr) throw FFmpegException("Out of memory");
  std::copy(items.begin(), items.end(), enc.rc_override);
  enc.rc_override_count = static_cast<int>(items.size());
}

uint16_t* MatrixCopy(const TQuantMatrix& matrix) {
  auto* copy = static_cast<uint16_t*>(av_malloc(sizeof(uint16_t) * 64));
  if (copy == nullptr) throw FFmpegException("Out of memory");
  std::copy(matrix.begin(), matrix.end(), copy);
  return copy;
}

}  // namespace

int TCustomFFmpeg::CreateOutput(const std::string& name, bool join) {
  try {
    CreateOutputFile(name, join);
    return static_cast<int>(outputs_.size());
  } catch (const FFmpegException& error) {
    lastError_ = error.what();
    // A failed output uses up its choices as a created one does, so the next
    // output starts from what is set for it and not from a rejected codec.
    for (TStreamTypeSettings* choice : {&settings_.video, &settings_.audio, &settings_.subtitle})
      ConsumeStreamChoice(*choice);
    settings_.formatName.clear();
    settings_.metadata.clear();
    settings_.framePixFmt = AV_PIX_FMT_NONE;
    return -1;
  }
}

bool TCustomFFmpeg::InputsHave(AVMediaType type) const {
  // A joined output takes its layout from the first input.
  const size_t count = joinMode_ ? std::min<size_t>(inputs_.size(), 1) : inputs_.size();
  for (size_t i = 0; i < count; ++i)
    for (unsigned s = 0; s < inputs_[i].ctx->nb_streams; ++s) {
      const AVStream* stream = inputs_[i].ctx->streams[s];
      const AVMediaType streamType = stream->codecpar->codec_type;
      if (streamType == AVMEDIA_TYPE_UNKNOWN || streamType >= AVMEDIA_TYPE_NB)
        throw FFmpegException("check_audio_video_sub_inputs fail: invalid codec_type of input file");
      if (streamType == type && stream->discard != AVDISCARD_ALL) return true;
    }
  return false;
}

bool TCustomFFmpeg::InputsHaveBitmapSubtitles() const {
  for (const TInputFile& input : inputs_)
    for (unsigned s = 0; s < input.ctx->nb_streams; ++s) {
      const AVStream* stream = input.ctx->streams[s];
      if (stream->codecpar->codec_type == AVMEDIA_TYPE_SUBTITLE && stream->discard != AVDISCARD_ALL &&
          IsBitmapSubtitle(stream->codecpar->codec_id))
        return true;
    }
  return false;
}

void TCustomFFmpeg::CreateOutputFile(const std::string& name, bool join) {
  if (joinMode_) throw FFmpegException("Cannot join more than one output file.");
  if (outputs_.size() >= kMaxOutputFiles)
    throw FFmpegException("max output files " + std::to_string(kMaxOutputFiles) + " reached");
  const AVOutputFormat* format = nullptr;
  if (!settings_.formatName.empty()) {
    format = av_guess_format(settings_.formatName.c_str(), nullptr, nullptr);
    if (format == nullptr)
      throw FFmpegException("Requested output format '" + settings_.formatName +
                            "' is not a suitable output format");
    settings_.formatName.clear();
  } else {
    format = av_guess_format(nullptr, FromLibraryName(name).c_str(), nullptr);
    if (format == nullptr) throw FFmpegException("Unable to find a suitable output format for '" + name + "'");
  }
  AVFormatContext* raw = nullptr;
  if (avformat_alloc_output_context2(&raw, format, nullptr, nullptr) < 0 || raw == nullptr)
    throw FFmpegException("avformat_alloc_context failed");
  auto file = std::make_unique<TOutputFile>();
  file->ctx.reset(raw);
  file->name = name.substr(0, 1023);
  raw->url = av_strdup(file->name.c_str());

  AddStreams(*file);

  if (settings_.recTimestamp != 0) {
    char text[32];
    const time_t seconds = static_cast<time_t>(settings_.recTimestamp);
    std::tm utc{};
    gmtime_r(&seconds, &utc);
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S.000000Z", &utc);
    av_dict_set(&raw->metadata, "creation_time", text, 0);
  }
  // The first pair of a key wins: the pairs are set last first.
  for (auto it = settings_.metadata.rbegin(); it != settings_.metadata.rend(); ++it)
    av_dict_set(&raw->metadata, it->first.c_str(), it->second.c_str(), 0);
  settings_.metadata.clear();

  if ((format->flags & AVFMT_NEEDNUMBER) && !av_filename_number_test(file->name.c_str()))
    throw FFmpegException(file->name + ": Number syntax expected in filename");

  file->formatOptions = generic_->FormatOptions(format->priv_class, true);
  raw->max_delay = static_cast<int>(settings_.muxMaxDelay * 1e6);
  if (format->priv_class != nullptr &&
      av_opt_find(const_cast<AVClass**>(&format->priv_class), "preload", nullptr, 0, AV_OPT_SEARCH_FAKE_OBJ) !=
          nullptr)
    DictionarySet(file->formatOptions, "preload",
                  std::to_string(static_cast<int64_t>(settings_.muxPreload * 1e6)).c_str());
  settings_.streamIds.fill(0);

  // Opened last, so that no failure leaves an empty file behind.
  if (const int opened = OpenMediaOutput(raw, file->name); opened < 0)
    throw FFmpegException(AvErrorText(file->name, opened));

  if (join && inputs_.size() > 1) {
    joinMode_ = true;
    int64_t sum = 0;
    for (const TInputFile& input : inputs_)
      if (input.ctx->duration > 0) sum += input.ctx->duration;
    totalDurationUs_ = sum > 0 ? sum : -1;
  }
  outputs_.push_back(std::move(file));
}

void TCustomFFmpeg::AddStreams(TOutputFile& file) {
  const AVOutputFormat& format = *file.ctx->oformat;
  const bool haveInputs = !inputs_.empty();
  bool video = settings_.video.streamCopy || format.video_codec != AV_CODEC_ID_NONE ||
               !settings_.video.codecName.empty();
  bool audio = settings_.audio.streamCopy || format.audio_codec != AV_CODEC_ID_NONE ||
               !settings_.audio.codecName.empty();
  bool subtitle = settings_.subtitle.streamCopy || format.subtitle_codec != AV_CODEC_ID_NONE ||
                  !settings_.subtitle.codecName.empty() || CarriesBitmapSubtitles(format);
  if (haveInputs) {
    video = video && InputsHave(AVMEDIA_TYPE_VIDEO);
    audio = audio && InputsHave(AVMEDIA_TYPE_AUDIO);
    subtitle = subtitle && InputsHave(AVMEDIA_TYPE_SUBTITLE);
  }
  video = video && !settings_.video.disable;
  audio = audio && !settings_.audio.disable;
  subtitle = subtitle && !settings_.subtitle.disable;
  // DVD subpictures either travel as they are or are burnt into the picture;
  // a subtitle never fails a conversion.
  const bool bitmapSubtitles = InputsHaveBitmapSubtitles();
  if (subtitle && bitmapSubtitles && !CarriesBitmapSubtitles(format)) subtitle = false;
  file.burnSubtitles = bitmapSubtitles && !subtitle && video && !settings_.subtitle.disable;

  try {
    if (video) NewVideoStream(file);
  } catch (const FFmpegException& error) {
    throw FFmpegException(std::string("new_video_stream fail: ") + error.what());
  }
  try {
    if (audio) NewAudioStream(file);
  } catch (const FFmpegException& error) {
    throw FFmpegException(std::string("new_audio_stream fail: ") + error.what());
  }
  try {
    if (subtitle) NewSubtitleStream(file);
  } catch (const FFmpegException& error) {
    throw FFmpegException(std::string("new_subtitle_stream fail: ") + error.what());
  }
}

TOutputStream& TCustomFFmpeg::NewStream(TOutputFile& file, AVMediaType type, TStreamTypeSettings& typeSettings) {
  AVStream* stream = avformat_new_stream(file.ctx.get(), nullptr);
  if (stream == nullptr) throw FFmpegException("Could not alloc stream");
  if (stream->index < kMaxStreams && settings_.streamIds[stream->index] != 0)
    stream->id = settings_.streamIds[stream->index];
  auto ost = std::make_unique<TOutputStream>();
  ost->stream = stream;
  ost->type = type;
  ost->streamCopy = typeSettings.streamCopy;
  ost->filterChain = std::move(typeSettings.bitstreamFilters);
  typeSettings.bitstreamFilters.clear();
  stream->codecpar->codec_type = type;
  stream->codecpar->codec_tag = typeSettings.codecTag;
  if (!typeSettings.language.empty()) av_dict_set(&stream->metadata, "language", typeSettings.language.c_str(), 0);
  file.streams.push_back(std::move(ost));
  return *file.streams.back();
}

namespace {

// The encoder named by the settings, or the container's choice for the file.
const AVCodec* ChooseEncoder(const std::string& name, AVMediaType type, const TGenericOptions& generic,
                             const TOutputFile& file) {
  if (!name.empty()) return CodecByName(name, type, true, static_cast<int>(generic.CodecDefaultInt(type, "strict")));
  const AVCodecID id = av_guess_codec(file.ctx->oformat, nullptr, file.name.c_str(), nullptr, type);
  return avcodec_find_encoder(id);
}

CodecContextPtr NewEncoder(const AVCodec* codec, AVMediaType type, TOutputStream& ost, const TGenericOptions& generic,
                           const TOutputFile& file) {
  CodecContextPtr enc(avcodec_alloc_context3(codec));
  if (!enc) throw FFmpegException("Could not alloc stream");
  enc->codec_type = type;
  enc->codec_id = codec != nullptr ? codec->id : av_guess_codec(file.ctx->oformat, nullptr, file.name.c_str(), nullptr, type);
  // The engine's own choice: the codecs pick their thread count.
  enc->thread_count = 0;
  if (file.ctx->oformat->flags & AVFMT_GLOBALHEADER) enc->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
  AVDictionary* options = generic.CodecOptions(type, codec, true).release();
  av_opt_set_dict2(enc.get(), &options, AV_OPT_SEARCH_CHILDREN);
  ost.encoderOptions.reset(options);
  return enc;
}

}  // namespace

void TCustomFFmpeg::NewVideoStream(TOutputFile& file) {
  TOutputStream& ost = NewStream(file, AVMEDIA_TYPE_VIDEO, settings_.video);
  const AVRational sar = SampleAspect(settings_.frameAspectRatio, settings_.frameWidth, settings_.frameHeight);
  if (ost.streamCopy) {
    ost.stream->sample_aspect_ratio = sar;
  } else {
    const AVCodec* codec = ChooseEncoder(settings_.video.codecName, AVMEDIA_TYPE_VIDEO, *generic_, file);
    ost.codec = codec;
    ost.encoder = NewEncoder(codec, AVMEDIA_TYPE_VIDEO, ost, *generic_, file);
    AVCodecContext& enc = *ost.encoder;
    if (settings_.videoGlobalHeader & 1) enc.flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    if (settings_.videoGlobalHeader == 2) enc.flags &= ~AV_CODEC_FLAG_GLOBAL_HEADER;
    AVRational rate = settings_.frameRate.num > 0 && settings_.frameRate.den > 0 ? settings_.frameRate : AVRational{25, 1};
    if (codec != nullptr && codec->supported_framerates != nullptr && !settings_.forceFps)
      rate = codec->supported_framerates[av_find_nearest_q_idx(rate, codec->supported_framerates)];
    enc.framerate = rate;
    enc.time_base = av_inv_q(rate);
    enc.width = settings_.frameWidth;
    enc.height = settings_.frameHeight;
    enc.sample_aspect_ratio = sar;
    ost.stream->sample_aspect_ratio = sar;
    AVPixelFormat pixFmt = settings_.framePixFmt != AV_PIX_FMT_NONE ? settings_.framePixFmt : AV_PIX_FMT_YUV420P;
    if (codec != nullptr && codec->pix_fmts != nullptr && !Lists(codec->pix_fmts, pixFmt, AV_PIX_FMT_NONE)) {
      const bool mjpegKeeps = codec->id == AV_CODEC_ID_MJPEG && enc.strict_std_compliance < 0 &&
                              (pixFmt == AV_PIX_FMT_YUV420P || pixFmt == AV_PIX_FMT_YUV422P);
      if (!mjpegKeeps) pixFmt = codec->pix_fmts[0];
    }
    enc.pix_fmt = pixFmt;
    if (settings_.intraOnly) enc.gop_size = 0;
    if (settings_.videoQscale || settings_.sameQuality) {
      enc.flags |= AV_CODEC_FLAG_QSCALE;
      enc.global_quality = static_cast<int>(FF_QP2LAMBDA * settings_.videoQscale.value_or(1.0f));
    }
    if (settings_.intraMatrix) enc.intra_matrix = MatrixCopy(*settings_.intraMatrix);
    if (settings_.interMatrix) enc.inter_matrix = MatrixCopy(*settings_.interMatrix);
    ParseRcOverride(enc, settings_.rcOverride);
    if (enc.rc_initial_buffer_occupancy == 0) enc.rc_initial_buffer_occupancy = enc.rc_buffer_size * 3 / 4;
    enc.intra_dc_precision = settings_.intraDcPrecision - 8;
    if (settings_.doPsnr) enc.flags |= AV_CODEC_FLAG_PSNR;
    if (settings_.doPass == 1) enc.flags |= AV_CODEC_FLAG_PASS1;
    if (settings_.doPass == 2) enc.flags |= AV_CODEC_FLAG_PASS2;
    ost.cropTop = settings_.frameTopBand;
    ost.cropBottom = settings_.frameBottomBand;
    ost.cropLeft = settings_.frameLeftBand;
    ost.cropRight = settings_.frameRightBand;
    ost.filterText = settings_.videoFilters;
  }
  ConsumeStreamChoice(settings_.video);
  settings_.framePixFmt = AV_PIX_FMT_NONE;
}

void TCustomFFmpeg::NewAudioStream(TOutputFile& file) {
  TOutputStream& ost = NewStream(file, AVMEDIA_TYPE_AUDIO, settings_.audio);
  if (!ost.streamCopy) {
    const AVCodec* codec = ChooseEncoder(settings_.audio.codecName, AVMEDIA_TYPE_AUDIO, *generic_, file);
    ost.codec = codec;
    ost.encoder = NewEncoder(codec, AVMEDIA_TYPE_AUDIO, ost, *generic_, file);
    AVCodecContext& enc = *ost.encoder;
    if (settings_.audioQscale > kNoAudioQuantizer) {
      enc.flags |= AV_CODEC_FLAG_QSCALE;
      enc.global_quality = static_cast<int>(FF_QP2LAMBDA * settings_.audioQscale);
    }
    av_channel_layout_uninit(&enc.ch_layout);
    av_channel_layout_default(&enc.ch_layout, settings_.audioChannels > 0 ? settings_.audioChannels : 2);
    if (codec != nullptr && codec->ch_layouts != nullptr) {
      const AVChannelLayout* chosen = nullptr;
      for (const AVChannelLayout* l = codec->ch_layouts; l->nb_channels != 0 && chosen == nullptr; ++l)
        if (av_channel_layout_compare(l, &enc.ch_layout) == 0) chosen = l;
      for (const AVChannelLayout* l = codec->ch_layouts; l->nb_channels != 0 && chosen == nullptr; ++l)
        if (l->nb_channels == enc.ch_layout.nb_channels) chosen = l;
      if (chosen == nullptr) chosen = codec->ch_layouts;
      av_channel_layout_copy(&enc.ch_layout, chosen);
    }
    AVSampleFormat sampleFmt = settings_.audioSampleFmt;
    if (codec != nullptr && codec->sample_fmts != nullptr &&
        (sampleFmt == AV_SAMPLE_FMT_NONE || !Lists(codec->sample_fmts, sampleFmt, AV_SAMPLE_FMT_NONE)))
      sampleFmt = codec->sample_fmts[0];
    enc.sample_fmt = sampleFmt == AV_SAMPLE_FMT_NONE ? AV_SAMPLE_FMT_S16 : sampleFmt;
    int rate = settings_.audioSampleRate > 0 ? settings_.audioSampleRate : 44100;
    if (codec != nullptr && codec->supported_samplerates != nullptr) {
      int best = codec->supported_samplerates[0];
      for (const int* r = codec->supported_samplerates; *r != 0; ++r)
        if (std::abs(*r - rate) < std::abs(best - rate)) best = *r;
      if (best != rate) {
        av_log(nullptr, AV_LOG_WARNING, "Requested sampling rate unsupported using closest supported (%d)\n", best);
        rate = best;
      }
    }
    enc.sample_rate = rate;
    enc.time_base = AVRational{1, rate};
  }
  ConsumeStreamChoice(settings_.audio);
}

void TCustomFFmpeg::NewSubtitleStream(TOutputFile& file) {
  const std::string name = settings_.subtitle.codecName;
  TOutputStream& ost = NewStream(file, AVMEDIA_TYPE_SUBTITLE, settings_.subtitle);
  // Bitmap subtitles can only be copied or drawn again as bitmaps.
  const AVCodec* codec = ost.streamCopy ? nullptr : ChooseEncoder(name, AVMEDIA_TYPE_SUBTITLE, *generic_, file);
  if (InputsHaveBitmapSubtitles() && (codec == nullptr || !IsBitmapSubtitle(codec->id))) {
    if (codec != nullptr)
      av_log(nullptr, AV_LOG_WARNING, "Subtitle encoder %s cannot take DVD subpictures: they are copied\n",
             codec->name);
    ost.streamCopy = true;
    codec = nullptr;
  }
  if (!ost.streamCopy) {
    ost.codec = codec;
    ost.encoder = NewEncoder(codec, AVMEDIA_TYPE_SUBTITLE, ost, *generic_, file);
    ost.encoder->time_base = AV_TIME_BASE_Q;
  }
  ConsumeStreamChoice(settings_.subtitle);
}

}  // namespace kx
