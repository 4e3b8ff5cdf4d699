// The start of a run: input stream table, mapping of input to output
// streams, stream copy and encoder set-up, decoders, chapters, metadata and
// headers. Worker thread; codecs open under the codec lock.
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string_view>

extern "C" {
#include <libavcodec/dv_profile.h>
#include <libavutil/opt.h>
#include <libavutil/time.h>
}

#include "engine/audio_out.h"
#include "engine/codec_lock.h"
#include "engine/dvd_input.h"
#include "engine/ffmpeg_exception.h"
#include "engine/subtitle_burner.h"
#include "engine/transcode_run.h"
#include "engine/video_out.h"

namespace kx {
namespace {

const char* TypeName(AVMediaType type) {
  switch (type) {
    case AVMEDIA_TYPE_VIDEO: return "Video";
    case AVMEDIA_TYPE_AUDIO: return "Audio";
    case AVMEDIA_TYPE_DATA: return "Data";
    case AVMEDIA_TYPE_SUBTITLE: return "Subtitle";
    case AVMEDIA_TYPE_ATTACHMENT: return "Attachment";
    default: return "Unknown";
  }
}

std::string StreamName(int file, int stream, AVMediaType type) {
  return "#" + std::to_string(file) + "." + std::to_string(stream) + " (" + TypeName(type) + ")";
}

// DV allows one pixel format per frame size and rate (NTSC pictures are
// 4:1:1): `wanted` when it has a DV profile at that size, else the first of
// the encoder's formats that has one.
AVPixelFormat DvPixelFormat(const AVCodecContext& enc, int width, int height, AVPixelFormat wanted) {
  if (av_dv_codec_profile2(width, height, wanted, enc.framerate)) return wanted;
  for (const AVPixelFormat* format = enc.codec->pix_fmts; format && *format != AV_PIX_FMT_NONE; ++format)
    if (av_dv_codec_profile2(width, height, *format, enc.framerate)) return *format;
  return wanted;
}

}  // namespace

TTranscodeRun::TTranscodeRun(TRunEnvironment env, const TEngineCallbacks& callbacks)
    : env_(env), callbacks_(callbacks) {}

TTranscodeRun::~TTranscodeRun() { CloseCodecs(); }

void TTranscodeRun::BeginRun() {
  startWallUs_ = lastReportUs_ = av_gettime_relative();
  hookActive_ = env_.customHook && callbacks_.customHook != nullptr;
  BuildInputTable();
  MapStreams();
  for (size_t k = 0; k < outputStreams_.size(); ++k) {
    TOutputStream& ost = *outputStreams_[k];
    TInputStream& ist = inputStreams_[ost.source];
    av_dict_copy(&ost.stream->metadata, ist.stream->metadata, AV_DICT_DONT_OVERWRITE);
    ost.stream->disposition = ist.stream->disposition;
    if (ost.streamCopy)
      SetUpStreamCopy(ost, ist);
    else
      SetUpEncoding(ost, ist, static_cast<int>(k));
  }
  SetUpSubtitleBurning();
  OpenDecoders();
  CopyMetadataMaps();
  CopyChapters();
  WriteHeaders();
  LogStreamMapping();
}

void TTranscodeRun::BuildInputTable() {
  inputStreams_.clear();
  inputFiles_.clear();
  for (size_t f = 0; f < env_.inputs.size(); ++f) {
    AVFormatContext* ctx = env_.inputs[f].ctx.get();
    TInputFileState state;
    state.firstStream = static_cast<int>(inputStreams_.size());
    state.streamCount = static_cast<int>(ctx->nb_streams);
    inputFiles_.push_back(state);
    for (unsigned s = 0; s < ctx->nb_streams; ++s) {
      TInputStream ist;
      ist.fileIndex = static_cast<int>(f);
      ist.stream = ctx->streams[s];
      ist.wallStartUs = av_gettime_relative();
      inputStreams_.push_back(std::move(ist));
    }
  }
}

void TTranscodeRun::MapStreams() {
  outputStreams_.clear();
  for (size_t f = 0; f < env_.outputs.size(); ++f) {
    TOutputFile& file = *env_.outputs[f];
    if (file.streams.empty()) {
      av_dump_format(file.ctx.get(), static_cast<int>(f), file.name.c_str(), 1);
      throw FFmpegException("Output file #" + std::to_string(f) + " does not contain any stream");
    }
    for (auto& ost : file.streams) {
      ost->fileIndex = static_cast<int>(f);
      outputStreams_.push_back(ost.get());
    }
  }
  const std::vector<TStreamMap>& maps = env_.settings.streamMaps;
  const auto inputIndex = [&](int file, int stream, const char* what) {
    if (file < 0 || file >= static_cast<int>(inputFiles_.size()) || stream < 0 ||
        stream >= inputFiles_[file].streamCount)
      throw FFmpegException(std::string("Could not find ") + what + " stream #" + std::to_string(file) + "." +
                            std::to_string(stream));
    return inputFiles_[file].firstStream + stream;
  };
  if (!maps.empty() && maps.size() != outputStreams_.size())
    throw FFmpegException("Number of stream maps must match number of output streams");

  for (size_t k = 0; k < outputStreams_.size(); ++k) {
    TOutputStream& ost = *outputStreams_[k];
    int source = -1, sync = -1;
    if (!maps.empty()) {
      source = inputIndex(maps[k].fileIndex, maps[k].streamIndex, "input");
      sync = inputIndex(maps[k].syncFileIndex, maps[k].syncStreamIndex, "sync");
      const AVMediaType inputType = inputStreams_[source].stream->codecpar->codec_type;
      if (inputType != ost.type)
        throw FFmpegException("Codec type mismatch for mapping " +
                              StreamName(maps[k].fileIndex, maps[k].streamIndex, inputType) +
                              " -> " + StreamName(ost.fileIndex, ost.stream->index, ost.type));
    } else {
      // Each file's own choice first (the stream the stream-information pass saw
      // most of), then any other unassigned stream of the type.
      for (size_t f = 0; f < inputFiles_.size() && source < 0; ++f) {
        if (env_.join && f != 0) break;
        const int best = av_find_best_stream(env_.inputs[f].ctx.get(), ost.type, -1, -1, nullptr, 0);
        const int index = best >= 0 ? inputFiles_[f].firstStream + best : -1;
        if (index >= 0 && inputStreams_[index].unassigned && inputStreams_[index].stream->discard != AVDISCARD_ALL)
          source = index;
        for (int s = 0; s < inputFiles_[f].streamCount && source < 0; ++s) {
          const TInputStream& ist = inputStreams_[inputFiles_[f].firstStream + s];
          if (ist.unassigned && ist.stream->codecpar->codec_type == ost.type && ist.stream->discard != AVDISCARD_ALL)
            source = inputFiles_[f].firstStream + s;
        }
      }
      if (source < 0 && !env_.join)
        for (int i = static_cast<int>(inputStreams_.size()) - 1; i >= 0 && source < 0; --i)
          if (inputStreams_[i].stream->codecpar->codec_type == ost.type &&
              inputStreams_[i].stream->discard != AVDISCARD_ALL)
            source = i;
      if (source < 0)
        throw FFmpegException("Could not find input stream matching output stream " +
                              StreamName(ost.fileIndex, ost.stream->index, ost.type));
      sync = source;
    }
    inputStreams_[source].unassigned = false;
    ost.source = source;
    ost.sync = sync;
    ost.active = true;
  }
}

void TTranscodeRun::SetUpStreamCopy(TOutputStream& ost, const TInputStream& ist) {
  AVCodecParameters* par = ost.stream->codecpar;
  const uint32_t tag = par->codec_tag;
  const AVRational sar = ost.stream->sample_aspect_ratio;
  CheckAv(avcodec_parameters_copy(par, ist.stream->codecpar), "avcodec_parameters_copy");
  const AVOutputFormat* format = env_.outputs[ost.fileIndex]->ctx->oformat;
  if (tag != 0) {
    par->codec_tag = tag;
  } else {
    const uint32_t sourceTag = ist.stream->codecpar->codec_tag;
    const bool keep = format->codec_tag == nullptr || av_codec_get_id(format->codec_tag, sourceTag) == par->codec_id ||
                      av_codec_get_tag(format->codec_tag, par->codec_id) == 0;
    par->codec_tag = keep ? sourceTag : 0;
  }
  ost.stream->time_base = ist.stream->time_base;
  switch (ost.type) {
    case AVMEDIA_TYPE_VIDEO:
      if (env_.customHook) throw FFmpegException("-vcodec copy and CustomHook are incompatible (frames are not decoded)");
      if (env_.hookLibraryCount > 0) throw FFmpegException("-vcodec copy and -vhook are incompatible (frames are not decoded)");
      if (env_.previewFlags.load() != 0)
        throw FFmpegException("-vcodec copy and PostHooks are incompatible (frames are not decoded)");
      ost.stream->sample_aspect_ratio = sar.num != 0 ? sar : ist.stream->sample_aspect_ratio;
      par->sample_aspect_ratio = ost.stream->sample_aspect_ratio;
      ost.stream->avg_frame_rate = ist.stream->avg_frame_rate;
      break;
    case AVMEDIA_TYPE_AUDIO:
      if (env_.settings.audioVolume != 256)
        throw FFmpegException("-acodec copy and -vol are incompatible (frames are not decoded)");
      if ((par->codec_id == AV_CODEC_ID_MP3 && par->block_align == 1) || par->codec_id == AV_CODEC_ID_AC3)
        par->block_align = 0;
      break;
    case AVMEDIA_TYPE_SUBTITLE:
      break;
    default:
      throw FFmpegException("invalid codec_type of output stream");
  }
}

void TTranscodeRun::SetUpEncoding(TOutputStream& ost, TInputStream& ist, int index) {
  ost.encodingNeeded = true;
  ist.decodingNeeded = true;
  AVCodecContext& enc = *ost.encoder;
  const AVCodecParameters& source = *ist.stream->codecpar;
  if (enc.bits_per_raw_sample == 0) enc.bits_per_raw_sample = source.bits_per_raw_sample;
  enc.chroma_sample_location = source.chroma_location;
  if (ost.type == AVMEDIA_TYPE_VIDEO) {
    if (enc.pix_fmt == AV_PIX_FMT_NONE)
      throw FFmpegException("Video pixel format is unknown, stream cannot be encoded");
    ost.video = std::make_unique<TVideoOut>();
    TFilterGraphSpec& spec = ost.video->spec;
    spec.crop = TCropBands{ost.cropTop, ost.cropBottom, ost.cropLeft, ost.cropRight};
    spec.sourceWidth = source.width;
    spec.sourceHeight = source.height;
    spec.width = enc.width > 0 ? enc.width : source.width - ost.cropLeft - ost.cropRight;
    spec.height = enc.height > 0 ? enc.height : source.height - ost.cropTop - ost.cropBottom;
    spec.format = enc.pix_fmt;
    spec.scalerFlags = env_.generic.ScalerFlags();
    spec.deinterlace = env_.settings.doDeinterlace;
    spec.text = ost.filterText;
    const auto sourceFormat = static_cast<AVPixelFormat>(source.format);
    const auto build = [&] {
      ost.video->graph.Build(spec, source.width, source.height,
                             sourceFormat == AV_PIX_FMT_NONE ? AV_PIX_FMT_YUV420P : sourceFormat,
                             source.sample_aspect_ratio);
      enc.width = ost.video->graph.OutputWidth();
      enc.height = ost.video->graph.OutputHeight();
    };
    build();
    // The frame size is known only now: the filter text may pad or scale.
    if (enc.codec_id == AV_CODEC_ID_DVVIDEO && enc.codec) {
      const AVPixelFormat dv = DvPixelFormat(enc, enc.width, enc.height, enc.pix_fmt);
      if (dv != enc.pix_fmt) {
        enc.pix_fmt = spec.format = dv;
        build();
      }
    }
  } else if (ost.type == AVMEDIA_TYPE_AUDIO) {
    ost.audio = std::make_unique<TAudioOut>();
  }
  SetUpTwoPass(ost, index);
  OpenEncoder(ost);
}

void TTranscodeRun::SetUpTwoPass(TOutputStream& ost, int index) {
  AVCodecContext& enc = *ost.encoder;
  if (!(enc.flags & (AV_CODEC_FLAG_PASS1 | AV_CODEC_FLAG_PASS2))) return;
  const std::string base = env_.settings.passLogFileName.empty() ? "ffmpeg2pass" : env_.settings.passLogFileName;
  std::string name = (base + "-" + std::to_string(index) + ".log").substr(0, 1023);
  const AVCodec* codec = ost.codec != nullptr ? ost.codec : avcodec_find_encoder(enc.codec_id);
  // x264 writes and reads its statistics file itself and leaves stats_out empty.
  const bool encoderOwnsLog = codec != nullptr && std::string_view(codec->name) == "libx264";
  if (encoderOwnsLog) {
    if (const AVDictionaryEntry* chosen = av_dict_get(ost.encoderOptions.get(), "stats", nullptr, 0))
      name = chosen->value;
    else
      DictionarySet(ost.encoderOptions, "stats", name.c_str());
  }
  if (enc.flags & AV_CODEC_FLAG_PASS1) {
    if (encoderOwnsLog) return;
    ost.passLog = std::fopen(name.c_str(), "wb");
    if (ost.passLog == nullptr) throw FFmpegException("Cannot write log file " + name + " for pass-1 encoding");
    return;
  }
  std::ifstream in(name, std::ios::binary);
  if (!in) throw FFmpegException("Cannot read file: Error reading log file \"" + name + "\" for pass-2 encoding");
  if (encoderOwnsLog) return;
  std::ostringstream text;
  text << in.rdbuf();
  ost.passStats = text.str();
  enc.stats_in = ost.passStats.data();
}

void TTranscodeRun::OpenEncoder(TOutputStream& ost) {
  AVCodecContext& enc = *ost.encoder;
  const std::string name = StreamName(ost.fileIndex, ost.stream->index, ost.type);
  if (ost.codec == nullptr) ost.codec = avcodec_find_encoder(enc.codec_id);
  if (ost.codec == nullptr) {
    const std::string text =
        "Encoder (codec id " + std::to_string(enc.codec_id) + ") not found for output stream " + name;
    av_log(nullptr, AV_LOG_ERROR, "%s\n", text.c_str());
    throw FFmpegException(text);
  }
  enc.codec_tag = ost.stream->codecpar->codec_tag;
  int opened = 0;
  {
    std::lock_guard lock(CodecLock());
    AVDictionary* options = ost.encoderOptions.release();
    opened = avcodec_open2(&enc, ost.codec, &options);
    ost.encoderOptions.reset(options);
  }
  if (opened < 0) {
    av_log(nullptr, AV_LOG_ERROR, "%s\n", AvErrorText("avcodec_open2 " + name, opened).c_str());
    const std::string text = "Error while opening encoder for output stream " + name +
                             " - maybe incorrect parameters such as bit_rate, rate, width or height. Please check "
                             "error log message to find out more detail information.";
    av_log(nullptr, AV_LOG_ERROR, "%s\n", text.c_str());
    throw FFmpegException(text);
  }
  CheckAv(avcodec_parameters_from_context(ost.stream->codecpar, &enc), "avcodec_parameters_from_context");
  ost.stream->time_base = enc.time_base;
  if (ost.type == AVMEDIA_TYPE_VIDEO) ost.stream->avg_frame_rate = enc.framerate;
  extraBytes_ += enc.extradata_size;
  if (ost.type == AVMEDIA_TYPE_AUDIO) {
    ost.audio->fifo.reset(av_audio_fifo_alloc(enc.sample_fmt, enc.ch_layout.nb_channels, std::max(enc.frame_size, 1024)));
    if (!ost.audio->fifo) throw FFmpegException("av_fifo_alloc fail");
  }
}

void TTranscodeRun::SetUpSubtitleBurning() {
  for (TOutputStream* ost : outputStreams_) {
    if (ost->type != AVMEDIA_TYPE_VIDEO || !ost->encodingNeeded || !env_.outputs[ost->fileIndex]->burnSubtitles)
      continue;
    TInputStream& video = inputStreams_[ost->source];
    const TInputFileState& file = inputFiles_[video.fileIndex];
    for (int s = file.firstStream; s < file.firstStream + file.streamCount && video.burnSource < 0; ++s) {
      TInputStream& ist = inputStreams_[s];
      const AVCodecDescriptor* desc = avcodec_descriptor_get(ist.stream->codecpar->codec_id);
      if (ist.stream->codecpar->codec_type != AVMEDIA_TYPE_SUBTITLE || ist.stream->discard == AVDISCARD_ALL ||
          desc == nullptr || !(desc->props & AV_CODEC_PROP_BITMAP_SUB))
        continue;
      ist.decodingNeeded = true;
      if (!ist.burner) ist.burner = std::make_unique<TSubtitleBurner>(ist.stream->codecpar->width, ist.stream->codecpar->height);
      video.burnSource = s;
    }
  }
}

void TTranscodeRun::OpenDecoders() {
  for (size_t i = 0; i < inputStreams_.size(); ++i) {
    TInputStream& ist = inputStreams_[i];
    if (!ist.decodingNeeded) continue;
    const AVCodecParameters& par = *ist.stream->codecpar;
    const bool subtitle = par.codec_type == AVMEDIA_TYPE_SUBTITLE;
    const std::string name = StreamName(ist.fileIndex, ist.stream->index, par.codec_type);
    try {
      const AVCodec* codec = avcodec_find_decoder(par.codec_id);
      if (codec == nullptr)
        throw FFmpegException("Decoder (codec id " + std::to_string(par.codec_id) + ") not found for input stream " +
                              name);
      ist.decoder.reset(avcodec_alloc_context3(codec));
      CheckAv(avcodec_parameters_to_context(ist.decoder.get(), &par), "avcodec_parameters_to_context");
      ist.decoder->pkt_timebase = ist.stream->time_base;
      ist.decoder->thread_count = 0;
      DictionaryPtr options = env_.generic.CodecOptions(par.codec_type, codec, false);
      if (par.codec_id == AV_CODEC_ID_DVD_SUBTITLE) {
        const std::string palette = DvdSubtitlePalette(env_.inputs[ist.fileIndex].ctx.get());
        if (!palette.empty()) DictionarySet(options, "palette", palette.c_str());
      }
      AVDictionary* raw = options.release();
      int opened = 0;
      {
        std::lock_guard lock(CodecLock());
        opened = avcodec_open2(ist.decoder.get(), codec, &raw);
      }
      av_dict_free(&raw);
      if (opened < 0) throw FFmpegException("Error while opening decoder for input stream " + name);
    } catch (const FFmpegException& error) {
      // A subtitle never fails a conversion: its pictures are left out.
      if (!subtitle || !ist.burner) throw;
      av_log(nullptr, AV_LOG_ERROR, "%s\n", error.what());
      ist.decoder.reset();
      ist.decodingNeeded = false;
      ist.burner.reset();
      for (TInputStream& other : inputStreams_)
        if (other.burnSource == static_cast<int>(i)) other.burnSource = -1;
    }
  }
}

void TTranscodeRun::CopyMetadataMaps() {
  for (const TMetaDataMap& map : env_.settings.metaDataMaps) {
    const std::string numbers = "map_meta_data(" + std::to_string(map.outFile) + "," + std::to_string(map.inFile) + ")";
    if (map.outFile < 0 || map.outFile >= static_cast<int>(env_.outputs.size()))
      throw FFmpegException("Invalid output file index " + std::to_string(map.outFile) + " " + numbers);
    if (map.inFile < 0 || map.inFile >= static_cast<int>(env_.inputs.size()))
      throw FFmpegException("Invalid input file index " + std::to_string(map.inFile) + " " + numbers);
    av_dict_copy(&env_.outputs[map.outFile]->ctx->metadata, env_.inputs[map.inFile].ctx->metadata,
                 AV_DICT_DONT_OVERWRITE);
  }
}

void TTranscodeRun::CopyChapters() {
  const int64_t startUs = StartUs();
  const int64_t recordingUs = env_.settings.recordingTimeUs;
  for (const TInputFile& input : env_.inputs)
    for (unsigned c = 0; c < input.ctx->nb_chapters; ++c) {
      const AVChapter& chapter = *input.ctx->chapters[c];
      const int64_t windowStart = av_rescale_q(startUs - input.tsOffsetUs, AV_TIME_BASE_Q, chapter.time_base);
      const int64_t windowEnd = recordingUs == INT64_MAX ? INT64_MAX
                                : av_rescale_q(startUs + recordingUs - input.tsOffsetUs, AV_TIME_BASE_Q, chapter.time_base);
      if (chapter.end <= windowStart || chapter.start >= windowEnd) continue;
      for (auto& output : env_.outputs) {
        auto* copy = static_cast<AVChapter*>(av_mallocz(sizeof(AVChapter)));
        if (copy == nullptr) throw FFmpegException("Out of memory");
        copy->id = chapter.id;
        copy->time_base = chapter.time_base;
        copy->start = std::max<int64_t>(0, chapter.start - windowStart);
        copy->end = std::min(windowEnd, chapter.end) - windowStart;
        av_dict_copy(&copy->metadata, chapter.metadata, 0);
        AVFormatContext& ctx = *output->ctx;
        auto** grown = static_cast<AVChapter**>(av_realloc_array(ctx.chapters, ctx.nb_chapters + 1, sizeof(AVChapter*)));
        if (grown == nullptr) {
          av_dict_free(&copy->metadata);
          av_free(copy);
          throw FFmpegException("Out of memory");
        }
        ctx.chapters = grown;
        ctx.chapters[ctx.nb_chapters++] = copy;
      }
    }
}

void TTranscodeRun::WriteHeaders() {
  for (size_t f = 0; f < env_.outputs.size(); ++f) {
    TOutputFile& file = *env_.outputs[f];
    for (auto& ost : file.streams) {
      // The bitstream filters see the stream as the encoder or the source made it.
      const AVCodecParameters* in = ost->stream->codecpar;
      AVRational timeBase = ost->stream->time_base;
      for (const TBitstreamFilter& named : ost->filterChain) {
        AVBSFContext* raw = nullptr;
        CheckAv(av_bsf_alloc(av_bsf_get_by_name(named.name.c_str()), &raw), named.name);
        BitstreamFilterPtr filter(raw);
        CheckAv(avcodec_parameters_copy(filter->par_in, in), named.name);
        filter->time_base_in = timeBase;
        if (!named.args.empty() && filter->filter->priv_class != nullptr)
          CheckAv(av_set_options_string(filter->priv_data, named.args.c_str(), "=", ":"), named.name);
        CheckAv(av_bsf_init(filter.get()), named.name);
        in = filter->par_out;
        timeBase = filter->time_base_out;
        ost->bitstreamFilters.push_back(std::move(filter));
      }
      if (!ost->bitstreamFilters.empty()) CheckAv(avcodec_parameters_copy(ost->stream->codecpar, in), "bsf");
    }
    AVDictionary* options = nullptr;
    av_dict_copy(&options, file.formatOptions.get(), 0);
    const int written = avformat_write_header(file.ctx.get(), &options);
    av_dict_free(&options);
    if (written < 0) {
      av_log(nullptr, AV_LOG_ERROR, "%s\n", AvErrorText(file.name, written).c_str());
      const std::string text =
          "Could not write header for output file #" + std::to_string(f) + " (incorrect codec parameters ?)";
      av_log(nullptr, AV_LOG_ERROR, "%s\n", text.c_str());
      throw FFmpegException(text);
    }
    file.headerWritten = true;
  }
}

void TTranscodeRun::LogStreamMapping() {
  for (size_t f = 0; f < env_.outputs.size(); ++f)
    av_dump_format(env_.outputs[f]->ctx.get(), static_cast<int>(f), env_.outputs[f]->name.c_str(), 1);
  if (env_.settings.verbose < 0) return;
  av_log(nullptr, AV_LOG_VERBOSE, "Stream mapping:\n");
  for (const TOutputStream* ost : outputStreams_) {
    const TInputStream& source = inputStreams_[ost->source];
    const TInputStream& sync = inputStreams_[ost->sync];
    std::string line = "  Stream #" + std::to_string(source.fileIndex) + "." + std::to_string(source.stream->index) +
                       " -> #" + std::to_string(ost->fileIndex) + "." + std::to_string(ost->stream->index);
    if (ost->sync != ost->source)
      line += " [sync #" + std::to_string(sync.fileIndex) + "." + std::to_string(sync.stream->index) + "]";
    av_log(nullptr, AV_LOG_VERBOSE, "%s\n", line.c_str());
  }
}

void TTranscodeRun::CloseCodecs() {
  std::lock_guard lock(CodecLock());
  for (TOutputStream* ost : outputStreams_) ost->encoder.reset();
  for (TInputStream& ist : inputStreams_) ist.decoder.reset();
}

}  // namespace kx
