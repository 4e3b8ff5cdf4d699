// Decoded samples to the audio encoder: the trim window, resampling with the
// volume folded into the channel matrix, audio sync against the input time
// line, the sample FIFO and encoding in the encoder's frame size. Worker thread.
#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

extern "C" {
#include <libavutil/opt.h>
}

#include "engine/audio_out.h"
#include "engine/ffmpeg_exception.h"
#include "engine/transcode_run.h"

namespace kx {
namespace {

void MakeResampler(TAudioOut& audio, const AVFrame& samples, const AVCodecContext& enc, int volume) {
  SwrContext* raw = nullptr;
  const auto inFormat = static_cast<AVSampleFormat>(samples.format);
  const auto fail = [&] {
    return FFmpegException("Can not resample " + std::to_string(samples.ch_layout.nb_channels) + " channels @ " +
                           std::to_string(samples.sample_rate) + " Hz to " + std::to_string(enc.ch_layout.nb_channels) +
                           " channels @ " + std::to_string(enc.sample_rate) + " Hz");
  };
  // swr_alloc_set_opts2 only reads the layouts; its parameters lack the const.
  if (swr_alloc_set_opts2(&raw, const_cast<AVChannelLayout*>(&enc.ch_layout), enc.sample_fmt, enc.sample_rate,
                          const_cast<AVChannelLayout*>(&samples.ch_layout), inFormat, samples.sample_rate, 0,
                          nullptr) < 0)
    throw fail();
  ResamplerPtr resampler(raw);
  av_opt_set_int(raw, "filter_size", 16, 0);
  av_opt_set_int(raw, "phase_shift", 10, 0);
  av_opt_set_double(raw, "cutoff", 0.8, 0);
  if (volume != 256) {
    // The volume rides on the channel matrix: no extra pass over the samples.
    const int inChannels = samples.ch_layout.nb_channels, outChannels = enc.ch_layout.nb_channels;
    std::vector<double> matrix(static_cast<size_t>(inChannels) * outChannels);
    if (swr_build_matrix2(&samples.ch_layout, &enc.ch_layout, M_SQRT1_2, M_SQRT1_2, 0, 1, 1, matrix.data(), inChannels,
                          AV_MATRIX_ENCODING_NONE, nullptr) < 0)
      throw fail();
    for (double& gain : matrix) gain *= volume / 256.0;
    if (swr_set_matrix(raw, matrix.data(), inChannels) < 0) throw fail();
  }
  if (swr_init(raw) < 0) throw fail();
  audio.resampler = std::move(resampler);
  av_channel_layout_uninit(&audio.inLayout);
  av_channel_layout_copy(&audio.inLayout, &samples.ch_layout);
  audio.inRate = samples.sample_rate;
  audio.inFormat = inFormat;
}

bool ResamplerFits(const TAudioOut& audio, const AVFrame& samples) {
  return audio.resampler && audio.inRate == samples.sample_rate && audio.inFormat == samples.format &&
         av_channel_layout_compare(&audio.inLayout, &samples.ch_layout) == 0;
}

// Gives `frame` room for `count` samples in the encoder's format; grows only.
void Reserve(AVFrame& frame, const AVCodecContext& enc, int count) {
  if (frame.buf[0] != nullptr && frame.nb_samples >= count) {
    CheckAv(av_frame_make_writable(&frame), "av_frame_make_writable");
    return;
  }
  av_frame_unref(&frame);
  frame.format = enc.sample_fmt;
  frame.sample_rate = enc.sample_rate;
  CheckAv(av_channel_layout_copy(&frame.ch_layout, &enc.ch_layout), "av_channel_layout_copy");
  frame.nb_samples = std::max(count, 1);
  if (av_frame_get_buffer(&frame, 0) < 0) throw FFmpegException("Out of memory in do_audio_out");
}

}  // namespace

void TTranscodeRun::AudioOut(TOutputStream& ost, const AVFrame& samples, int64_t ptsUs) {
  TAudioOut& audio = *ost.audio;
  AVCodecContext& enc = *ost.encoder;
  if (samples.sample_rate <= 0 || samples.nb_samples <= 0) return;
  const int64_t endUs = EndUs();
  const int64_t durationUs = int64_t{samples.nb_samples} * AV_TIME_BASE / samples.sample_rate;
  if (ptsUs + durationUs <= StartUs() || ptsUs >= endUs) return;
  // Samples outside the window from the start to the end time are cut off exactly.
  int skip = ptsUs < StartUs() ? static_cast<int>(av_rescale(StartUs() - ptsUs, samples.sample_rate, AV_TIME_BASE)) : 0;
  int count = samples.nb_samples - skip;
  if (endUs != INT64_MAX && ptsUs + durationUs > endUs)
    count -= static_cast<int>(av_rescale(ptsUs + durationUs - endUs, samples.sample_rate, AV_TIME_BASE));
  if (count <= 0) return;
  if (!ResamplerFits(audio, samples)) MakeResampler(audio, samples, enc, env_.settings.audioVolume);

  // Where the first kept sample belongs on the output time line, in encoder samples.
  const int64_t keptUs = ptsUs + av_rescale(skip, AV_TIME_BASE, samples.sample_rate) - StartUs();
  const int64_t expected = av_rescale(keptUs, enc.sample_rate, AV_TIME_BASE);
  const int waiting = av_audio_fifo_size(audio.fifo.get());
  const int64_t delta = expected - (audio.syncPos + waiting);
  const int method = env_.settings.audioSync;
  int silence = 0;
  if (method != 0) {
    if (std::llabs(delta) > 50) {
      if (audio.atStart || std::llabs(delta) > enc.sample_rate * env_.settings.audioDriftThreshold) {
        if (delta < 0) {
          const int drop = static_cast<int>(av_rescale(-delta, samples.sample_rate, enc.sample_rate));
          if (env_.settings.verbose > 2) av_log(nullptr, AV_LOG_VERBOSE, "discarding %d audio samples\n", drop);
          skip += drop;
          count -= drop;
          if (count <= 0) return;
        } else {
          silence = static_cast<int>(delta);
          if (env_.settings.verbose > 2) av_log(nullptr, AV_LOG_VERBOSE, "adding %d audio samples of silence\n", silence);
        }
      } else if (method >= 2) {
        const int compensation = static_cast<int>(std::clamp<int64_t>(delta, -method, method));
        if (env_.settings.verbose > 2)
          av_log(nullptr, AV_LOG_VERBOSE, "compensating audio timestamp drift:%f compensation:%d in:%d\n",
                 static_cast<double>(delta) / enc.sample_rate, compensation, enc.sample_rate);
        swr_set_compensation(audio.resampler.get(), compensation, enc.sample_rate);
      }
    }
    audio.atStart = false;
  } else if (std::llabs(delta) > 50 || audio.atStart) {
    // Follow the input's time line, but never backwards: the muxer wants rising times.
    audio.syncPos = std::max(audio.atStart ? expected - waiting : audio.syncPos, expected - waiting);
    audio.atStart = false;
  }

  const int bytesPerSample = av_get_bytes_per_sample(static_cast<AVSampleFormat>(samples.format));
  const bool planar = av_sample_fmt_is_planar(static_cast<AVSampleFormat>(samples.format));
  const int channels = samples.ch_layout.nb_channels;
  std::array<const uint8_t*, 64> input{};
  const int planes = planar ? std::min(channels, static_cast<int>(input.size())) : 1;
  for (int p = 0; p < planes; ++p)
    input[p] = samples.extended_data[p] + static_cast<size_t>(skip) * bytesPerSample * (planar ? 1 : channels);

  const int room = swr_get_out_samples(audio.resampler.get(), count) + silence;
  Reserve(*audio.converted, enc, room);
  AVFrame& converted = *audio.converted;
  if (silence > 0)
    av_samples_set_silence(converted.extended_data, 0, silence, enc.ch_layout.nb_channels, enc.sample_fmt);
  std::array<uint8_t*, 64> output{};
  const bool outPlanar = av_sample_fmt_is_planar(enc.sample_fmt);
  const int outPlanes = outPlanar ? std::min(enc.ch_layout.nb_channels, static_cast<int>(output.size())) : 1;
  const int outBytes = av_get_bytes_per_sample(enc.sample_fmt) * (outPlanar ? 1 : enc.ch_layout.nb_channels);
  for (int p = 0; p < outPlanes; ++p) output[p] = converted.extended_data[p] + static_cast<size_t>(silence) * outBytes;
  const int made = swr_convert(audio.resampler.get(), output.data(), room - silence, input.data(), count);
  if (made < 0) {
    if (env_.settings.exitOnError) throw FFmpegException("av_audio_convert() failed");
    av_log(nullptr, AV_LOG_ERROR, "av_audio_convert() failed\n");
    return;
  }
  if (av_audio_fifo_write(audio.fifo.get(), reinterpret_cast<void**>(converted.extended_data), silence + made) < 0)
    throw FFmpegException("av_fifo_realloc2() failed");
  EncodeAudioFrames(ost, false);
}

void TTranscodeRun::EncodeAudioFrames(TOutputStream& ost, bool flushing) {
  TAudioOut& audio = *ost.audio;
  AVCodecContext& enc = *ost.encoder;
  const bool variable = (ost.codec->capabilities & AV_CODEC_CAP_VARIABLE_FRAME_SIZE) || enc.frame_size <= 1;
  const int frameSize = variable ? 4096 : enc.frame_size;
  const bool shortLastFrame = variable || (ost.codec->capabilities & AV_CODEC_CAP_SMALL_LAST_FRAME);
  AVFrame& frame = *audio.frame;
  for (;;) {
    if (ost.framesWritten >= env_.settings.maxAudioFrames) return;
    const int waiting = av_audio_fifo_size(audio.fifo.get());
    if (waiting == 0 || (waiting < frameSize && !flushing && !variable)) return;
    const int count = std::min(waiting, frameSize);
    Reserve(frame, enc, frameSize);
    if (av_audio_fifo_read(audio.fifo.get(), reinterpret_cast<void**>(frame.extended_data), count) < count)
      throw FFmpegException("Audio encoding failed");
    frame.nb_samples = count;
    if (count < frameSize && !shortLastFrame) {
      av_samples_set_silence(frame.extended_data, count, frameSize - count, enc.ch_layout.nb_channels, enc.sample_fmt);
      frame.nb_samples = frameSize;
    }
    frame.pts = audio.syncPos;
    if (avcodec_send_frame(&enc, &frame) < 0) throw FFmpegException("Audio encoding failed");
    frame.nb_samples = frameSize;  // the buffer's size, for the next Reserve
    DrainEncoder(ost);
    audio.syncPos += count;
    ++ost.framesWritten;
  }
}

void TTranscodeRun::FlushAudio(TOutputStream& ost) {
  EncodeAudioFrames(ost, true);
  if (avcodec_send_frame(ost.encoder.get(), nullptr) < 0) throw FFmpegException("Audio encoding failed");
  DrainEncoder(ost);
}

}  // namespace kx
