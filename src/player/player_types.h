#pragma once
// States, seek flags and event types of the player component.
#include <cstdint>
#include <functional>

#include "engine/bitmap.h"

namespace kx {

enum class TPlayState { psPlay, psPause, psResume, psStep, psStop, psEnd };

// Passed on to the demuxer as FFmpeg's AVSEEK_FLAG_* bits.
enum TSeekFlag : int { sfBackward = 1, sfByte = 2, sfAny = 4, sfFrame = 8 };

class TFFPlayer;

// Raised inside Open on the caller's thread; the handler may set the screen size.
using TFileOpenEvent = std::function<void(TFFPlayer* Sender, std::int64_t ADuration, int AFrameWidth,
                                          int AFrameHeight, int& AScreenWidth, int& AScreenHeight)>;
using TPositionEvent = std::function<void(TFFPlayer* Sender, std::int64_t APTS)>;
using TPlayStateEvent = std::function<void(TFFPlayer* Sender, TPlayState AState)>;
// Video decoding thread; what the handler draws on the bitmap is what is shown.
using THookEvent = std::function<void(TFFPlayer* Sender, TBitmap& ABitmap, std::int64_t APTS)>;

}  // namespace kx
