#pragma once
// One open file being played: the input and its decoders, the packet
// queues, the read thread, the video decoding thread, the sound device and
// the display thread that times pictures against the audio clock (the
// master clock whenever an audio stream is open). Built on the caller's
// thread by the constructor, which throws FFmpegException with the text the
// player keeps as LastErrMsg; the destructor stops and joins every thread.
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "engine/av_holders.h"

extern "C" {
#include <libavformat/avformat.h>
}
#include "player/audio_output.h"
#include "player/packet_queue.h"
#include "player/picture_queue.h"
#include "player/player_types.h"
#include "player/video_decoder.h"
#include "player/video_surface.h"

namespace kx {

struct TPlaybackSetup {
  bool disableAudio = false;
  bool disableVideo = false;
  bool startPaused = false;
  TVideoSurface* surface = nullptr;  // may be null: pictures are timed but not shown
  const TAudioControls* audio = nullptr;
  const std::atomic<float>* aspectRatio = nullptr;  // the player's AspectRatio property
  // Display thread: positions in µs from the start, and the states psPlay,
  // psPause (first picture of a paused start), psEnd and, last of all, psStop.
  std::function<void(std::int64_t positionUs)> position;
  std::function<void(TPlayState state)> state;
  // Video decoding thread; empty when no hook is wanted.
  std::function<void(TBitmap& picture, std::int64_t ptsUs)> hook;
};

class TPlaybackContext {
 public:
  TPlaybackContext(const std::string& fileName, TPlaybackSetup setup);
  ~TPlaybackContext();
  TPlaybackContext(const TPlaybackContext&) = delete;
  TPlaybackContext& operator=(const TPlaybackContext&) = delete;

  // Starts the threads; called once, after the owner has been told of the open file.
  void Start();
  // Any thread: the display thread reports psStop and ends; returns at once.
  void RequestStop();
  bool Ended() const { return ended_; }

  // Caller's thread (pausing) — the display stops advancing and the sound stops.
  void SetPaused(bool paused);
  bool Paused() const { return paused_; }
  // The display shows one more picture, then pauses.
  void StepOnce();

  // False when another seek is still pending. `target` as the demuxer takes it.
  bool RequestSeek(std::int64_t target, int flags);
  // The seek is done and, with video, a picture from the new place was decoded.
  bool SeekSettled() const;

  AVFormatContext* Input() const { return input_.get(); }
  std::int64_t StartUs() const { return startUs_; }
  std::int64_t DurationUs() const { return durationUs_; }
  bool HasVideo() const { return videoCodec_ != nullptr; }
  int FrameWidth() const;
  int FrameHeight() const;
  // Copies the picture shown last (black before the first); its time in µs
  // from the start, or -1 without video.
  std::int64_t CurrentFrame(TBitmap& picture) const;

 private:
  struct InputClose {
    void operator()(AVFormatContext* ctx) const;
  };
  struct DecoderClose {
    void operator()(AVCodecContext* ctx) const;
  };
  using DecoderPtr = std::unique_ptr<AVCodecContext, DecoderClose>;

  DecoderPtr OpenDecoder(int streamIndex);
  void ReadLoop();       // read thread
  void PerformSeek();    // read thread
  bool QueuesFull() const;
  void DisplayLoop();    // display thread
  // Display thread: shows what is due; answers how long it may sleep.
  double Refresh();
  double TargetOf(TPictureSlot& slot, double now);
  void Show(const TPictureSlot& slot, double now);
  void ReportPosition();
  bool AtEnd();
  std::int64_t ToUs(double sec) const;

  TPlaybackSetup setup_;
  std::string fileName_;
  std::unique_ptr<AVFormatContext, InputClose> input_;
  std::int64_t startUs_ = 0;
  std::int64_t durationUs_ = -1;
  int audioIndex_ = -1;
  int videoIndex_ = -1;
  DecoderPtr audioCodec_;
  DecoderPtr videoCodec_;
  TPacketQueue audioPackets_;
  TPacketQueue videoPackets_;
  TPictureQueue pictures_;
  std::unique_ptr<TAudioOutput> audio_;
  std::unique_ptr<TVideoDecoder> videoDecoder_;

  std::atomic<bool> abort_{false};
  std::atomic<bool> ended_{false};
  std::atomic<bool> paused_{false};
  std::atomic<bool> stepping_{false};
  std::atomic<bool> showOnce_{false};  // while paused: show the next picture (paused start, seek)
  std::atomic<bool> inputEnded_{false};

  // Seek request, handed from the caller to the read thread.
  std::mutex seekMutex_;
  bool seekPending_ = false;
  std::int64_t seekTarget_ = 0;
  int seekFlags_ = 0;
  std::atomic<int> serial_{0};  // raised by every seek performed
  std::atomic<bool> seekDone_{true};
  std::atomic<int> decodedSerial_{0};  // serial of the last picture decoded

  // Display thread only, but for the shown picture under shownMutex_.
  double frameTimerSec_ = 0;
  double lastPtsSec_ = -1;
  double lastDelaySec_ = 0;
  double pauseStartedSec_ = -1;  // while the display sees the playback paused
  int shownSerial_ = -1;
  bool pauseReportPending_ = false;  // a paused start reports psPause with its first picture
  std::atomic<bool> endReported_{false};
  mutable std::mutex shownMutex_;
  TBitmap shown_;
  double shownPtsSec_ = -1;
  double driftSec_ = 0;  // shown picture's time minus the wall clock when it was shown
  std::mutex wakeMutex_;
  std::condition_variable wake_;

  std::thread readThread_;
  std::thread displayThread_;
};

}  // namespace kx
