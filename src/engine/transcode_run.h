#pragma once
// One conversion run of an engine: set-up of streams and codecs, the packet
// loop, flushing and trailers. Everything runs on the thread that calls
// TCustomFFmpeg::Transcode (a task's worker); only the preview flags are
// changed from outside, under the preview lock.
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/av_holders.h"
#include "engine/bgr_converter.h"
#include "engine/custom_ffmpeg.h"
#include "engine/engine_callbacks.h"
#include "engine/picture_pool.h"
#include "engine/run_control.h"
#include "engine/transcode_tables.h"

namespace kx {

// What the run borrows from its engine.
struct TRunEnvironment {
  std::vector<TInputFile>& inputs;
  std::vector<std::unique_ptr<TOutputFile>>& outputs;
  const TPendingSettings& settings;  // run-wide values (times, sync methods, volume, limits)
  const TGenericOptions& generic;
  std::atomic<int>& previewFlags;
  bool join = false;
  int64_t totalDurationUs = -1;
  int64_t progressIntervalUs = 500000;
  bool customHook = false;
  size_t hookLibraryCount = 0;
};

class TTranscodeRun {
 public:
  TTranscodeRun(TRunEnvironment env, const TEngineCallbacks& callbacks);
  ~TTranscodeRun();

  // Stream tables, mapping, codecs, chapters, metadata and headers (run_setup.cpp).
  void BeginRun();
  // The packet loop; false when a stop ended it (transcode_loop.cpp).
  bool Loop(TRunControl& control);
  // Decoders and encoders drained, trailers written, final progress report.
  void Finish();
  // Closes every codec under the codec lock; safe after a failure and twice.
  void CloseCodecs();

 private:
  // run_setup.cpp
  void BuildInputTable();
  void MapStreams();
  void SetUpStreamCopy(TOutputStream& ost, const TInputStream& ist);
  void SetUpEncoding(TOutputStream& ost, TInputStream& ist, int index);
  void OpenEncoder(TOutputStream& ost);
  void OpenDecoders();
  void SetUpTwoPass(TOutputStream& ost, int index);
  void CopyMetadataMaps();
  void CopyChapters();
  void WriteHeaders();
  void LogStreamMapping();
  void SetUpSubtitleBurning();

  // transcode_loop.cpp
  int ChooseInput(bool& loopEnds);
  void ReadPacket(int fileIndex, TRunControl& control, bool& loopEnds);
  bool FrameLimitReached(const TOutputStream& ost) const;
  void SwitchJoinInput(int next);
  void FixTimestamps(TInputStream& ist, AVPacket& packet);
  void EndOfInput(int fileIndex, bool& loopEnds);
  // False when the packet could not be decoded (and "xerror" is off).
  bool OutputPacket(int streamIndex, AVPacket* packet, TRunControl& control);
  int DecodeVideo(int streamIndex, AVPacket* packet, TRunControl& control);
  // Pictures with their time (µs) in pts: subtitle burning, hook, video outputs.
  void ProcessPicture(int streamIndex, AVFrame& picture, TRunControl& control);
  void ReleaseDelayed(int streamIndex, bool all, TRunControl& control);
  int DecodeAudio(int streamIndex, AVPacket* packet);
  void DecodeSubtitle(int streamIndex, AVPacket* packet);
  void CopyPacket(TOutputStream& ost, const TInputStream& ist, const AVPacket& packet);
  void FlushInputs(TRunControl& control);
  int64_t StartUs() const { return env_.settings.startTimeUs; }
  int64_t EndUs() const;

  // video_out.cpp
  void PreprocessPicture(TInputStream& ist, AVFrame*& picture, int64_t ptsUs);
  void CallHook(AVFrame*& picture, int64_t ptsUs);
  void VideoOut(TOutputStream& ost, AVFrame* picture, TRunControl& control);
  // Every picture the filter graph has ready goes to the encoder.
  void EncodeFiltered(TOutputStream& ost, TRunControl& control);
  void EncodeVideo(TOutputStream& ost, AVFrame* picture, int64_t srcUs, TRunControl& control);
  void OfferPreview(const AVFrame& picture, int64_t ptsUs);
  // The filter graph, then the encoder, drained to their last picture.
  void FlushVideo(TOutputStream& ost, TRunControl& control);
  // The kept picture buffer, writable, with the geometry and properties of `picture`.
  AVFrame* WritablePicture(const AVFrame& picture);

  // audio_out.cpp
  void AudioOut(TOutputStream& ost, const AVFrame& samples, int64_t ptsUs);
  void EncodeAudioFrames(TOutputStream& ost, bool flushing);
  void FlushAudio(TOutputStream& ost);

  // subtitle_out.cpp
  void SubtitleOut(TOutputStream& ost, const AVSubtitle& subtitle, int64_t ptsUs);

  // packet_writer.cpp
  // Receives every packet the encoder has ready and writes it.
  void DrainEncoder(TOutputStream& ost);
  void WritePacket(TOutputStream& ost, AVPacket& packet);
  void WriteFiltered(TOutputStream& ost, AVPacket& packet);

  // progress_report.cpp
  void ReportProgress(int fileIndex, bool final);

  TRunEnvironment env_;
  const TEngineCallbacks& callbacks_;
  std::vector<TInputStream> inputStreams_;
  std::vector<TInputFileState> inputFiles_;
  std::vector<TOutputStream*> outputStreams_;  // all output streams, file order then stream order
  int joinInput_ = 0;

  // Kept buffers and converters.
  PacketPtr packet_ = NewPacket();
  PacketPtr encoded_ = NewPacket();
  FramePtr decoded_ = NewFrame();
  FramePtr writable_ = NewFrame();  // decoded picture that the hook or the burner changes
  TPicturePool picturePool_;        // its buffers
  TBgrConverter hookConverter_;
  TBgrConverter previewConverter_;
  TBitmap hookBitmap_;
  TBitmap previewBitmap_;
  THookInfo hookInfo_;
  bool hookActive_ = false;

  // Counters and clocks.
  int decodedPictures_ = 0;
  int64_t videoBytes_ = 0, audioBytes_ = 0, extraBytes_ = 0;
  int duplicated_ = 0, dropped_ = 0;
  bool dupDropChanged_ = false;
  int64_t startWallUs_ = 0;
  int64_t lastReportUs_ = 0;
  int64_t lastPreviewUs_ = 0;
  bool previewOffered_ = false;
};

}  // namespace kx
