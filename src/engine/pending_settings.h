#pragma once
// The pending settings of one transcoding engine: what SetOption fills and the
// next opened input or created output consumes. Every member's initial value
// is the engine's default; assigning a fresh TPendingSettings resets them.
#include <array>
#include <climits>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

extern "C" {
#include <libavutil/pixfmt.h>
#include <libavutil/rational.h>
#include <libavutil/samplefmt.h>
}

namespace kx {

constexpr int kMaxStreamMaps = 400;
constexpr int kMaxMetaDataMaps = 20;
constexpr int kMaxStreams = 20;  // per input (time-stamp scales) and per output (stream ids)
constexpr int kNoAudioQuantizer = -99999;

struct TStreamMap {
  int fileIndex = 0;
  int streamIndex = 0;
  int syncFileIndex = 0;
  int syncStreamIndex = 0;
};

struct TMetaDataMap {
  int outFile = 0;
  int inFile = 0;
};

// One bitstream filter of a chain: its name and the text after "=" (maybe empty).
struct TBitstreamFilter {
  std::string name;
  std::string args;
};

using TQuantMatrix = std::array<uint16_t, 64>;

// Settings kept per media type (video, audio, subtitle).
struct TStreamTypeSettings {
  std::string codecName;  // none: chosen from the format
  bool streamCopy = false;
  bool disable = false;
  uint32_t codecTag = 0;  // none
  std::string language;
  std::vector<TBitstreamFilter> bitstreamFilters;
};

struct TPendingSettings {
  // container
  std::string formatName;
  bool pgmyuvMode = false;  // the next input is read as pgmyuv pictures
  float muxPreload = 0.5f;  // s
  float muxMaxDelay = 0.7f;  // s
  int64_t limitFileSize = 0;  // bytes, 0: none

  // time
  int64_t startTimeUs = 0;
  int64_t recordingTimeUs = INT64_MAX;
  int64_t inputTsOffsetUs = 0;
  int64_t recTimestamp = 0;  // s since 1970
  int programId = 0;  // 0: all
  std::array<double, kMaxStreams> inputTsScale{};  // 0: none

  // video
  int frameWidth = 0;
  int frameHeight = 0;
  int frameTopBand = 0;
  int frameBottomBand = 0;
  int frameLeftBand = 0;
  int frameRightBand = 0;
  double frameAspectRatio = 0;
  AVPixelFormat framePixFmt = AV_PIX_FMT_NONE;
  AVRational frameRate{0, 0};
  TStreamTypeSettings video;
  std::string videoFilters;
  std::optional<float> videoQscale;
  int videoSync = -1;  // automatic
  int intraDcPrecision = 8;
  int topFieldFirst = -1;  // automatic
  int videoDiscard = 0;
  bool doDeinterlace = false;
  bool intraOnly = false;
  bool sameQuality = false;
  int doPass = 0;
  std::string passLogFileName;
  std::optional<TQuantMatrix> intraMatrix;
  std::optional<TQuantMatrix> interMatrix;
  std::string rcOverride;
  int meThreshold = 0;
  bool doPsnr = false;
  bool qpHist = false;
  bool forceFps = false;
  int videoGlobalHeader = 0;
  std::string vstatsFileName;
  int videoChannel = 0;
  std::string videoStandard;

  // audio
  int audioSampleRate = 44100;
  int audioChannels = 2;
  AVSampleFormat audioSampleFmt = AV_SAMPLE_FMT_NONE;
  float audioQscale = kNoAudioQuantizer;
  int audioVolume = 256;
  int audioSync = 0;
  float audioDriftThreshold = 0.1f;  // s
  TStreamTypeSettings audio;

  // subtitle
  TStreamTypeSettings subtitle;

  // frames
  int maxVideoFrames = INT_MAX;
  int maxAudioFrames = INT_MAX;
  int maxDataFrames = INT_MAX;

  // task
  bool copyTs = false;
  bool shortest = false;
  bool exitOnError = false;
  double dtsDeltaThreshold = 10.0;  // s
  int copyInitialNonKeyframes = 0;
  bool rateEmu = false;
  bool loopInput = false;
  int loopOutput = -1;
  int verbose = 1;
  int decodingThreads = 1;
  bool inputSync = false;
  bool dumpPackets = false;
  bool dumpHex = false;
  std::vector<TStreamMap> streamMaps;
  std::vector<TMetaDataMap> metaDataMaps;
  std::array<int, kMaxStreams> streamIds{};
  std::vector<std::pair<std::string, std::string>> metadata;
};

}  // namespace kx
