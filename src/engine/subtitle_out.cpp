// Decoded subtitles to a subtitle encoder (DVD subpictures drawn again for a
// container that carries them). Worker thread. A subtitle never fails a
// conversion: what cannot be encoded is logged and left out.
#include <vector>

#include "engine/ffmpeg_exception.h"
#include "engine/transcode_run.h"

namespace kx {

void TTranscodeRun::SubtitleOut(TOutputStream& ost, const AVSubtitle& subtitle, int64_t ptsUs) {
  AVCodecContext& enc = *ost.encoder;
  // Large enough for a full-screen subpicture; kept for the run.
  static constexpr int kBufferSize = 1 << 20;
  thread_local std::vector<uint8_t> buffer(kBufferSize);
  AVSubtitle shifted = subtitle;
  shifted.pts = ptsUs - StartUs() + int64_t{subtitle.start_display_time} * 1000;
  shifted.end_display_time -= shifted.start_display_time;
  shifted.start_display_time = 0;
  const int size = avcodec_encode_subtitle(&enc, buffer.data(), kBufferSize, &shifted);
  if (size < 0) {
    av_log(nullptr, AV_LOG_ERROR, "Subtitle encoding failed\n");
    return;
  }
  AVPacket& packet = *encoded_;
  av_packet_unref(&packet);
  if (av_new_packet(&packet, size) < 0) throw FFmpegException("Out of memory");
  std::copy(buffer.begin(), buffer.begin() + size, packet.data);
  packet.stream_index = ost.stream->index;
  packet.pts = packet.dts = av_rescale_q(shifted.pts, AV_TIME_BASE_Q, ost.stream->time_base);
  if (shifted.end_display_time != UINT32_MAX)
    packet.duration = av_rescale_q(shifted.end_display_time, AVRational{1, 1000}, ost.stream->time_base);
  packet.flags |= AV_PKT_FLAG_KEY;
  ++ost.framesWritten;
  WritePacket(ost, packet);
}

}  // namespace kx
