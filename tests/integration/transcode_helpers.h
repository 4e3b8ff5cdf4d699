#pragma once
// Converting test disc titles with a TCustomFFmpeg and reading back what the
// output holds. Header-only helper for the transcoder integration tests.
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

extern "C" {
#include <libavformat/avformat.h>
}

#include "dvd_title_probe.h"
#include "engine/custom_ffmpeg.h"
#include "engine/ffmpeg_exception.h"
#include "engine/engine_callbacks.h"
#include "engine/run_control.h"
#include "support/decoded_media.h"

namespace kx::test {

using OptionList = std::vector<std::pair<std::string, std::string>>;

struct TitleJob {
  std::string disc = "three_titles";
  TDVDParam param = Param(0, 0, 99, 0x80, 0);
  OptionList inputOptions;   // before the input is opened
  OptionList outputOptions;  // after it, before the output is created
};

// Opens the title and creates the output; the engine is ready to Transcode.
inline void SetUpJob(TCustomFFmpeg& engine, const TitleJob& job, const std::string& output) {
  DVDPlugIn::SetDVDParam(job.param);
  for (const auto& [name, value] : job.inputOptions) engine.SetOption(name, value);
  ASSERT_TRUE(engine.OpenInput("opendvd:" + DiscFolder(job.disc))) << engine.LastError();
  for (const auto& [name, value] : job.outputOptions) engine.SetOption(name, value);
  ASSERT_GT(engine.CreateOutput(output, false), 0) << engine.LastError();
}

// Runs an engine whose inputs and outputs are set up, then releases it; answers
// Transcode's result, or fails the test with the exception's text.
inline bool RunToEnd(TCustomFFmpeg& engine, const TEngineCallbacks& callbacks = {}) {
  TRunControl control;
  bool finished = false;
  try {
    finished = engine.Transcode(control, callbacks);
  } catch (const std::exception& error) {
    ADD_FAILURE() << error.what();
  }
  engine.Release();
  return finished;
}

// Converts a title to the end, as RunToEnd.
inline bool Convert(const TitleJob& job, const std::string& output, const TEngineCallbacks& callbacks = {}) {
  TCustomFFmpeg engine;
  SetUpJob(engine, job, output);
  if (testing::Test::HasFatalFailure()) return false;
  return RunToEnd(engine, callbacks);
}

// Runs a title into `output`; answers the text of the FFmpegException it raised (empty: none).
inline std::string FailureOf(const TitleJob& job, const std::string& output) {
  TCustomFFmpeg engine;
  DVDPlugIn::SetDVDParam(job.param);
  if (!engine.OpenInput("opendvd:" + DiscFolder(job.disc))) return engine.LastError();
  for (const auto& [name, value] : job.outputOptions) engine.SetOption(name, value);
  if (engine.CreateOutput(output, false) < 0) return engine.LastError();
  std::string text;
  TRunControl control;
  try {
    engine.Transcode(control, {});
  } catch (const FFmpegException& error) {
    text = error.what();
  }
  engine.Release();
  engine.Release();  // twice is harmless
  return text;
}

struct ProbedStream {
  std::string codec;
  int width = 0, height = 0;
  double startSeconds = 0;
};

struct ProbedFile {
  std::vector<ProbedStream> video, audio, subtitle;
};

inline ProbedFile Probe(const std::string& path) {
  ProbedFile probed;
  AVFormatContext* raw = nullptr;
  if (avformat_open_input(&raw, path.c_str(), nullptr, nullptr) < 0) {
    ADD_FAILURE() << "cannot open " << path;
    return probed;
  }
  Input ctx(raw);
  if (avformat_find_stream_info(raw, nullptr) < 0) ADD_FAILURE() << "no stream information in " << path;
  for (unsigned i = 0; i < raw->nb_streams; ++i) {
    const AVStream* stream = raw->streams[i];
    ProbedStream one{avcodec_get_name(stream->codecpar->codec_id), stream->codecpar->width, stream->codecpar->height,
                     stream->start_time == AV_NOPTS_VALUE ? 0 : stream->start_time * av_q2d(stream->time_base)};
    switch (stream->codecpar->codec_type) {
      case AVMEDIA_TYPE_VIDEO: probed.video.push_back(one); break;
      case AVMEDIA_TYPE_AUDIO: probed.audio.push_back(one); break;
      case AVMEDIA_TYPE_SUBTITLE: probed.subtitle.push_back(one); break;
      default: break;
    }
  }
  return probed;
}

inline double ToneOf(const DecodedMedia& media) {
  return DominantTone(media.samples.data(), media.samples.size(), media.sampleRate, {440, 880});
}

}  // namespace kx::test
