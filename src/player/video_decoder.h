#pragma once
// The video decoding thread: packets from the video queue become 24-bit
// pictures in the picture queue, each handed to the hook first.
#include <atomic>
#include <functional>
#include <thread>

#include "engine/av_holders.h"

extern "C" {
#include <libavformat/avformat.h>
}
#include "engine/bgr_converter.h"
#include "player/packet_queue.h"
#include "player/picture_queue.h"

namespace kx {

class TVideoDecoder {
 public:
  // Video decoding thread; `pts` in the stream's seconds. Draws on the picture.
  using Hook = std::function<void(TBitmap& picture, double ptsSec)>;
  // Video decoding thread, after each queued picture.
  using Queued = std::function<void(int serial)>;

  // Starts the thread. Everything passed in must outlive this object.
  TVideoDecoder(AVCodecContext& decoder, AVStream& stream, TPacketQueue& packets, TPictureQueue& pictures, Hook hook,
                Queued queued);
  // Aborts nothing itself: abort both queues first, then this joins.
  ~TVideoDecoder();
  TVideoDecoder(const TVideoDecoder&) = delete;
  TVideoDecoder& operator=(const TVideoDecoder&) = delete;

  // True once the decoder has given out every picture before an End marker.
  bool Drained() const { return drained_; }

 private:
  void Run();
  // False once the picture queue is aborted.
  bool ReceivePictures(int serial);

  AVCodecContext& decoder_;
  AVStream& stream_;
  TPacketQueue& packets_;
  TPictureQueue& pictures_;
  const Hook hook_;
  const Queued queued_;
  FramePtr frame_ = NewFrame();
  TBgrConverter converter_;
  double videoClockSec_ = 0;  // when the next picture is due, in the stream's seconds
  std::atomic<bool> drained_{false};
  std::thread thread_;
};

}  // namespace kx
