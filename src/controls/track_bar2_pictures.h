#pragma once
// The pictures of the dual-thumb track bar: bevels, thumbs, ticks and the
// hatching of a disabled bar. Built once per change of style, size or colour
// and kept by the bar, so painting only copies them. Main thread only.
#include <QColor>
#include <QImage>
#include <QRect>

class QPainter;

namespace kx {

enum class TOrientation { toHorizontal, toVertical };
enum class TTrackStyle { trUserDrawn, trFlat, trRaised, trLowered };
enum class TThumbStyle {
  tsUserDrawn, tsRectangle, tsRaisedRectangle, tsLoweredRectangle,
  tsSmallPointer, tsMediumPointer, tsLargePointer,
};
enum class TTickStyle { tiUserDrawn, tiLine, tiSquare, tiRaisedSquare, tiLoweredSquare };
enum class TTickOrientation { toTopLeft, toBottomRight, toBoth };

enum class Bevel { Raised, Lowered };

// Two-pixel bevel just inside `rect`: raised is light at the top-left and
// dark at the bottom-right, lowered the other way round.
void DrawBevel(QPainter& painter, const QRect& rect, Bevel bevel);

// The 8 × 8 hatching of a disabled bar: white with every pixel whose row
// plus column is odd in silver.
QImage DitherPattern();

// The thumb as drawn on an enabled bar; transparent where the bar shows
// through. Null for owner-drawn thumbs. `thumbSize` is the length along the
// bar; pointer styles have their own size (see PointerThumbLength).
QImage ThumbPicture(TThumbStyle style, TOrientation orientation, TTickOrientation ticks, int thumbSize,
                    QColor thumbColor);

// Length along the bar of a pointer thumb; 0 for the other styles.
int PointerThumbLength(TThumbStyle style);

// `thumb` with the area of its centre's colour around the centre hatched.
QImage HatchedThumb(const QImage& thumb, const QImage& pattern);

// The square tick mark; null for line and owner-drawn ticks.
QImage TickPicture(TTickStyle style, int tickSize, QColor tickColor);

}  // namespace kx
