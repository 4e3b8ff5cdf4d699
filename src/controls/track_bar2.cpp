#include "controls/track_bar2.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <climits>
#include <vector>

namespace kx {
namespace {

// The face of the skin's push buttons (kestrix.qss), for thumbs and ticks.
const QColor kSkinButtonFace(0xcf, 0xdc, 0xf1);

bool IsRectangle(TThumbStyle style) {
  return style == TThumbStyle::tsRectangle || style == TThumbStyle::tsRaisedRectangle ||
         style == TThumbStyle::tsLoweredRectangle;
}

int Limit(int value, int low, int high) { return std::min(std::max(value, low), high); }

}  // namespace

TTrackBar2::TTrackBar2(QWidget* parent)
    : QWidget(parent), thumbColor_(kSkinButtonFace), tickColor_(kSkinButtonFace), ditherPattern_(DitherPattern()) {
  setFocusPolicy(Qt::StrongFocus);
  resize(500, 50);
  BuildThumbImages();
  BuildTickImage();
}

// --- Positions and range -------------------------------------------------

void TTrackBar2::SetPositionL(int value) {
  if (secondThumb_ && value >= positionU_) value = positionU_ - 1;
  value = Limit(value, min_, max_);
  if (value == positionL_) return;
  positionL_ = value;
  Change();
}

void TTrackBar2::SetPositionU(int value) {
  value = std::min(value, max_);
  if (value <= positionL_) value = positionL_ + 1;
  if (value == positionU_) return;
  positionU_ = value;
  Change();
}

void TTrackBar2::SetMin(int value) {
  min_ = value;
  KeepPositionsInRange();
  update();
}

void TTrackBar2::SetMax(int value) {
  max_ = value;
  KeepPositionsInRange();
  update();
}

void TTrackBar2::SetSecondThumb(bool value) {
  secondThumb_ = value;
  KeepPositionsInRange();
  BuildThumbImages();
  update();
}

// A narrowed range must not leave a thumb outside it or let the thumbs
// cross: the thumb the range pushed stays where it was pushed and the other
// one gives way.
void TTrackBar2::KeepPositionsInRange() {
  positionU_ = std::min(positionU_, max_);
  positionL_ = Limit(positionL_, min_, max_);
  if (positionU_ > positionL_) return;
  if (!secondThumb_ || positionL_ < max_)
    positionU_ = positionL_ + 1;
  else
    positionL_ = std::max(positionU_ - 1, min_);
}

void TTrackBar2::Change() {
  emit OnChange();
  update();
}

// --- Appearance -----------------------------------------------------------

void TTrackBar2::SetOrientation(TOrientation value) {
  orientation_ = value;
  const bool tall = height() > width();
  if (tall == Horizontal() && width() != height()) resize(height(), width());
  BuildThumbImages();
  update();
}

void TTrackBar2::SetTrackSize(int value) {
  trackSize_ = value;
  update();
}

void TTrackBar2::SetTrackStyle(TTrackStyle value) {
  trackStyle_ = value;
  update();
}

void TTrackBar2::SetTrackColor(QColor value) {
  trackColor_ = value;
  update();
}

void TTrackBar2::SetThumbSize(int value) {
  thumbSize_ = value;
  BuildThumbImages();
  update();
}

void TTrackBar2::SetThumbStyle(TThumbStyle value) {
  thumbStyle_ = value;
  BuildThumbImages();
  update();
}

void TTrackBar2::SetThumbColor(QColor value) {
  thumbColor_ = value;
  BuildThumbImages();
  update();
}

void TTrackBar2::SetDitherThumb(bool value) {
  ditherThumb_ = value;
  if (!isEnabled()) update();
}

void TTrackBar2::SetTickSize(int value) {
  tickSize_ = value;
  BuildTickImage();
  update();
}

void TTrackBar2::SetTickStyle(TTickStyle value) {
  tickStyle_ = value;
  if (value == TTickStyle::tiLine) tickColor_ = Qt::black;
  BuildTickImage();
  update();
}

void TTrackBar2::SetTickColor(QColor value) {
  tickColor_ = value;
  BuildTickImage();
  update();
}

void TTrackBar2::SetTickOrientation(TTickOrientation value) {
  tickOrientation_ = value;
  BuildThumbImages();
  update();
}

// An interval below 1 would never reach Max.
void TTrackBar2::SetTickInterval(int value) {
  tickInterval_ = std::max(value, 1);
  update();
}

void TTrackBar2::BuildThumbImages() {
  if (PointerThumbLength(thumbStyle_) > 0) thumbSize_ = PointerThumbLength(thumbStyle_);
  thumbImage_ = ThumbPicture(thumbStyle_, orientation_, tickOrientation_, thumbSize_, thumbColor_);
  hatchedThumbImage_ = HatchedThumb(thumbImage_, ditherPattern_);
}

void TTrackBar2::BuildTickImage() { tickImage_ = TickPicture(tickStyle_, tickSize_, tickColor_); }

// --- Geometry -------------------------------------------------------------
// Along the bar, values are spread over L = length − ThumbSize pixels; a
// thumb's picture starts at L × (v − Min) / (Max − Min) + B, so its middle
// sits on the track, which runs from half ThumbSize to half ThumbSize + L.
// A vertical bar has Max at the top.

int TTrackBar2::UsableLength() const { return std::max(AlongLength() - thumbSize_, 0); }

int TTrackBar2::PictureAlong() const {
  if (thumbImage_.isNull()) return thumbSize_;
  return Horizontal() ? thumbImage_.width() : thumbImage_.height();
}

int TTrackBar2::PictureAcross() const {
  if (thumbImage_.isNull()) return thumbSize_;
  return Horizontal() ? thumbImage_.height() : thumbImage_.width();
}

int TTrackBar2::ThumbOrigin() const { return IsRectangle(thumbStyle_) ? thumbSize_ / 4 : thumbSize_ / 2; }

int TTrackBar2::ValueOffset(int value) const {
  const int base = thumbSize_ / 2 - ThumbOrigin();
  const qint64 range = qint64{max_} - min_;
  if (range <= 0) return base;
  const qint64 steps = Horizontal() ? qint64{value} - min_ : qint64{max_} - value;
  return static_cast<int>(UsableLength() * steps / range) + base;
}

// The inverse of ValueOffset, measured from the thumb's middle so that a
// dragged thumb stays under the mouse.
int TTrackBar2::PixelToValue(int along) const {
  const qint64 range = qint64{max_} - min_;
  const int length = UsableLength();
  if (range <= 0 || length == 0) return min_;
  const int middle = thumbSize_ / 2 - ThumbOrigin() + PictureAlong() / 2;
  const qint64 steps = (qint64{along} - middle) * range / length;
  const qint64 value = Horizontal() ? min_ + steps : max_ - steps;
  return static_cast<int>(std::clamp<qint64>(value, INT_MIN, INT_MAX));
}

QPoint TTrackBar2::ThumbCorner(int value) const {
  const int along = ValueOffset(value);
  const int across = AcrossLength() / 2 - PictureAcross() / 2;
  return Horizontal() ? QPoint(along, across) : QPoint(across, along);
}

QRect TTrackBar2::ThumbRect(int value) const {
  const QSize size = Horizontal() ? QSize(PictureAlong(), PictureAcross()) : QSize(PictureAcross(), PictureAlong());
  return QRect(ThumbCorner(value), size);
}

QRect TTrackBar2::TrackRect() const {
  const int halfTrack = trackSize_ / 2;
  const int start = thumbSize_ / 2;
  const int side = AcrossLength() / 2 - halfTrack;
  return Horizontal() ? QRect(start, side, UsableLength(), 2 * halfTrack)
                      : QRect(side, start, 2 * halfTrack, UsableLength());
}

// --- Painting -------------------------------------------------------------

void TTrackBar2::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  emit OnPaint();
  PaintTrack(painter);
  PaintTicks(painter);
  PaintThumbs(painter);
}

void TTrackBar2::PaintTrack(QPainter& painter) {
  if (trackStyle_ == TTrackStyle::trUserDrawn) {
    emit OnDrawTrack(&painter);
    return;
  }
  const QRect track = TrackRect();
  painter.fillRect(track, isEnabled() ? QBrush(trackColor_) : QBrush(ditherPattern_));
  if (trackStyle_ != TTrackStyle::trFlat)
    DrawBevel(painter, track, trackStyle_ == TTrackStyle::trRaised ? Bevel::Raised : Bevel::Lowered);
}

void TTrackBar2::PaintTicks(QPainter& painter) {
  std::vector<int> sides;
  if (tickOrientation_ != TTickOrientation::toBottomRight) sides.push_back(2);
  if (tickOrientation_ != TTickOrientation::toTopLeft) sides.push_back(AcrossLength() - tickSize_ - 2);
  const int origin = ThumbOrigin();
  const auto point = [this](int along, int across) { return Horizontal() ? QPoint(along, across) : QPoint(across, along); };
  painter.setPen(tickColor_);
  for (qint64 value = min_; value <= max_; value += tickInterval_) {
    const int along = ValueOffset(static_cast<int>(value)) + origin;
    for (int across : sides) {
      switch (tickStyle_) {
        case TTickStyle::tiUserDrawn: {
          const QPoint at = point(along, across);
          emit OnDrawTick(&painter, at.x(), at.y(), static_cast<int>(value));
          break;
        }
        case TTickStyle::tiLine:
          painter.drawLine(point(along, across), point(along, across + tickSize_ - 1));
          break;
        default:
          painter.drawImage(point(along - tickSize_ / 2, across), tickImage_);
          break;
      }
    }
  }
}

void TTrackBar2::PaintThumbs(QPainter& painter) {
  const QPoint lower = ThumbCorner(positionL_);
  const QPoint upper = ThumbCorner(positionU_);
  if (thumbStyle_ == TThumbStyle::tsUserDrawn) {
    emit OnDrawThumb(&painter, lower.x(), lower.y());
    if (secondThumb_) emit OnDrawThumb(&painter, upper.x(), upper.y());
    return;
  }
  const QImage& picture = !isEnabled() && ditherThumb_ ? hatchedThumbImage_ : thumbImage_;
  if (secondThumb_) {
    const QRect track = TrackRect();
    const int divider = (PictureAlong() + ValueOffset(positionL_) + ValueOffset(positionU_)) / 2;
    painter.setPen(Qt::black);
    if (Horizontal())
      painter.drawLine(divider, track.top(), divider, track.bottom());
    else
      painter.drawLine(track.left(), divider, track.right(), divider);
    painter.drawImage(upper, picture);
  }
  painter.drawImage(lower, picture);
}

// --- Input ----------------------------------------------------------------

void TTrackBar2::resizeEvent(QResizeEvent* event) {
  const QSize size = event->size();
  if (size.width() != size.height())
    orientation_ = size.height() > size.width() ? TOrientation::toVertical : TOrientation::toHorizontal;
  BuildThumbImages();
  QWidget::resizeEvent(event);
}

void TTrackBar2::changeEvent(QEvent* event) {
  if (event->type() == QEvent::EnabledChange) update();
  QWidget::changeEvent(event);
}

void TTrackBar2::keyPressEvent(QKeyEvent* event) {
  int step = 0;
  switch (event->key()) {
    case Qt::Key_PageUp: step = largeChange_; break;
    case Qt::Key_PageDown: step = -largeChange_; break;
    case Qt::Key_Left:
    case Qt::Key_Down: step = -smallChange_; break;
    case Qt::Key_Right:
    case Qt::Key_Up: step = smallChange_; break;
    default: QWidget::keyPressEvent(event); return;
  }
  if (secondThumb_ && (event->modifiers() & Qt::ShiftModifier))
    SetPositionU(positionU_ + step);
  else
    SetPositionL(positionL_ + step);
}

void TTrackBar2::mousePressEvent(QMouseEvent* event) {
  setFocus(Qt::MouseFocusReason);
  if (event->button() != Qt::LeftButton) return;
  const QPoint point = event->position().toPoint();
  const int along = Horizontal() ? point.x() : point.y();
  // A press acts on the thumb on its side of the point halfway between them.
  bool upper = false;
  if (secondThumb_) {
    const int lowerStart = ValueOffset(positionL_);
    const int upperStart = ValueOffset(positionU_);
    const int between = Horizontal() ? (lowerStart + PictureAlong() + upperStart) / 2
                                     : (upperStart + PictureAlong() + lowerStart) / 2;
    upper = Horizontal() ? along > between : along < between;
  }
  const int value = upper ? positionU_ : positionL_;
  if (ThumbRect(value).contains(point)) {
    (upper ? trackingU_ : trackingL_) = true;
    return;
  }
  int target = PixelToValue(along);
  if (event->modifiers() & Qt::ShiftModifier) {
    const int start = ValueOffset(value);
    const bool beforeThumb = along < start;
    const bool afterThumb = along >= start + PictureAlong();
    if (!beforeThumb && !afterThumb) return;
    const bool towardsMax = Horizontal() ? afterThumb : beforeThumb;
    target = value + (towardsMax ? smallChange_ : -smallChange_);
  }
  if (upper)
    SetPositionU(target);
  else
    SetPositionL(target);
}

void TTrackBar2::mouseMoveEvent(QMouseEvent* event) {
  const QPoint point = event->position().toPoint();
  const int value = PixelToValue(Horizontal() ? point.x() : point.y());
  if (trackingL_) SetPositionL(value);
  if (trackingU_) SetPositionU(value);
}

void TTrackBar2::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  trackingL_ = false;
  trackingU_ = false;
}

}  // namespace kx
