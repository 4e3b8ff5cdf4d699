#pragma once
// A packet queue between the read thread and one decoder. Unbounded: the
// read thread keeps it short by looking at Count and Bytes before reading.
// Every wait ends when the queue is aborted.
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>

#include "engine/av_holders.h"

namespace kx {

enum class TPacketKind {
  Data,
  Flush,  // the decoder drops what it holds: a seek happened (or playback starts)
  End,    // end of input: the decoder gives out its delayed pictures
};

struct TQueuedPacket {
  TPacketKind kind = TPacketKind::Data;
  PacketPtr packet;  // Data only
  int serial = 0;    // the seek generation the packet belongs to
};

enum class TQueueGet { Got, Empty, Aborted };

class TPacketQueue {
 public:
  void Put(TQueuedPacket entry);
  // Blocks while empty when `block`; Empty only without blocking.
  TQueueGet Get(TQueuedPacket& entry, bool block);
  // Drops every packet.
  void Clear();
  void Abort();

  int Count() const;
  std::int64_t Bytes() const;

 private:
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<TQueuedPacket> entries_;
  std::int64_t bytes_ = 0;
  bool aborted_ = false;
};

}  // namespace kx
