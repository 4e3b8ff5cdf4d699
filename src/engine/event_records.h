#pragma once
// The records the encoder hands to its owner's event handlers, and the
// handler types. Records and bitmaps are lent for the duration of a call.
#include <cstdint>
#include <functional>
#include <string>

#include "engine/bitmap.h"

namespace kx {

class TFFEncoder;

// One decoded video frame for the custom hook (worker thread; the record is
// reused for every frame of the encoder).
struct THookInfo {
  int TaskIndex = -1;
  TBitmap* Bitmap = nullptr;  // decoder-sized picture; owned by the transcoder
  int FrameNumber = 0;        // 1 for the first decoded picture of the task
  std::int64_t PTS = 0;       // µs, the input stream's presentation time
  bool Update = true;         // in/out: true on exit takes the pixels back
  bool StopHook = false;      // in/out: true on exit ends hooking this task
};
using PHookInfo = THookInfo*;

struct TPreviewInfo {
  int TaskIndex = -1;
  const TBitmap* Bitmap = nullptr;  // the picture as encoded, output-sized
  int FrameNumber = 0;              // the task's decoded-picture counter
  std::int64_t PTS = 0;             // µs, last frame the video encoder coded
};

struct TProgressInfo {
  int TaskIndex = -1;
  int FileIndex = -1;             // input being read; -1 in the task's final report
  int FrameNumber = -1;           // frames encoded; -1 without video
  int FPS = -1;                   // rounded; 0 during the first second; -1 without video
  float Quality = -1.0f;          // last quantizer; -1 when copied or absent
  float BitRate = 0.0f;           // kbit/s
  std::int64_t CurrentSize = 0;   // bytes written
  std::int64_t CurrentDuration = 0;  // µs of output reached
  std::int64_t TotalDuration = -1;   // µs expected; -1 when unknown
};
using PProgressInfo = TProgressInfo*;

// TaskIndex -1 is the end of the whole run: Finished true, no exception.
struct TTerminateInfo {
  int TaskIndex = -1;
  bool Finished = false;
  bool Exception = false;
  std::string ExceptionMsg;
};

using TCustomHookEvent = std::function<void(TFFEncoder* Sender, PHookInfo AHookInfo)>;
using TPreviewBitmapEvent = std::function<void(TFFEncoder* Sender, const TPreviewInfo& APreviewInfo)>;
using TProgressEvent = std::function<void(TFFEncoder* Sender, PProgressInfo AProgressInfo)>;
using TTerminateEvent = std::function<void(TFFEncoder* Sender, const TTerminateInfo& ATerminateInfo)>;

}  // namespace kx
