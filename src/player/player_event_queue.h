#pragma once
// Position and state reports on their way from the player's threads to the
// event thread. A slow consumer sees only the latest of a run of the same
// kind, and a full ring forgets its oldest entry: reporting never blocks a
// player thread.
#include <array>
#include <condition_variable>
#include <cstdint>
#include <mutex>

#include "player/player_types.h"

namespace kx {

enum class TPlayerEventKind { Position = 1, State = 2, Quit = 3 };

struct TPlayerEvent {
  TPlayerEventKind kind = TPlayerEventKind::Quit;
  std::int64_t position = 0;
  TPlayState state = TPlayState::psStop;
};

class TPlayerEventQueue {
 public:
  static constexpr int kCapacity = 10;

  void Post(const TPlayerEvent& event);
  // Blocks until an entry is there.
  TPlayerEvent Take();

 private:
  std::mutex mutex_;
  std::condition_variable available_;
  std::array<TPlayerEvent, kCapacity> ring_;
  int first_ = 0;
  int count_ = 0;
};

}  // namespace kx
