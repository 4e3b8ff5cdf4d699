// Progress reports of a run: the TProgressInfo for the owner and the text
// line for the log, every progress interval and once at the end. Worker thread.
#include <cmath>
#include <cstdio>

extern "C" {
#include <libavutil/time.h>
}

#include "engine/transcode_run.h"

namespace kx {

void TTranscodeRun::ReportProgress(int fileIndex, bool final) {
  if (env_.outputs.empty()) return;
  AVIOContext* pb = env_.outputs[0]->ctx->pb;
  int64_t size = pb != nullptr ? avio_size(pb) : 0;
  if (size <= 0 && pb != nullptr) size = avio_tell(pb);
  if (size < 0) size = 0;

  TProgressInfo info;
  info.FileIndex = final ? -1 : fileIndex;
  info.TotalDuration = env_.totalDurationUs;
  const double elapsed = (av_gettime_relative() - startWallUs_) / 1e6;
  const TOutputStream* video = nullptr;
  for (const TOutputStream* ost : outputStreams_)
    if (ost->type == AVMEDIA_TYPE_VIDEO && ost->active) {
      video = ost;
      break;
    }
  if (video != nullptr) {
    if (video->framesWritten < 1 && !final) return;
    info.FrameNumber = static_cast<int>(video->framesWritten);
    info.FPS = elapsed > 1 ? static_cast<int>(info.FrameNumber / elapsed + 0.5) : 0;
    info.Quality = video->streamCopy ? -1.0f : video->lastQuality;
  }
  // Output time: the stream that is furthest behind.
  int64_t reachedUs = INT64_MAX;
  for (const TOutputStream* ost : outputStreams_)
    if (ost->lastPtsUs != AV_NOPTS_VALUE && ost->lastPtsUs > 0) reachedUs = std::min(reachedUs, ost->lastPtsUs);
  if (reachedUs == INT64_MAX) reachedUs = 0;
  const double seconds = std::max(reachedUs / 1e6, 0.01);
  info.CurrentDuration = reachedUs;
  info.CurrentSize = size;
  info.BitRate = static_cast<float>(size * 8 / seconds / 1000);

  char line[1024];
  int length = std::snprintf(line, sizeof line, "frame=%5d fps=%3d q=%3.1f size=%8.0fkB time=%0.2f bitrate=%6.1fkbits/s",
                             std::max(info.FrameNumber, 0), std::max(info.FPS, 0), info.Quality, size / 1024.0,
                             reachedUs / 1e6, info.BitRate);
  if ((duplicated_ != 0 || dropped_ != 0) && length > 0 && length < static_cast<int>(sizeof line))
    std::snprintf(line + length, sizeof line - length, " dup=%d drop=%d", duplicated_, dropped_);
  if (callbacks_.progress) {
    callbacks_.progress(info);
    if (dupDropChanged_) av_log(nullptr, AV_LOG_VERBOSE, "%s\n", line);
  } else if (env_.settings.verbose >= 0) {
    av_log(nullptr, AV_LOG_VERBOSE, "%s\n", line);
  }
  dupDropChanged_ = false;
  if (final && env_.settings.verbose >= 0) {
    const double payload = static_cast<double>(videoBytes_ + audioBytes_ + extraBytes_);
    av_log(nullptr, AV_LOG_INFO, "video:%1.0fkB audio:%1.0fkB global headers:%1.0fkB muxing overhead %f%%\n",
           videoBytes_ / 1024.0, audioBytes_ / 1024.0, extraBytes_ / 1024.0,
           payload > 0 ? (size - payload) * 100.0 / payload : 0.0);
  }
}

}  // namespace kx
