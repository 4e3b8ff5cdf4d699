#pragma once
// Opens a title through "opendvd:" and reads back what the test discs encode:
// the second and title marks of each picture, the tone of an audio stream.
// Header-only helper for the DVD integration tests.
#include <algorithm>
#include <cmath>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

#include "dvd/dvd_plug_in.h"
#include "engine/input_opener.h"
#include "support/test_env.h"

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

// What the centre of one picture says (see tests/fixtures/make_discs.py:
// luma 32 + 4 * (second % 48); chroma offsets -9, -3, 3, 9 per title).
struct FrameMark {
  int second = -1;
  int title = -1;  // 1-based
};

inline FrameMark MarkOf(const AVFrame* frame) {
  auto centre = [&](int plane, int w, int h) {
    long sum = 0;
    for (int y = h / 2 - 4; y < h / 2 + 4; ++y)
      for (int x = w / 2 - 4; x < w / 2 + 4; ++x) sum += frame->data[plane][y * frame->linesize[plane] + x];
    return static_cast<int>(std::lround(sum / 64.0));
  };
  int luma = centre(0, frame->width, frame->height);
  int u = centre(1, frame->width / 2, frame->height / 2), v = centre(2, frame->width / 2, frame->height / 2);
  auto step = [](int value) { return std::clamp(static_cast<int>(std::lround((value - 128 + 9) / 6.0)), 0, 3); };
  return {static_cast<int>(std::lround((luma - 32) / 4.0)), step(u) + 4 * step(v) + 1};
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
      FrameMark mark = MarkOf(frame.get());
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

// Frequency of the first audio stream from the sign changes of its first
// channel; a change counts only past a threshold, so the encoders' near-silent
// edges add no crossings.
inline double DominantToneHz(AVFormatContext* ctx) {
  int index = av_find_best_stream(ctx, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
  if (index < 0) return 0;
  auto dec = OpenDecoder(ctx->streams[index]);
  std::unique_ptr<AVPacket, PacketFree> packet(av_packet_alloc());
  std::unique_ptr<AVFrame, FrameFree> frame(av_frame_alloc());
  long crossings = 0, samples = 0;
  int sign = 0;
  auto sampleAt = [&](int i) -> double {
    int step = av_sample_fmt_is_planar(static_cast<AVSampleFormat>(frame->format)) ? 1 : frame->ch_layout.nb_channels;
    switch (av_get_packed_sample_fmt(static_cast<AVSampleFormat>(frame->format))) {
      case AV_SAMPLE_FMT_FLT: return reinterpret_cast<const float*>(frame->data[0])[i * step];
      case AV_SAMPLE_FMT_S16: return reinterpret_cast<const int16_t*>(frame->data[0])[i * step] / 32768.0;
      case AV_SAMPLE_FMT_S32: return reinterpret_cast<const int32_t*>(frame->data[0])[i * step] / 2147483648.0;
      default: ADD_FAILURE() << "sample format " << frame->format; return 0;
    }
  };
  int rate = 0;
  auto drain = [&] {
    while (avcodec_receive_frame(dec.get(), frame.get()) == 0) {
      rate = frame->sample_rate;
      for (int i = 0; i < frame->nb_samples; ++i, ++samples) {
        double s = sampleAt(i);
        int now = s > 0.02 ? 1 : s < -0.02 ? -1 : sign;
        if (sign != 0 && now != sign) ++crossings;
        sign = now;
      }
    }
  };
  while (av_read_frame(ctx, packet.get()) >= 0) {
    if (packet->stream_index == index) avcodec_send_packet(dec.get(), packet.get());
    av_packet_unref(packet.get());
    drain();
  }
  avcodec_send_packet(dec.get(), nullptr);
  drain();
  return samples && rate ? crossings / 2.0 * rate / samples : 0;
}

}  // namespace kx::test
