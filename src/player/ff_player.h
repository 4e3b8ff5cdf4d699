#pragma once
// TFFPlayer: plays a media file, or a DVD title through "opendvd:", onto the
// owner's TVideoSurface and the sound device, and tells the owner the size
// and duration when the file opens, the position while it plays and every
// change of state. Operations are called on one thread (the main thread);
// OnFileOpen runs inside Open, OnPosition and OnState on the main thread
// through the main-thread call queue (or on the player's event thread when
// TriggerEventInMainThread is off), OnHook on the video decoding thread.
// Assign the handlers before Open.
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>

#include "engine/av_probe.h"
#include "player/audio_output.h"
#include "player/player_event_queue.h"
#include "player/player_types.h"
#include "player/video_surface.h"

namespace kx {

class TPlaybackContext;

class TFFPlayer {
 public:
  TFFPlayer();
  // Stops playback and waits for it.
  ~TFFPlayer();
  TFFPlayer(const TFFPlayer&) = delete;
  TFFPlayer& operator=(const TFFPlayer&) = delete;

  bool LoadAVLib(const std::string& folder);
  bool AVLibLoaded() const;

  // Stops what plays, then opens FileName onto `surface` (null: nothing is
  // drawn). With StartPaused the first picture is shown and psPause follows.
  // False with LastErrMsg; a failed Open leaves nothing running.
  bool Open(const std::string& FileName, TVideoSurface* surface, bool StartPaused);
  // With WaitForEnd returns when every thread of the playback has ended and
  // psStop has been delivered; without it returns at once.
  void Stop(bool WaitForEnd);
  void Pause();
  void Resume();
  // Shows one more picture, then pauses.
  void Step();
  // Position in µs from the start (limited to the duration), or a byte
  // offset with sfByte. A seek asked while another is pending is ignored.
  // WaitForSeekEnd returns when a picture from the new place was decoded.
  void Seek(std::int64_t Position, int SeekFlags, bool WaitForSeekEnd);
  // True when nothing plays or the playback is paused.
  bool Paused() const;
  // The picture shown last, at the decoder's size; its time in µs from the
  // start, or -1 (and an empty bitmap) without video.
  std::int64_t CurrentFrame(TBitmap& picture);

  TAVProbe& Probe() { return probe_; }
  const std::string& LastErrMsg() const { return lastErrMsg_; }

  // > 0 forces the display aspect, 0 takes the stream's, < 0 fills the surface.
  void SetAspectRatio(float ratio) { aspectRatio_ = ratio; }
  float AspectRatio() const { return aspectRatio_; }
  void SetAudioVolume(int volume);  // 0 … 128, at once
  int AudioVolume() const { return audio_.volume; }
  void SetMute(bool mute) { audio_.mute = mute; }
  bool Mute() const { return audio_.mute; }
  void SetHook(bool hook) { hook_ = hook; }
  bool Hook() const { return hook_; }

  // Read by Open.
  bool DisableAudio = false;
  bool DisableVideo = false;
  bool DisableDisplay = false;  // Open then also sets DisableVideo
  bool TriggerEventInMainThread = true;
  // The surface size the owner uses; OnFileOpen may set it.
  int ScreenWidth = 0;
  int ScreenHeight = 0;

  TFileOpenEvent OnFileOpen;
  TPositionEvent OnPosition;
  TPlayStateEvent OnState;
  THookEvent OnHook;

 private:
  // Display thread.
  void ReportPosition(std::int64_t positionUs);
  // Any thread.
  void ReportState(TPlayState state);
  void RunHook(TBitmap& picture, std::int64_t ptsUs);
  void EventLoop();  // event thread
  // Runs an owner's handler where it belongs; its exception is logged.
  void Deliver(const char* eventName, const std::function<void()>& call);
  // Caller's thread: ends and frees the playback after a stop request.
  void Teardown();

  std::unique_ptr<TPlaybackContext> context_;
  std::thread eventThread_;
  std::atomic<bool> eventsDone_{true};
  TPlayerEventQueue events_;
  TAVProbe probe_;
  std::string lastErrMsg_;
  TAudioControls audio_;
  std::atomic<float> aspectRatio_{0};
  std::atomic<bool> hook_{false};
  bool stepping_ = false;
  std::int64_t durationUs_ = -1;
  // Display thread only; reset at every Open.
  std::int64_t lastReportedUs_ = -1;
  bool reportedAny_ = false;
};

}  // namespace kx
