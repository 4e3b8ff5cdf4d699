// Decoded pictures to the video encoder: subtitle burning and the frame
// hook on the decoded picture, the filter graph, frame-rate sync by
// duplicating or dropping, encoding and preview offers. Worker thread.
#include <cmath>

extern "C" {
#include <libavutil/pixdesc.h>
#include <libavutil/time.h>
}

#include "engine/ffmpeg_exception.h"
#include "engine/preview_lock.h"
#include "engine/subtitle_burner.h"
#include "engine/transcode_run.h"
#include "engine/video_out.h"

namespace kx {

AVFrame* TTranscodeRun::WritablePicture(const AVFrame& picture) {
  AVFrame& out = *writable_;
  picturePool_.Get(out, picture.width, picture.height, static_cast<AVPixelFormat>(picture.format));
  CheckAv(av_frame_copy_props(&out, &picture), "av_frame_copy_props");
  return &out;
}

void TTranscodeRun::PreprocessPicture(TInputStream& ist, AVFrame*& picture, int64_t ptsUs) {
  if (ist.burnSource >= 0) {
    TSubtitleBurner& burner = *inputStreams_[ist.burnSource].burner;
    if (burner.Shows(ptsUs)) {
      AVFrame* copy = WritablePicture(*picture);
      CheckAv(av_frame_copy(copy, picture), "av_frame_copy");
      picture = copy;
      burner.BurnInto(*picture, ptsUs);
    }
  }
  if (hookActive_) CallHook(picture, ptsUs);
}

void TTranscodeRun::CallHook(AVFrame*& picture, int64_t ptsUs) {
  if (!hookConverter_.ToBitmap(*picture, hookBitmap_)) {
    av_log(nullptr, AV_LOG_ERROR, "Cannot initialize the toRGB conversion context\n");
    hookActive_ = false;
    return;
  }
  hookInfo_.Bitmap = &hookBitmap_;
  hookInfo_.FrameNumber = decodedPictures_;
  hookInfo_.PTS = ptsUs;
  hookInfo_.Update = true;
  hookInfo_.StopHook = false;
  try {
    callbacks_.customHook(hookInfo_);
  } catch (const std::exception& error) {
    av_log(nullptr, AV_LOG_ERROR, "Error occurs OnCustomHook: %s\n", error.what());
    hookInfo_.Update = false;
  }
  if (hookInfo_.StopHook) hookActive_ = false;
  if (!hookInfo_.Update) return;
  // The bitmap covers every pixel: no copy of the decoded picture is needed.
  AVFrame* target = picture == writable_.get() ? picture : WritablePicture(*picture);
  if (!hookConverter_.FromBitmap(hookBitmap_, *target)) {
    av_log(nullptr, AV_LOG_ERROR, "Cannot initialize the fromRGB conversion context\n");
    hookActive_ = false;
    return;
  }
  picture = target;
}

void TTranscodeRun::VideoOut(TOutputStream& ost, AVFrame* picture, TRunControl& control) {
  TVideoOut& video = *ost.video;
  if (video.graph.Differs(*picture)) {
    const TInputStream& ist = inputStreams_[ost.source];
    const char* format = av_get_pix_fmt_name(static_cast<AVPixelFormat>(picture->format));
    av_log(nullptr, AV_LOG_QUIET, "Input Stream #%d.%d frame size changed to %dx%d, %s\n", ist.fileIndex,
           ist.stream->index, picture->width, picture->height, format != nullptr ? format : "none");
    // The pictures the old graph holds back belong before this one.
    video.graph.PushEnd();
    EncodeFiltered(ost, control);
    video.graph.Build(video.spec, picture->width, picture->height, static_cast<AVPixelFormat>(picture->format),
                      picture->sample_aspect_ratio);
  }
  video.graph.Push(*picture);
  EncodeFiltered(ost, control);
}

void TTranscodeRun::EncodeFiltered(TOutputStream& ost, TRunControl& control) {
  AVFrame& filtered = *ost.video->filtered;
  while (ost.video->graph.Pull(filtered)) {
    EncodeVideo(ost, &filtered, filtered.pts, control);
    av_frame_unref(&filtered);
  }
}

void TTranscodeRun::EncodeVideo(TOutputStream& ost, AVFrame* picture, int64_t srcUs, TRunControl& control) {
  TVideoOut& video = *ost.video;
  AVCodecContext& enc = *ost.encoder;
  const int sync = env_.settings.videoSync;
  const double position = (srcUs - StartUs()) / 1e6 / av_q2d(enc.time_base);
  int64_t frames = 1;
  if (sync != 0) {
    const double delta = position - video.syncPos;
    const bool variableRate =
        sync == 2 || (sync < 0 && (env_.outputs[ost.fileIndex]->ctx->oformat->flags & AVFMT_VARIABLE_FPS));
    if (delta < -1.1) {
      frames = 0;
    } else if (variableRate) {
      if (delta <= -0.6)
        frames = 0;
      else if (delta > 0.6)
        video.syncPos = std::llrint(position);
    } else if (delta > 1.1) {
      frames = std::llrint(delta);
    }
    if (frames == 0) {
      ++dropped_;
      dupDropChanged_ = true;
      if (env_.settings.verbose > 2) av_log(nullptr, AV_LOG_VERBOSE, "*** drop!\n");
    } else if (frames > 1) {
      duplicated_ += static_cast<int>(frames - 1);
      dupDropChanged_ = true;
      if (env_.settings.verbose > 2) av_log(nullptr, AV_LOG_VERBOSE, "*** %d dup!\n", static_cast<int>(frames - 1));
    }
  } else {
    video.syncPos = std::llrint(position);
  }
  frames = std::min<int64_t>(frames, env_.settings.maxVideoFrames - ost.framesWritten);
  picture->pict_type = AV_PICTURE_TYPE_NONE;
  picture->sample_aspect_ratio = enc.sample_aspect_ratio;
  if (env_.settings.topFieldFirst >= 0) picture->top_field_first = env_.settings.topFieldFirst;
  if (enc.flags & AV_CODEC_FLAG_QSCALE) picture->quality = enc.global_quality;
  for (int64_t i = 0; i < frames; ++i) {
    if (i > 0 && control.CheckPoint()) return;
    picture->pts = video.syncPos;
    OfferPreview(*picture, av_rescale_q(video.syncPos, enc.time_base, AV_TIME_BASE_Q));
    if (avcodec_send_frame(&enc, picture) < 0) throw FFmpegException("Video encoding failed");
    DrainEncoder(ost);
    ++video.syncPos;
    ++ost.framesWritten;
  }
}

void TTranscodeRun::OfferPreview(const AVFrame& picture, int64_t ptsUs) {
  if (env_.previewFlags.load() == 0) return;
  const int64_t now = av_gettime_relative();
  if (previewOffered_ && now - lastPreviewUs_ <= 100000) return;
  lastPreviewUs_ = now;
  previewOffered_ = true;
  // The lock covers the flags and the conversion, never the callback: the
  // owner takes it on the main thread while a callback may wait for that thread.
  int flags = 0;
  {
    std::lock_guard lock(PreviewLock());
    flags = env_.previewFlags.load();
    const int wanted = (flags & kPreviewBitmapFlag) && callbacks_.previewBitmap ? kPreviewBitmapFlag
                       : (flags & kPreviewWindowFlag)                          ? kPreviewWindowFlag
                                                                               : 0;
    if (wanted == 0) return;
    if (!previewConverter_.ToBitmap(picture, previewBitmap_)) {
      av_log(nullptr, AV_LOG_ERROR, "Cannot initialize the toRGB conversion context\n");
      env_.previewFlags.fetch_and(~wanted);
      return;
    }
    flags = wanted;
  }
  if (flags == kPreviewBitmapFlag) {
    callbacks_.previewBitmap(previewBitmap_, ptsUs, decodedPictures_);
  } else if (!callbacks_.previewWindow || !callbacks_.previewWindow(previewBitmap_, ptsUs, decodedPictures_)) {
    std::lock_guard lock(PreviewLock());
    env_.previewFlags.fetch_and(~kPreviewWindowFlag);
  }
}

void TTranscodeRun::FlushVideo(TOutputStream& ost, TRunControl& control) {
  ost.video->graph.PushEnd();
  EncodeFiltered(ost, control);
  if (avcodec_send_frame(ost.encoder.get(), nullptr) < 0) throw FFmpegException("Video encoding failed");
  DrainEncoder(ost);
}

}  // namespace kx
