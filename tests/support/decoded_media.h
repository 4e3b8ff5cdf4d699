#pragma once
#include <functional>
#include <string>
#include <vector>

#include "frame_marks.h"

namespace kx::test {

struct DecodedFrame {
  double seconds;  // presentation time from the start of the stream
  FrameMark mark;
};

struct DecodedMedia {
  std::vector<DecodedFrame> frames;  // video frames in presentation order, each with its mark
  std::vector<float> samples;        // the audio stream downmixed to mono
  int sampleRate = 0;                // 0 when no audio stream was decoded

  // The frame on screen at `seconds` (the last one that started by then), or
  // nullptr before the first frame.
  const DecodedFrame* FrameAt(double seconds) const;
};

inline constexpr int kFirstAudioStream = -1;

// Decodes a media file from its start until `maxSeconds` of pictures (or of
// sound, for a file without video) have passed, or to its end. The audio
// stream is the one whose demuxer id is `audioStreamId` (in an MPEG program
// stream: 0x80 + n AC-3, 0xA0 + n LPCM, 0x1C0 + n MPEG audio) or the first
// audio stream. In a VOB that holds several titles the timestamps restart
// at each title; its frames simply follow in decoding order. Throws std::runtime_error when the file cannot be read or the requested
// stream is missing.
// `visit`, when given, also sees each kept picture, in the order of `frames`.
using PictureVisitor = std::function<void(const AVFrame& picture)>;
DecodedMedia DecodeFile(const std::string& path, double maxSeconds, int audioStreamId = kFirstAudioStream,
                        const PictureVisitor& visit = {});

}  // namespace kx::test
