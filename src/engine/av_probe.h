#pragma once
// TAVProbe describes a media input: size, duration, bit rate, metadata, the
// streams per type, a video stream's properties and a readable multi-line
// text. It opens a file itself (and closes it), or is attached to an input
// the player or the encoder opened, which it only reads.
#include <cstdint>
#include <memory>
#include <string>

#include "engine/ffmpeg_logger.h"

extern "C" {
#include <libavformat/avformat.h>
}

namespace kx {

struct TFileStreamInfo {
  std::int64_t StartTime = -1;  // µs; -1 when absent
  std::int64_t Duration = -1;   // µs; -1 when absent
  int BitRate = -1;             // bit/s
  std::int64_t TimeStamp = -1;  // creation time, seconds since 1970-01-01 UTC; 0 when absent
  int Year = -1;
  int Track = -1;
  std::string Title;
  std::string Author;
  std::string Copyright;
  std::string Comment;
  std::string Album;
  std::string Genre;
};

struct TVideoStreamInfo {
  std::string Language;
  std::string CodecName;
  std::int64_t StreamStartTime = -1;  // stream time base; AV_NOPTS_VALUE when absent
  std::int64_t StartTimeUs = -1;      // -1 when absent
  std::int64_t StreamDuration = -1;   // stream time base
  std::int64_t DurationUs = -1;       // -1 when absent
  int BitRate = -1;
  int Height = -1;
  int Width = -1;
  float AspectRatio = -1.0f;  // display aspect: sample aspect x width / height
  int PixelFormat = -1;       // AVPixelFormat
  int FrameRateNum = -1;      // the stream's real frame rate
  int FrameRateDen = -1;
};

// Not thread-safe; an attached probe reads only descriptive fields of an
// input that another thread may be reading packets from.
class TAVProbe {
 public:
  TAVProbe() = default;
  ~TAVProbe();
  TAVProbe(const TAVProbe&) = delete;
  TAVProbe& operator=(const TAVProbe&) = delete;

  // Throws FFmpegException "LibAVCodec not loaded." (and the like) when the
  // media libraries are not loaded. A failure answers false with LastErrMsg.
  bool Open(const std::string& FileName, const std::string& FormatName = std::string());
  // Describes an input opened elsewhere; null detaches. Same library check.
  void Attach(AVFormatContext* input);
  void Close();

  void GetFileStreamInfo(TFileStreamInfo& info);
  // index < 0: the first video stream.
  void GetVideoStreamInfo(int index, TVideoStreamInfo& info);
  bool IsVideoStream(int index);
  // Lines joined by "\n"; empty without an input.
  std::string FileInfoText();

  const std::string& LastErrMsg() const { return lastErrMsg_; }
  const std::string& FormatName() const { return formatName_; }
  std::int64_t FileSize() const { return fileSize_; }
  int StreamCount() const { return streamCount_; }
  int ProgramCount() const { return programCount_; }
  int AudioStreamCount() const { return audioStreamCount_; }
  int VideoStreamCount() const { return videoStreamCount_; }
  int SubtitleStreamCount() const { return subtitleStreamCount_; }
  int FirstAudioStream() const { return firstAudioStream_; }
  int FirstVideoStream() const { return firstVideoStream_; }
  int FirstSubtitleStream() const { return firstSubtitleStream_; }

 private:
  struct CloseInput {
    void operator()(AVFormatContext* ctx) const;
  };

  void CheckLibraries() const;
  void BuildSummary();
  void Fail(TLogLevel level, const std::string& message);
  std::string StreamLine(int index) const;

  std::unique_ptr<AVFormatContext, CloseInput> owned_;  // set when the probe opened the input
  AVFormatContext* input_ = nullptr;
  std::string lastErrMsg_;
  std::string formatName_;
  std::int64_t fileSize_ = -1;
  int streamCount_ = -1;
  int programCount_ = -1;
  int audioStreamCount_ = -1;
  int videoStreamCount_ = -1;
  int subtitleStreamCount_ = -1;
  int firstAudioStream_ = -1;
  int firstVideoStream_ = -1;
  int firstSubtitleStream_ = -1;
};

}  // namespace kx
