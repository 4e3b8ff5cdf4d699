#include "decoded_media.h"

#include <algorithm>
#include <memory>
#include <stdexcept>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libswresample/swresample.h>
}

namespace kx::test {
namespace {

struct FormatCloser {
  void operator()(AVFormatContext* c) const { avformat_close_input(&c); }
};
struct CodecFreer {
  void operator()(AVCodecContext* c) const { avcodec_free_context(&c); }
};
struct FrameFreer {
  void operator()(AVFrame* f) const { av_frame_free(&f); }
};
struct PacketFreer {
  void operator()(AVPacket* p) const { av_packet_free(&p); }
};
struct SwrFreer {
  void operator()(SwrContext* s) const { swr_free(&s); }
};
using CodecPtr = std::unique_ptr<AVCodecContext, CodecFreer>;

std::string Fail(const std::string& path, const std::string& what) { return "DecodeFile(" + path + "): " + what; }

CodecPtr OpenDecoder(const std::string& path, const AVStream* stream) {
  const AVCodec* codec = avcodec_find_decoder(stream->codecpar->codec_id);
  if (!codec) throw std::runtime_error(Fail(path, "no decoder for stream " + std::to_string(stream->index)));
  CodecPtr ctx(avcodec_alloc_context3(codec));
  if (!ctx || avcodec_parameters_to_context(ctx.get(), stream->codecpar) < 0 ||
      avcodec_open2(ctx.get(), codec, nullptr) < 0)
    throw std::runtime_error(Fail(path, std::string("cannot open the ") + codec->name + " decoder"));
  return ctx;
}

// One decoded stream and the time its frames are measured from.
struct Track {
  AVStream* stream = nullptr;
  CodecPtr codec;
  int64_t origin = AV_NOPTS_VALUE;
  double lastSeconds = -1;

  double SecondsOf(const AVFrame* frame) {
    int64_t ts = frame->best_effort_timestamp;
    if (ts == AV_NOPTS_VALUE) return lastSeconds;
    if (origin == AV_NOPTS_VALUE) origin = stream->start_time != AV_NOPTS_VALUE ? stream->start_time : ts;
    lastSeconds = (ts - origin) * av_q2d(stream->time_base);
    return lastSeconds;
  }
};

}  // namespace

const DecodedFrame* DecodedMedia::FrameAt(double seconds) const {
  for (size_t i = 0; i < frames.size(); ++i) {
    bool last = i + 1 == frames.size() || frames[i + 1].seconds < frames[i].seconds;
    if (frames[i].seconds <= seconds && (last || seconds < frames[i + 1].seconds)) return &frames[i];
  }
  return nullptr;
}

DecodedMedia DecodeFile(const std::string& path, double maxSeconds, int audioStreamId, const PictureVisitor& visit) {
  AVFormatContext* raw = nullptr;
  if (avformat_open_input(&raw, path.c_str(), nullptr, nullptr) < 0)
    throw std::runtime_error(Fail(path, "cannot open"));
  std::unique_ptr<AVFormatContext, FormatCloser> format(raw);
  if (avformat_find_stream_info(format.get(), nullptr) < 0) throw std::runtime_error(Fail(path, "no stream info"));

  Track video, audio;
  for (unsigned i = 0; i < format->nb_streams; ++i) {
    AVStream* st = format->streams[i];
    AVMediaType type = st->codecpar->codec_type;
    if (type == AVMEDIA_TYPE_VIDEO && !video.stream) video.stream = st;
    bool wanted = audioStreamId == kFirstAudioStream || st->id == audioStreamId;
    if (type == AVMEDIA_TYPE_AUDIO && !audio.stream && wanted) audio.stream = st;
  }
  if (audioStreamId != kFirstAudioStream && !audio.stream)
    throw std::runtime_error(Fail(path, "no audio stream with id " + std::to_string(audioStreamId)));
  if (video.stream) video.codec = OpenDecoder(path, video.stream);
  if (audio.stream) audio.codec = OpenDecoder(path, audio.stream);

  DecodedMedia media;
  std::unique_ptr<SwrContext, SwrFreer> swr;
  if (audio.codec) {
    media.sampleRate = audio.codec->sample_rate;
    AVChannelLayout mono = AV_CHANNEL_LAYOUT_MONO;
    SwrContext* s = nullptr;
    if (swr_alloc_set_opts2(&s, &mono, AV_SAMPLE_FMT_FLT, media.sampleRate, &audio.codec->ch_layout,
                            audio.codec->sample_fmt, media.sampleRate, 0, nullptr) < 0 ||
        swr_init(s) < 0) {
      swr_free(&s);
      throw std::runtime_error(Fail(path, "cannot set up the audio downmix"));
    }
    swr.reset(s);
  }

  // Without video the sound alone decides when to stop, and the reverse.
  bool videoDone = !video.codec, audioDone = !audio.codec;
  std::unique_ptr<AVFrame, FrameFreer> frame(av_frame_alloc());
  std::unique_ptr<AVPacket, PacketFreer> packet(av_packet_alloc());

  auto takeVideo = [&] {
    double t = video.SecondsOf(frame.get());
    if (t > maxSeconds) {
      videoDone = true;
      return;
    }
    media.frames.push_back({t, MarkOfFrame(frame.get())});
    if (visit) visit(*frame);
  };
  auto takeAudio = [&] {
    double t = audio.SecondsOf(frame.get());
    if (t > maxSeconds) {
      audioDone = true;
      return;
    }
    size_t at = media.samples.size();
    media.samples.resize(at + frame->nb_samples);
    auto* out = reinterpret_cast<uint8_t*>(media.samples.data() + at);
    int got = swr_convert(swr.get(), &out, frame->nb_samples, const_cast<const uint8_t**>(frame->extended_data),
                          frame->nb_samples);
    media.samples.resize(at + std::max(got, 0));
  };
  auto drain = [&](Track& track, auto&& take, bool& done) {
    while (!done && avcodec_receive_frame(track.codec.get(), frame.get()) == 0) {
      take();
      av_frame_unref(frame.get());
    }
  };

  while (!(videoDone && audioDone) && av_read_frame(format.get(), packet.get()) >= 0) {
    if (video.stream && packet->stream_index == video.stream->index && !videoDone) {
      if (avcodec_send_packet(video.codec.get(), packet.get()) >= 0) drain(video, takeVideo, videoDone);
    } else if (audio.stream && packet->stream_index == audio.stream->index && !audioDone) {
      if (avcodec_send_packet(audio.codec.get(), packet.get()) >= 0) drain(audio, takeAudio, audioDone);
    }
    av_packet_unref(packet.get());
  }
  // End of file: flush what the decoders still hold.
  if (video.codec && !videoDone && avcodec_send_packet(video.codec.get(), nullptr) >= 0)
    drain(video, takeVideo, videoDone);
  if (audio.codec && !audioDone && avcodec_send_packet(audio.codec.get(), nullptr) >= 0)
    drain(audio, takeAudio, audioDone);
  return media;
}

}  // namespace kx::test
