#pragma once
// The skinned look of the preview's position and volume bars: one thumb,
// drawn by the owner in the window's colours. Main thread only.

namespace kx {

class TTrackBar2;

enum class PreviewBarKind { Position, Volume };

// Sets the bar's styles and draws its track and thumb from now on.
void SkinPreviewBar(TTrackBar2* bar, PreviewBarKind kind);

// The position the left-button drag at `x` asks for: the bar's pixels less
// a margin (15 for the position bar, 20 for the volume bar) span its range.
int PreviewBarDragPosition(const TTrackBar2& bar, PreviewBarKind kind, int x);

}  // namespace kx
