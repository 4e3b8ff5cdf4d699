#pragma once
// The two decoded pictures between the video decoding thread and the display.
// Overflow policy: the decoder waits while both slots are full, so decoding
// runs at most two pictures ahead; late pictures are dropped by the display,
// never by the decoder, and the sound never waits for pictures.
// A counted slot belongs to the display thread, the write slot to the decoder;
// the lock guards only the indexes and the count.
#include <condition_variable>
#include <cstdint>
#include <mutex>

#include "engine/bitmap.h"

namespace kx {

struct TPictureSlot {
  TBitmap picture;           // kept between pictures: no allocation while the size stays
  double ptsSec = 0;         // from the stream's time, start time not subtracted
  double targetSec = -1;     // wall-clock time to show it; < 0 until the display times it
  double aspect = 1;         // display width / height
  int serial = 0;            // seek generation
};

class TPictureQueue {
 public:
  static constexpr int kSlots = 2;

  // Decoder: the slot to fill; blocks while the queue is full. Null once aborted.
  TPictureSlot* BeginWrite();
  // Decoder: the slot from BeginWrite joins the queue.
  void EndWrite();

  // Display: the n-th queued picture (0 = head), or null.
  TPictureSlot* Peek(int n);
  // Display: releases the head.
  void Pop();

  void Abort();

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  TPictureSlot slots_[kSlots];
  int read_ = 0;
  int count_ = 0;
  bool aborted_ = false;
};

}  // namespace kx
