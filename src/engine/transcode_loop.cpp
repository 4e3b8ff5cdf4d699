// The packet loop of a run: which input to read next, time-stamp fixes,
// decoding and handing the results to the output stages, end of input and
// join mode. Worker thread.
#include <cinttypes>
#include <cmath>
#include <limits>

extern "C" {
#include <libavutil/time.h>
}

#include "engine/audio_out.h"
#include "engine/ffmpeg_exception.h"
#include "engine/subtitle_burner.h"
#include "engine/transcode_run.h"
#include "engine/video_out.h"

namespace kx {
namespace {

int64_t ToUs(int64_t value, AVRational timeBase) { return av_rescale_q(value, timeBase, AV_TIME_BASE_Q); }

// One picture's duration when the decoder does not tell it.
int64_t FrameDurationUs(const AVStream& stream, int repeat) {
  AVRational rate = stream.avg_frame_rate.num > 0 ? stream.avg_frame_rate : stream.r_frame_rate;
  if (rate.num <= 0 || rate.den <= 0) rate = AVRational{25, 1};
  return av_rescale_q(2 + repeat, av_inv_q(rate), AVRational{1, 2 * AV_TIME_BASE});
}

}  // namespace

int64_t TTranscodeRun::EndUs() const {
  const int64_t recording = env_.settings.recordingTimeUs;
  return recording == INT64_MAX ? INT64_MAX : StartUs() + recording;
}

bool TTranscodeRun::FrameLimitReached(const TOutputStream& ost) const {
  const TPendingSettings& s = env_.settings;
  const int limit = ost.type == AVMEDIA_TYPE_VIDEO   ? s.maxVideoFrames
                    : ost.type == AVMEDIA_TYPE_AUDIO ? s.maxAudioFrames
                                                     : s.maxDataFrames;
  return ost.type != AVMEDIA_TYPE_SUBTITLE && ost.framesWritten >= limit;
}

bool TTranscodeRun::Loop(TRunControl& control) {
  for (;;) {
    if (control.CheckPoint()) return false;
    bool loopEnds = false;
    const int file = ChooseInput(loopEnds);
    if (loopEnds) return true;
    if (file < 0) {
      bool waiting = false;
      for (TInputFileState& state : inputFiles_) {
        waiting = waiting || state.noPacketNow;
        state.noPacketNow = false;
      }
      if (!waiting) return true;
      av_usleep(10000);
      continue;
    }
    if (env_.settings.limitFileSize > 0) {
      AVIOContext* pb = env_.outputs[0]->ctx->pb;
      if (pb != nullptr && avio_tell(pb) > env_.settings.limitFileSize) return true;
    }
    ReadPacket(file, control, loopEnds);
    if (loopEnds) return true;
  }
}

int TTranscodeRun::ChooseInput(bool& loopEnds) {
  if (env_.join) {
    for (const TOutputStream* ost : outputStreams_)
      if (FrameLimitReached(*ost)) loopEnds = true;
    return loopEnds ? -1 : joinInput_;
  }
  double best = std::numeric_limits<double>::max();
  int chosen = -1;
  for (const TOutputStream* ost : outputStreams_) {
    const TInputStream& ist = inputStreams_[ost->source];
    const TInputFileState& file = inputFiles_[ist.fileIndex];
    if (ist.pastRecordingTime || file.endOfFile || file.noPacketNow) continue;
    if (FrameLimitReached(*ost)) {
      loopEnds = true;
      return -1;
    }
    const double inputTime = ist.ptsUs / 1e6;
    const double outputTime = ost->lastPtsUs == AV_NOPTS_VALUE ? 0 : ost->lastPtsUs / 1e6;
    const double key = env_.settings.inputSync ? inputTime : outputTime;
    if (key < best) {
      best = key;
      chosen = ist.fileIndex;
    }
  }
  return chosen;
}

void TTranscodeRun::ReadPacket(int fileIndex, TRunControl& control, bool& loopEnds) {
  AVFormatContext* ctx = env_.inputs[fileIndex].ctx.get();
  TInputFileState& file = inputFiles_[fileIndex];
  AVPacket& packet = *packet_;
  const int read = av_read_frame(ctx, &packet);
  if (read == AVERROR(EAGAIN)) {
    file.noPacketNow = true;
    return;
  }
  if (read < 0) {
    if (read != AVERROR_EOF) av_log(nullptr, AV_LOG_VERBOSE, "%s\n", AvErrorText(env_.outputs.empty() ? "" : ctx->url, read).c_str());
    EndOfInput(fileIndex, loopEnds);
    return;
  }
  for (TInputFileState& state : inputFiles_) state.noPacketNow = false;
  if (env_.settings.dumpPackets)
    av_pkt_dump_log2(nullptr, AV_LOG_DEBUG, &packet, env_.settings.dumpHex, ctx->streams[packet.stream_index]);

  bool decoded = true;
  if (packet.stream_index < file.streamCount) {
    const int index = file.firstStream + packet.stream_index;
    TInputStream& ist = inputStreams_[index];
    if (ist.stream->discard != AVDISCARD_ALL) {
      FixTimestamps(ist, packet);
      if (ist.stream->codecpar->codec_type != AVMEDIA_TYPE_VIDEO && packet.dts != AV_NOPTS_VALUE)
        file.readClockUs = std::max(file.readClockUs, ToUs(packet.dts, ist.stream->time_base));
      const int64_t end = EndUs();
      if (end != INT64_MAX && packet.dts != AV_NOPTS_VALUE && ToUs(packet.dts, ist.stream->time_base) >= end) {
        ist.pastRecordingTime = true;
      } else {
        decoded = OutputPacket(index, &packet, control);
      }
    }
  }
  av_packet_unref(&packet);
  const int64_t now = av_gettime_relative();
  if (decoded && now - lastReportUs_ > env_.progressIntervalUs) {
    ReportProgress(fileIndex, false);
    lastReportUs_ = now;
  }
}

void TTranscodeRun::FixTimestamps(TInputStream& ist, AVPacket& packet) {
  TInputFile& input = env_.inputs[ist.fileIndex];
  const AVRational timeBase = ist.stream->time_base;
  const int64_t offset = av_rescale_q(input.tsOffsetUs, AV_TIME_BASE_Q, timeBase);
  if (packet.dts != AV_NOPTS_VALUE) packet.dts += offset;
  if (packet.pts != AV_NOPTS_VALUE) packet.pts += offset;
  const int index = ist.stream->index;
  if (index < kMaxStreams && input.tsScale[index] != 0) {
    if (packet.dts != AV_NOPTS_VALUE) packet.dts = std::llrint(packet.dts * input.tsScale[index]);
    if (packet.pts != AV_NOPTS_VALUE) packet.pts = std::llrint(packet.pts * input.tsScale[index]);
  }
  if (!(input.ctx->iformat->flags & AVFMT_TS_DISCONT) || packet.dts == AV_NOPTS_VALUE ||
      ist.nextDtsUs == AV_NOPTS_VALUE || env_.settings.copyTs)
    return;
  const int64_t dtsUs = ToUs(packet.dts, timeBase);
  const int64_t delta = dtsUs - ist.nextDtsUs;
  const auto threshold = static_cast<int64_t>(env_.settings.dtsDeltaThreshold * AV_TIME_BASE);
  if (std::llabs(delta) > threshold || dtsUs + 1 < ist.lastDtsUs) {
    input.tsOffsetUs -= delta;
    const int64_t shift = av_rescale_q(delta, AV_TIME_BASE_Q, timeBase);
    packet.dts -= shift;
    if (packet.pts != AV_NOPTS_VALUE) packet.pts -= shift;
    if (env_.settings.verbose >= 3)
      av_log(nullptr, AV_LOG_DEBUG, "timestamp discontinuity %" PRId64 ", new offset= %" PRId64 "\n", delta,
             input.tsOffsetUs);
  }
}

bool TTranscodeRun::OutputPacket(int streamIndex, AVPacket* packet, TRunControl& control) {
  TInputStream& ist = inputStreams_[streamIndex];
  const AVRational timeBase = ist.stream->time_base;
  if (packet != nullptr && packet->dts != AV_NOPTS_VALUE) {
    ist.lastDtsUs = ToUs(packet->dts, timeBase);
    ist.nextDtsUs = ist.lastDtsUs + (packet->duration > 0 ? ToUs(packet->duration, timeBase) : 0);
  }
  if (!ist.decodingNeeded) {
    if (packet == nullptr) return true;
    if (packet->pts != AV_NOPTS_VALUE) ist.ptsUs = ToUs(packet->pts, timeBase);
    else if (packet->dts != AV_NOPTS_VALUE) ist.ptsUs = ist.lastDtsUs;
    if (ist.ptsUs < StartUs()) return true;
    for (TOutputStream* ost : outputStreams_)
      if (ost->source == streamIndex && ost->active && ost->streamCopy) CopyPacket(*ost, ist, *packet);
    return true;
  }
  int result = 0;
  switch (ist.stream->codecpar->codec_type) {
    case AVMEDIA_TYPE_VIDEO: result = DecodeVideo(streamIndex, packet, control); break;
    case AVMEDIA_TYPE_AUDIO: result = DecodeAudio(streamIndex, packet); break;
    case AVMEDIA_TYPE_SUBTITLE: DecodeSubtitle(streamIndex, packet); break;
    default: break;
  }
  if (env_.settings.rateEmu) {
    // Rate emulation: no faster than the input plays.
    const int64_t aheadUs = ist.ptsUs - (av_gettime_relative() - ist.wallStartUs);
    if (aheadUs > 1000) av_usleep(static_cast<unsigned>(aheadUs));
  }
  if (result >= 0) return true;
  const std::string text = "Error while decoding stream #" + std::to_string(ist.fileIndex) + "." +
                           std::to_string(ist.stream->index) + " (" + AvErrorText("", result).substr(2) + ")";
  if (env_.settings.exitOnError) throw FFmpegException(text);
  if (env_.settings.verbose >= 0) av_log(nullptr, AV_LOG_VERBOSE, "%s\n", text.c_str());
  return false;
}

int TTranscodeRun::DecodeVideo(int streamIndex, AVPacket* packet, TRunControl& control) {
  TInputStream& ist = inputStreams_[streamIndex];
  AVCodecContext* decoder = ist.decoder.get();
  const int sent = avcodec_send_packet(decoder, packet);
  if (sent < 0 && sent != AVERROR_EOF && sent != AVERROR(EAGAIN)) return sent;
  AVFrame& frame = *decoded_;
  for (;;) {
    const int received = avcodec_receive_frame(decoder, &frame);
    if (received == AVERROR(EAGAIN) || received == AVERROR_EOF) {
      if (packet == nullptr) ReleaseDelayed(streamIndex, true, control);
      return 0;
    }
    if (received < 0) return received;
    const int64_t ts = frame.best_effort_timestamp;
    const int64_t ptsUs = ts != AV_NOPTS_VALUE ? ToUs(ts, ist.stream->time_base)
                          : ist.nextPtsUs != AV_NOPTS_VALUE ? ist.nextPtsUs : ist.ptsUs;
    ist.ptsUs = ptsUs;
    ist.nextPtsUs = ptsUs + (frame.pkt_duration > 0 ? ToUs(frame.pkt_duration, ist.stream->time_base)
                                                    : FrameDurationUs(*ist.stream, frame.repeat_pict));
    frame.pts = ptsUs;
    if (ist.burnSource < 0) {
      ProcessPicture(streamIndex, frame, control);
      av_frame_unref(&frame);
      continue;
    }
    FramePtr held;
    if (ist.spareFrames.empty()) {
      held = NewFrame();
    } else {
      held = std::move(ist.spareFrames.back());
      ist.spareFrames.pop_back();
    }
    av_frame_move_ref(held.get(), &frame);
    ist.delayed.push_back(std::move(held));
    ReleaseDelayed(streamIndex, false, control);
  }
}

void TTranscodeRun::ReleaseDelayed(int streamIndex, bool all, TRunControl& control) {
  // Subpictures come up to about half a second after their pictures; two
  // seconds of pictures at most are held, so a title without sound still flows.
  constexpr int64_t kSubtitleLeadUs = 200000;
  constexpr size_t kMaxHeld = 50;
  TInputStream& ist = inputStreams_[streamIndex];
  const int64_t clock = inputFiles_[ist.fileIndex].readClockUs;
  while (!ist.delayed.empty() &&
         (all || ist.delayed.size() > kMaxHeld || ist.delayed.front()->pts + kSubtitleLeadUs <= clock)) {
    FramePtr held = std::move(ist.delayed.front());
    ist.delayed.pop_front();
    ProcessPicture(streamIndex, *held, control);
    av_frame_unref(held.get());
    ist.spareFrames.push_back(std::move(held));
  }
}

void TTranscodeRun::ProcessPicture(int streamIndex, AVFrame& decoded, TRunControl& control) {
  ++decodedPictures_;
  const int64_t ptsUs = decoded.pts;
  if (ptsUs < StartUs() || ptsUs >= EndUs()) return;
  AVFrame* picture = &decoded;
  PreprocessPicture(inputStreams_[streamIndex], picture, ptsUs);
  picture->pts = ptsUs;
  for (TOutputStream* ost : outputStreams_)
    if (ost->source == streamIndex && ost->active && ost->encodingNeeded) VideoOut(*ost, picture, control);
}

int TTranscodeRun::DecodeAudio(int streamIndex, AVPacket* packet) {
  TInputStream& ist = inputStreams_[streamIndex];
  AVCodecContext* decoder = ist.decoder.get();
  const int sent = avcodec_send_packet(decoder, packet);
  if (sent < 0 && sent != AVERROR_EOF && sent != AVERROR(EAGAIN)) return sent;
  AVFrame& frame = *decoded_;
  for (;;) {
    const int received = avcodec_receive_frame(decoder, &frame);
    if (received == AVERROR(EAGAIN) || received == AVERROR_EOF) return 0;
    if (received < 0) return received;
    const int64_t ts = frame.best_effort_timestamp;
    const int64_t ptsUs = ts != AV_NOPTS_VALUE ? ToUs(ts, ist.stream->time_base)
                          : ist.nextPtsUs != AV_NOPTS_VALUE ? ist.nextPtsUs : ist.ptsUs;
    ist.ptsUs = ptsUs;
    if (frame.sample_rate > 0) ist.nextPtsUs = ptsUs + int64_t{frame.nb_samples} * AV_TIME_BASE / frame.sample_rate;
    for (TOutputStream* ost : outputStreams_)
      if (ost->source == streamIndex && ost->active && ost->encodingNeeded) AudioOut(*ost, frame, ptsUs);
    av_frame_unref(&frame);
  }
}

void TTranscodeRun::DecodeSubtitle(int streamIndex, AVPacket* packet) {
  TInputStream& ist = inputStreams_[streamIndex];
  if (packet == nullptr) return;
  AVSubtitle subtitle{};
  int got = 0;
  // A subtitle never fails a conversion: a broken one is logged and left out.
  const int used = avcodec_decode_subtitle2(ist.decoder.get(), &subtitle, &got, packet);
  if (used < 0) {
    av_log(nullptr, AV_LOG_ERROR, "%s\n", AvErrorText("Error while decoding subtitle", used).c_str());
    return;
  }
  if (!got) return;
  const int64_t ptsUs = subtitle.pts != AV_NOPTS_VALUE ? subtitle.pts
                        : packet->pts != AV_NOPTS_VALUE ? ToUs(packet->pts, ist.stream->time_base)
                                                         : ist.lastDtsUs;
  ist.ptsUs = ptsUs;
  if (ptsUs >= StartUs() && ptsUs < EndUs())
    for (TOutputStream* ost : outputStreams_)
      if (ost->source == streamIndex && ost->active && ost->encodingNeeded) SubtitleOut(*ost, subtitle, ptsUs);
  if (ist.burner)
    ist.burner->Take(subtitle, ptsUs);
  else
    avsubtitle_free(&subtitle);
}

void TTranscodeRun::CopyPacket(TOutputStream& ost, const TInputStream& ist, const AVPacket& packet) {
  if (ost.waitingForKeyFrame && !(packet.flags & AV_PKT_FLAG_KEY) && !env_.settings.copyInitialNonKeyframes &&
      ost.type != AVMEDIA_TYPE_SUBTITLE)
    return;
  ost.waitingForKeyFrame = false;
  AVPacket& out = *encoded_;
  CheckAv(av_packet_ref(&out, &packet), "av_packet_ref");
  const AVRational from = ist.stream->time_base;
  const AVRational to = ost.stream->time_base;
  const int64_t start = av_rescale_q(StartUs(), AV_TIME_BASE_Q, to);
  out.stream_index = ost.stream->index;
  out.pts = packet.pts != AV_NOPTS_VALUE ? av_rescale_q(packet.pts, from, to) - start : AV_NOPTS_VALUE;
  out.dts = packet.dts != AV_NOPTS_VALUE ? av_rescale_q(packet.dts, from, to) - start
                                         : av_rescale_q(ist.ptsUs, AV_TIME_BASE_Q, to) - start;
  out.duration = av_rescale_q(packet.duration, from, to);
  out.time_base = to;
  if (ost.type == AVMEDIA_TYPE_VIDEO) videoBytes_ += out.size;
  if (ost.type == AVMEDIA_TYPE_AUDIO) audioBytes_ += out.size;
  ++ost.framesWritten;
  WritePacket(ost, out);
}

void TTranscodeRun::EndOfInput(int fileIndex, bool& loopEnds) {
  inputFiles_[fileIndex].endOfFile = true;
  if (!env_.join) {
    if (env_.settings.shortest) loopEnds = true;
    return;
  }
  // Join: this input is drained into the encoders, the next one continues
  // its time line after the last output time this one reached.
  const TInputFileState& file = inputFiles_[fileIndex];
  TRunControl noStop;
  for (int s = file.firstStream; s < file.firstStream + file.streamCount; ++s)
    if (inputStreams_[s].decodingNeeded && !inputStreams_[s].finished) {
      OutputPacket(s, nullptr, noStop);
      inputStreams_[s].finished = true;
    }
  if (fileIndex + 1 >= static_cast<int>(inputFiles_.size())) {
    loopEnds = true;
    return;
  }
  SwitchJoinInput(fileIndex + 1);
}

void TTranscodeRun::SwitchJoinInput(int next) {
  int64_t reachedUs = 0;
  for (const TOutputStream* ost : outputStreams_) {
    int64_t endUs = 0;
    if (ost->video) endUs = av_rescale_q(ost->video->syncPos, ost->encoder->time_base, AV_TIME_BASE_Q);
    else if (ost->audio) endUs = av_rescale_q(ost->audio->syncPos, ost->encoder->time_base, AV_TIME_BASE_Q);
    else if (ost->lastPtsUs != AV_NOPTS_VALUE) endUs = ost->lastPtsUs;
    reachedUs = std::max(reachedUs, endUs);
  }
  env_.inputs[next].tsOffsetUs += reachedUs + StartUs();
  const TInputFileState& file = inputFiles_[next];
  for (TOutputStream* ost : outputStreams_) {
    int source = -1;
    const int best = av_find_best_stream(env_.inputs[next].ctx.get(), ost->type, -1, -1, nullptr, 0);
    if (best >= 0) source = file.firstStream + best;
    if (source < 0 || inputStreams_[source].stream->discard == AVDISCARD_ALL) {
      ost->active = false;
      continue;
    }
    TInputStream& ist = inputStreams_[source];
    ist.unassigned = false;
    ist.decodingNeeded = ist.decodingNeeded || ost->encodingNeeded;
    ost->source = ost->sync = source;
    ost->active = true;
    ost->waitingForKeyFrame = true;
  }
  OpenDecoders();
  joinInput_ = next;
}

void TTranscodeRun::FlushInputs(TRunControl& control) {
  for (size_t i = 0; i < inputStreams_.size(); ++i) {
    TInputStream& ist = inputStreams_[i];
    if (!ist.decodingNeeded || ist.finished || !ist.decoder) continue;
    OutputPacket(static_cast<int>(i), nullptr, control);
    ist.finished = true;
  }
}

void TTranscodeRun::Finish() {
  // A stop still drains what the decoders hold; the pictures are already decoded.
  TRunControl noStop;
  FlushInputs(noStop);
  for (TOutputStream* ost : outputStreams_) {
    if (!ost->encodingNeeded) continue;
    if (ost->type == AVMEDIA_TYPE_VIDEO) FlushVideo(*ost, noStop);
    if (ost->type == AVMEDIA_TYPE_AUDIO) FlushAudio(*ost);
  }
  for (auto& file : env_.outputs) {
    if (!file->headerWritten || file->trailerWritten) continue;
    file->trailerWritten = true;
    CheckAv(av_write_trailer(file->ctx.get()), "av_write_trailer()");
    if (file->ctx->pb != nullptr) {
      avio_flush(file->ctx->pb);
      CheckAv(file->ctx->pb->error, file->name);
    }
  }
  ReportProgress(-1, true);
}

}  // namespace kx
