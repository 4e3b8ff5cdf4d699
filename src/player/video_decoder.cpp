#include "player/video_decoder.h"

#include "engine/ffmpeg_logger.h"

namespace kx {

TVideoDecoder::TVideoDecoder(AVCodecContext& decoder, AVStream& stream, TPacketQueue& packets,
                             TPictureQueue& pictures, Hook hook, Queued queued)
    : decoder_(decoder),
      stream_(stream),
      packets_(packets),
      pictures_(pictures),
      hook_(std::move(hook)),
      queued_(std::move(queued)),
      thread_([this] { Run(); }) {}

TVideoDecoder::~TVideoDecoder() { thread_.join(); }

void TVideoDecoder::Run() {
  int serial = 0;
  TQueuedPacket entry;
  while (packets_.Get(entry, true) == TQueueGet::Got) {
    switch (entry.kind) {
      case TPacketKind::Flush:
        avcodec_flush_buffers(&decoder_);
        serial = entry.serial;
        drained_ = false;
        continue;
      case TPacketKind::End:
        avcodec_send_packet(&decoder_, nullptr);
        if (!ReceivePictures(serial)) return;
        // Ready for more input after a seek back from the end.
        avcodec_flush_buffers(&decoder_);
        drained_ = true;
        continue;
      case TPacketKind::Data:
        if (avcodec_send_packet(&decoder_, entry.packet.get()) < 0)
          FFLogger().Log(TLogLevel::llInfo, "video decoding failed on a packet; it is skipped");
        if (!ReceivePictures(serial)) return;
        continue;
    }
  }
}

bool TVideoDecoder::ReceivePictures(int serial) {
  while (avcodec_receive_frame(&decoder_, frame_.get()) == 0) {
    TPictureSlot* slot = pictures_.BeginWrite();
    if (!slot) return false;
    // A picture without a time (delayed pictures at the end often are) takes
    // the video clock: the time after the previous picture.
    const std::int64_t pts = frame_->best_effort_timestamp;
    slot->ptsSec = pts == AV_NOPTS_VALUE ? videoClockSec_ : pts * av_q2d(stream_.time_base);
    const AVRational rate = av_guess_frame_rate(nullptr, &stream_, frame_.get());
    const double frameSec = rate.num > 0 ? av_q2d(av_inv_q(rate)) : 0.04;
    videoClockSec_ = slot->ptsSec + frameSec * (1 + 0.5 * frame_->repeat_pict);
    const AVRational sar = av_guess_sample_aspect_ratio(nullptr, &stream_, frame_.get());
    slot->aspect = (sar.num > 0 ? av_q2d(sar) : 1.0) * frame_->width / frame_->height;
    slot->serial = serial;
    const bool converted = converter_.ToBitmap(*frame_, slot->picture);
    av_frame_unref(frame_.get());
    if (!converted) continue;
    if (hook_) hook_(slot->picture, slot->ptsSec);
    pictures_.EndWrite();
    if (queued_) queued_(serial);
  }
  return true;
}

}  // namespace kx
