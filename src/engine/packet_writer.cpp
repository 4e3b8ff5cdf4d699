// Encoded and copied packets to the muxer: the stream's bitstream filters,
// byte counters, pass-1 statistics and the interleaved write. Worker thread.
extern "C" {
#include <libavcodec/bsf.h>
#include <libavutil/intreadwrite.h>
}

#include <functional>

#include "engine/ffmpeg_exception.h"
#include "engine/transcode_run.h"

namespace kx {

void TTranscodeRun::DrainEncoder(TOutputStream& ost) {
  AVCodecContext& enc = *ost.encoder;
  AVPacket& packet = *encoded_;
  for (;;) {
    const int received = avcodec_receive_packet(&enc, &packet);
    if (received == AVERROR_EOF) {
      // Some encoders give their statistics only once drained; others still
      // hold the line of their last packet, which is written already.
      if (ost.passLog != nullptr && enc.stats_out != nullptr && ost.passStatsWritten != enc.stats_out)
        std::fputs(enc.stats_out, ost.passLog);
      return;
    }
    if (received == AVERROR(EAGAIN)) return;
    if (received < 0)
      throw FFmpegException(ost.type == AVMEDIA_TYPE_VIDEO ? "Video encoding failed" : "Audio encoding failed");
    if (ost.type == AVMEDIA_TYPE_VIDEO) {
      videoBytes_ += packet.size;
      size_t size = 0;
      if (const uint8_t* stats = av_packet_get_side_data(&packet, AV_PKT_DATA_QUALITY_STATS, &size); size >= 4)
        ost.lastQuality = static_cast<float>(AV_RL32(stats)) / FF_QP2LAMBDA;
    } else {
      audioBytes_ += packet.size;
    }
    if (ost.passLog != nullptr && enc.stats_out != nullptr) {
      std::fputs(enc.stats_out, ost.passLog);
      ost.passStatsWritten = enc.stats_out;
    }
    packet.stream_index = ost.stream->index;
    av_packet_rescale_ts(&packet, enc.time_base, ost.stream->time_base);
    packet.time_base = ost.stream->time_base;
    WritePacket(ost, packet);
  }
}

void TTranscodeRun::WritePacket(TOutputStream& ost, AVPacket& packet) {
  if (ost.bitstreamFilters.empty()) return WriteFiltered(ost, packet);
  // The chain passes each packet on as far as it goes; filters may hold some back.
  const auto fail = [&](const AVBSFContext& filter, int error) {
    const std::string text = AvErrorText(std::string(filter.filter->name) + " failed for stream " +
                                             std::to_string(ost.stream->index) + ", codec " +
                                             (ost.streamCopy ? "copy" : avcodec_get_name(ost.stream->codecpar->codec_id)),
                                         error);
    if (env_.settings.exitOnError) throw FFmpegException(text);
    av_log(nullptr, AV_LOG_ERROR, "%s\n", text.c_str());
  };
  const std::function<void(size_t, AVPacket*)> feed = [&](size_t index, AVPacket* input) {
    if (index == ost.bitstreamFilters.size()) return WriteFiltered(ost, *input);
    AVBSFContext& filter = *ost.bitstreamFilters[index];
    if (const int sent = av_bsf_send_packet(&filter, input); sent < 0) return fail(filter, sent);
    PacketPtr output = NewPacket();
    for (;;) {
      const int received = av_bsf_receive_packet(&filter, output.get());
      if (received == AVERROR(EAGAIN) || received == AVERROR_EOF) return;
      if (received < 0) return fail(filter, received);
      feed(index + 1, output.get());
    }
  };
  feed(0, &packet);
}

void TTranscodeRun::WriteFiltered(TOutputStream& ost, AVPacket& packet) {
  if (packet.pts != AV_NOPTS_VALUE) {
    const int64_t ptsUs = av_rescale_q(packet.pts, ost.stream->time_base, AV_TIME_BASE_Q);
    if (ost.lastPtsUs == AV_NOPTS_VALUE || ptsUs > ost.lastPtsUs) ost.lastPtsUs = ptsUs;
  }
  AVFormatContext* ctx = env_.outputs[ost.fileIndex]->ctx.get();
  const int written = av_interleaved_write_frame(ctx, &packet);
  if (written < 0) throw FFmpegException(AvErrorText("av_interleaved_write_frame()", written));
}

}  // namespace kx
