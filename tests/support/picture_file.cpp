#include "support/picture_file.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswscale/swscale.h>
}

#include <memory>
#include <stdexcept>

namespace kx::test {
namespace {

void Check(bool ok, const std::string& what, const std::string& path) {
  if (!ok) throw std::runtime_error(what + " failed for " + path);
}

}  // namespace

RgbPicture ReadPictureFile(const std::string& path) {
  AVFormatContext* rawFormat = nullptr;
  Check(avformat_open_input(&rawFormat, path.c_str(), nullptr, nullptr) == 0, "open", path);
  const std::unique_ptr<AVFormatContext, void (*)(AVFormatContext*)> format(
      rawFormat, [](AVFormatContext* f) { avformat_close_input(&f); });
  Check(avformat_find_stream_info(format.get(), nullptr) >= 0, "stream info", path);
  const int index = av_find_best_stream(format.get(), AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
  Check(index >= 0, "video stream", path);
  const AVCodecParameters* parameters = format->streams[index]->codecpar;
  const AVCodec* codec = avcodec_find_decoder(parameters->codec_id);
  Check(codec != nullptr, "decoder", path);
  const std::unique_ptr<AVCodecContext, void (*)(AVCodecContext*)> decoder(
      avcodec_alloc_context3(codec), [](AVCodecContext* c) { avcodec_free_context(&c); });
  Check(avcodec_parameters_to_context(decoder.get(), parameters) >= 0 && avcodec_open2(decoder.get(), codec, nullptr) == 0,
        "decoder open", path);
  const std::unique_ptr<AVPacket, void (*)(AVPacket*)> packet(av_packet_alloc(), [](AVPacket* p) { av_packet_free(&p); });
  const std::unique_ptr<AVFrame, void (*)(AVFrame*)> frame(av_frame_alloc(), [](AVFrame* f) { av_frame_free(&f); });
  bool decoded = false;
  while (!decoded && av_read_frame(format.get(), packet.get()) >= 0) {
    if (packet->stream_index == index && avcodec_send_packet(decoder.get(), packet.get()) >= 0)
      decoded = avcodec_receive_frame(decoder.get(), frame.get()) >= 0;
    av_packet_unref(packet.get());
  }
  if (!decoded) {
    avcodec_send_packet(decoder.get(), nullptr);
    decoded = avcodec_receive_frame(decoder.get(), frame.get()) >= 0;
  }
  Check(decoded, "decoding", path);

  RgbPicture picture;
  picture.width = frame->width;
  picture.height = frame->height;
  picture.rgb.resize(std::size_t(picture.width) * picture.height * 3);
  const std::unique_ptr<SwsContext, void (*)(SwsContext*)> scaler(
      sws_getContext(frame->width, frame->height, static_cast<AVPixelFormat>(frame->format), frame->width,
                     frame->height, AV_PIX_FMT_RGB24, SWS_POINT, nullptr, nullptr, nullptr),
      sws_freeContext);
  Check(scaler != nullptr, "conversion", path);
  uint8_t* planes[1] = {picture.rgb.data()};
  const int strides[1] = {picture.width * 3};
  sws_scale(scaler.get(), frame->data, frame->linesize, 0, frame->height, planes, strides);
  return picture;
}

}  // namespace kx::test
