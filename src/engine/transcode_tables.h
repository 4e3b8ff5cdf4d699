#pragma once
// The tables of a conversion: output files with their streams (made by
// CreateOutput, kept until Release) and the input streams of a run (made by
// the run's set-up). Worker thread during a run, set-up thread otherwise.
#include <cstdint>
#include <cstdio>
#include <deque>
#include <memory>
#include <string>
#include <vector>

extern "C" {
#include <libavformat/avformat.h>
}

#include "engine/av_dictionary.h"
#include "engine/av_holders.h"
#include "engine/pending_settings.h"

namespace kx {

class TAudioOut;
class TVideoOut;
class TSubtitleBurner;

struct TInputStream {
  TInputStream();
  TInputStream(TInputStream&&) noexcept;
  ~TInputStream();
  int fileIndex = 0;
  AVStream* stream = nullptr;
  bool unassigned = true;
  bool decodingNeeded = false;
  CodecContextPtr decoder;
  int64_t nextDtsUs = AV_NOPTS_VALUE;  // expected decoding time of the next packet
  int64_t lastDtsUs = AV_NOPTS_VALUE;
  int64_t ptsUs = 0;                   // presentation time reached (input time line)
  int64_t nextPtsUs = AV_NOPTS_VALUE;  // expected time of the next decoded frame
  bool pastRecordingTime = false;
  bool finished = false;
  int64_t wallStartUs = 0;  // rate emulation
  // Subtitle stream: its pictures burnt into the video of an output that cannot carry them.
  std::unique_ptr<TSubtitleBurner> burner;
  // Video stream: the input stream whose burner draws on its pictures, or -1.
  int burnSource = -1;
  // Pictures held back until the subtitles of their time have been read
  // (subpictures are multiplexed later than the pictures they belong to).
  std::deque<FramePtr> delayed;
  std::vector<FramePtr> spareFrames;
};

struct TInputFileState {
  int64_t readClockUs = INT64_MIN;  // latest decoding time of a sound or subtitle packet read
  int firstStream = 0;
  int streamCount = 0;
  bool endOfFile = false;
  bool noPacketNow = false;
};

struct TOutputStream {
  TOutputStream();
  ~TOutputStream();
  int fileIndex = 0;
  AVStream* stream = nullptr;
  AVMediaType type = AVMEDIA_TYPE_UNKNOWN;
  bool streamCopy = false;
  const AVCodec* codec = nullptr;  // encoder; null: by the codec id
  CodecContextPtr encoder;         // configured by CreateOutput, opened by the run
  DictionaryPtr encoderOptions;    // codec options the encoder context did not take yet
  std::vector<TBitstreamFilter> filterChain;  // names and arguments, made into filters by the run
  std::vector<BitstreamFilterPtr> bitstreamFilters;

  // Run state.
  int source = -1;  // index into the run's input streams
  int sync = -1;
  bool encodingNeeded = false;
  bool active = true;
  int64_t framesWritten = 0;  // packets (copy) or frames given to the encoder
  int64_t lastPtsUs = AV_NOPTS_VALUE;  // presentation time of the last packet written
  float lastQuality = -1.0f;
  bool waitingForKeyFrame = true;  // stream copy starts at a key frame
  std::unique_ptr<TVideoOut> video;
  std::unique_ptr<TAudioOut> audio;
  std::FILE* passLog = nullptr;
  std::string passStatsWritten;  // pass 1: the last statistics text written to passLog
  std::string passStats;  // pass 2: the log file's text, the encoder's stats_in

  // Video set-up values that the run needs.
  int cropTop = 0, cropBottom = 0, cropLeft = 0, cropRight = 0;
  std::string filterText;
};

struct TOutputFile {
  struct Closer {
    void operator()(AVFormatContext* ctx) const;
  };
  std::unique_ptr<AVFormatContext, Closer> ctx;
  std::string name;
  DictionaryPtr formatOptions;  // container options for the header
  bool headerWritten = false;
  bool trailerWritten = false;
  bool burnSubtitles = false;  // the container cannot carry the input's bitmap subtitles
  std::vector<std::unique_ptr<TOutputStream>> streams;
};

}  // namespace kx
