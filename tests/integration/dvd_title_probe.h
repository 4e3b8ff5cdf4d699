#pragma once
// Opens a title through "opendvd:" and reads back what the test discs encode:
// the marks of its pictures and the tone of its audio stream.
// Header-only helper for the DVD integration tests.
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

#include "dvd/dvd_plug_in.h"
#include "engine/input_opener.h"
#include "support/frame_marks.h"
#include "support/test_env.h"
#include "support/tones.h"

namespace kx::test {

struct InputCloser {
  void operator()(AVFormatContext* ctx) const { CloseMediaInput(&ctx); }
};
using Input = std::unique_ptr<AVFormatContext, InputCloser>;

struct CodecCloser {
  void operator()(AVCodecContext* ctx) const { avcodec_free_context(&ctx); }
};
struct PacketFree {
  void operator()(AVPacket* p) const { av_packet_free(&p); }
};
struct FrameFree {
  void operator()(AVFrame* f) const { av_frame_free(&f); }
};

inline void LoadPlugIn() {
  ASSERT_TRUE(DVDPlugIn::LoadDVDLib(BuildDir() + "/LibAV"));
}

inline TDVDParam Param(int title, int first, int last, int audio, int subtitle) {
  return TDVDParam{title, first, last, audio, subtitle, 2, 0};
}

// SetDVDParam, then "opendvd:" + drive with its stream information read.
inline Input OpenTitle(const std::string& drive, const TDVDParam& param) {
  DVDPlugIn::SetDVDParam(param);
  AVFormatContext* raw = nullptr;
  if (OpenMediaInput(&raw, "opendvd:" + drive, nullptr) < 0) return nullptr;
  Input input(raw);
  if (avformat_find_stream_info(raw, nullptr) < 0) return nullptr;
  return input;
}

// Stream ids FFmpeg's demuxer found, by kind (0x1E0 video, 0x80 AC-3,
// 0x1C0 MPEG audio, 0x20 subpicture …).
inline std::vector<int> StreamIds(const AVFormatContext* ctx, AVMediaType type) {
  std::vector<int> ids;
  for (unsigned i = 0; i < ctx->nb_streams; ++i)
    if (ctx->streams[i]->codecpar->codec_type == type) ids.push_back(ctx->streams[i]->id);
  return ids;
}

struct VideoRun {
  int frames = 0;
  FrameMark first, last;
  int readError = 0;  // the av_read_frame result that ended the run, when not EOF
};

inline std::unique_ptr<AVCodecContext, CodecCloser> OpenDecoder(const AVStream* stream) {
  const AVCodec* codec = avcodec_find_decoder(stream->codecpar->codec_id);
  std::unique_ptr<AVCodecContext, CodecCloser> dec(avcodec_alloc_context3(codec));
  avcodec_parameters_to_context(dec.get(), stream->codecpar);
  dec->thread_count = 1;
  if (avcodec_open2(dec.get(), codec, nullptr) < 0) return nullptr;
  return dec;
}

// Decodes the video from the current position, at most `maxFrames` pictures.
inline VideoRun DecodeVideo(AVFormatContext* ctx, int maxFrames = 1 << 30) {
  VideoRun run;
  int index = av_find_best_stream(ctx, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
  if (index < 0) return run;
  auto dec = OpenDecoder(ctx->streams[index]);
  std::unique_ptr<AVPacket, PacketFree> packet(av_packet_alloc());
  std::unique_ptr<AVFrame, FrameFree> frame(av_frame_alloc());
  auto drain = [&] {
    while (run.frames < maxFrames && avcodec_receive_frame(dec.get(), frame.get()) == 0) {
      FrameMark mark = MarkOfFrame(frame.get());
      if (run.frames++ == 0) run.first = mark;
      run.last = mark;
    }
  };
  while (run.frames < maxFrames) {
    int result = av_read_frame(ctx, packet.get());
    if (result < 0) {
      if (result != AVERROR_EOF) run.readError = result;
      break;
    }
    if (packet->stream_index == index) avcodec_send_packet(dec.get(), packet.get());
    av_packet_unref(packet.get());
    drain();
  }
  avcodec_send_packet(dec.get(), nullptr);
  drain();
  return run;
}

// The tone of the first audio stream's first channel, among the tones the
// test discs use.
inline double DominantToneHz(AVFormatContext* ctx) {
  int index = av_find_best_stream(ctx, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
  if (index < 0) return 0;
  auto dec = OpenDecoder(ctx->streams[index]);
  std::unique_ptr<AVPacket, PacketFree> packet(av_packet_alloc());
  std::unique_ptr<AVFrame, FrameFree> frame(av_frame_alloc());
  std::vector<float> samples;
  int rate = 0;
  auto sampleAt = [&](int i) -> float {
    auto format = static_cast<AVSampleFormat>(frame->format);
    int step = av_sample_fmt_is_planar(format) ? 1 : frame->ch_layout.nb_channels;
    switch (av_get_packed_sample_fmt(format)) {
      case AV_SAMPLE_FMT_FLT: return reinterpret_cast<const float*>(frame->data[0])[i * step];
      case AV_SAMPLE_FMT_S16: return reinterpret_cast<const int16_t*>(frame->data[0])[i * step] / 32768.0f;
      case AV_SAMPLE_FMT_S32: return reinterpret_cast<const int32_t*>(frame->data[0])[i * step] / 2147483648.0f;
      default: ADD_FAILURE() << "sample format " << frame->format; return 0;
    }
  };
  auto drain = [&] {
    while (avcodec_receive_frame(dec.get(), frame.get()) == 0) {
      rate = frame->sample_rate;
      for (int i = 0; i < frame->nb_samples; ++i) samples.push_back(sampleAt(i));
    }
  };
  while (av_read_frame(ctx, packet.get()) >= 0) {
    if (packet->stream_index == index) avcodec_send_packet(dec.get(), packet.get());
    av_packet_unref(packet.get());
    drain();
  }
  avcodec_send_packet(dec.get(), nullptr);
  drain();
  return DominantTone(samples.data(), samples.size(), rate, {300, 440, 550, 660, 770, 880, 1000, 1200});
}

}  // namespace kx::test
