#pragma once
// A track bar with one thumb (position and volume bars) or two (a range
// between PositionL and PositionU). Track, thumbs and ticks are drawn in one
// of the built-in styles or left to the owner through the OnDraw… signals.
// Main thread only.
//
// Invariants: Min ≤ PositionL ≤ Max; with SecondThumb also
// PositionL < PositionU ≤ Max, so the thumbs never cross. Without
// SecondThumb PositionU is unused; it is put back above PositionL when it
// is set, when the range changes and when SecondThumb is switched on.
#include <QImage>
#include <QWidget>

#include "controls/track_bar2_pictures.h"

namespace kx {

class TTrackBar2 : public QWidget {
  Q_OBJECT

 public:
  explicit TTrackBar2(QWidget* parent = nullptr);

  int Min() const { return min_; }
  int Max() const { return max_; }
  int PositionL() const { return positionL_; }
  int PositionU() const { return positionU_; }
  int SmallChange() const { return smallChange_; }
  int LargeChange() const { return largeChange_; }
  TOrientation Orientation() const { return orientation_; }
  int TrackSize() const { return trackSize_; }
  TTrackStyle TrackStyle() const { return trackStyle_; }
  QColor TrackColor() const { return trackColor_; }
  int ThumbSize() const { return thumbSize_; }
  TThumbStyle ThumbStyle() const { return thumbStyle_; }
  QColor ThumbColor() const { return thumbColor_; }
  bool SecondThumb() const { return secondThumb_; }
  bool DitherThumb() const { return ditherThumb_; }
  int TickSize() const { return tickSize_; }
  TTickStyle TickStyle() const { return tickStyle_; }
  QColor TickColor() const { return tickColor_; }
  TTickOrientation TickOrientation() const { return tickOrientation_; }
  int TickInterval() const { return tickInterval_; }
  // A thumb is being dragged with the mouse.
  bool TrackingL() const { return trackingL_; }
  bool TrackingU() const { return trackingU_; }

  // Position setters raise OnChange only when the value really changes.
  void SetPositionL(int value);
  void SetPositionU(int value);
  // Range setters pull the positions inside without raising OnChange.
  void SetMin(int value);
  void SetMax(int value);
  void SetSmallChange(int value) { smallChange_ = value; }
  void SetLargeChange(int value) { largeChange_ = value; }
  // Swaps width and height when the shape does not match.
  void SetOrientation(TOrientation value);
  void SetTrackSize(int value);
  void SetTrackStyle(TTrackStyle value);
  void SetTrackColor(QColor value);
  void SetThumbSize(int value);
  void SetThumbStyle(TThumbStyle value);
  void SetThumbColor(QColor value);
  void SetSecondThumb(bool value);
  void SetDitherThumb(bool value);
  void SetTickSize(int value);
  // Line ticks are always black.
  void SetTickStyle(TTickStyle value);
  void SetTickColor(QColor value);
  void SetTickOrientation(TTickOrientation value);
  // Values below 1 count as 1.
  void SetTickInterval(int value);

  // The track's rectangle and the thumbs' rectangles, in the bar's pixels.
  QRect TrackRect() const;
  QRect ThumbRectL() const { return ThumbRect(positionL_); }
  QRect ThumbRectU() const { return ThumbRect(positionU_); }

 signals:
  void OnChange();
  void OnPaint();
  // Raised while painting; draw on `canvas`, which is only valid during the call.
  void OnDrawTrack(QPainter* canvas);
  void OnDrawThumb(QPainter* canvas, int x, int y);
  void OnDrawTick(QPainter* canvas, int x, int y, int position);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void changeEvent(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  bool Horizontal() const { return orientation_ == TOrientation::toHorizontal; }
  int AlongLength() const { return Horizontal() ? width() : height(); }
  int AcrossLength() const { return Horizontal() ? height() : width(); }
  // The usable length L over which Min … Max is spread.
  int UsableLength() const;
  // O: where along the thumb picture its value lies, as the styles define it.
  int ThumbOrigin() const;
  // Offset along the bar of the thumb picture's leading edge for `value`.
  int ValueOffset(int value) const;
  int PixelToValue(int along) const;
  int PictureAlong() const;
  int PictureAcross() const;
  QRect ThumbRect(int value) const;
  QPoint ThumbCorner(int value) const;

  void KeepPositionsInRange();
  void BuildThumbImages();
  void BuildTickImage();
  void Change();

  void PaintTrack(QPainter& painter);
  void PaintTicks(QPainter& painter);
  void PaintThumbs(QPainter& painter);

  int min_ = 0;
  int max_ = 20;
  int positionL_ = 0;
  int positionU_ = 10;
  int smallChange_ = 1;
  int largeChange_ = 2;
  TOrientation orientation_ = TOrientation::toHorizontal;
  int trackSize_ = 10;
  TTrackStyle trackStyle_ = TTrackStyle::trLowered;
  QColor trackColor_ = Qt::white;
  int thumbSize_ = 20;
  TThumbStyle thumbStyle_ = TThumbStyle::tsRaisedRectangle;
  QColor thumbColor_;
  bool secondThumb_ = false;
  bool ditherThumb_ = true;
  int tickSize_ = 6;
  TTickStyle tickStyle_ = TTickStyle::tiRaisedSquare;
  QColor tickColor_;
  TTickOrientation tickOrientation_ = TTickOrientation::toBoth;
  int tickInterval_ = 1;
  bool trackingL_ = false;
  bool trackingU_ = false;

  QImage thumbImage_;
  QImage hatchedThumbImage_;
  QImage tickImage_;
  QImage ditherPattern_;
};

}  // namespace kx
