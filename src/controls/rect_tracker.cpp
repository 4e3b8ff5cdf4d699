#include "controls/rect_tracker.h"

#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <climits>

namespace kx {
namespace {

constexpr int kHandle = 5;
constexpr int kControlMargin = 5;

bool InBox(QPoint p, int left, int top, int right, int bottom) {
  return p.x() >= left && p.x() < right && p.y() >= top && p.y() < bottom;
}

// Edges of a rectangle, right and bottom exclusive, so that sizes are plain differences.
struct Edges {
  int left, top, right, bottom;
};

Edges EdgesOf(const QRect& r) { return {r.x(), r.y(), r.x() + r.width(), r.y() + r.height()}; }

}  // namespace

TRectTracker::TRectTracker(QWidget* parent) : QWidget(parent) {
  setMinimumSize(kMinSide, kMinSide);
  resize(65, 65);
  setMouseTracking(true);
}

void TRectTracker::SetAcControl(QWidget* control) {
  acControl_ = control == this ? nullptr : control;
  if (!acControl_) return;
  placingAroundControl_ = true;
  setGeometry(acControl_->geometry().adjusted(-kControlMargin, -kControlMargin, kControlMargin, kControlMargin));
  placingAroundControl_ = false;
  raise();
}

void TRectTracker::TakeControlAlong() {
  if (placingAroundControl_ || !acControl_) return;
  acControl_->setGeometry(geometry().adjusted(kControlMargin, kControlMargin, -kControlMargin, -kControlMargin));
}

void TRectTracker::moveEvent(QMoveEvent* event) {
  TakeControlAlong();
  QWidget::moveEvent(event);
}

void TRectTracker::resizeEvent(QResizeEvent* event) {
  TakeControlAlong();
  QWidget::resizeEvent(event);
}

// Handles are tested before the inside, corners before edges; the edge
// handles sit in the middle of their side.
TRectTracker::Zone TRectTracker::ZoneAt(QPoint p) const {
  const int w = width();
  const int h = height();
  const int cx = (w + 1) / 2 - 3;
  const int cy = (h + 1) / 2 - 3;
  if (InBox(p, 0, 0, kHandle, kHandle)) return Zone::TopLeft;
  if (InBox(p, w - kHandle, h - kHandle, w, h)) return Zone::BottomRight;
  if (InBox(p, 0, h - kHandle, kHandle, h)) return Zone::BottomLeft;
  if (InBox(p, w - kHandle, 0, w, kHandle)) return Zone::TopRight;
  if (InBox(p, 0, cy, kHandle, cy + kHandle)) return Zone::Left;
  if (InBox(p, w - kHandle, cy, w, cy + kHandle)) return Zone::Right;
  if (InBox(p, cx, 0, cx + kHandle, kHandle)) return Zone::Top;
  if (InBox(p, cx, h - kHandle, cx + kHandle, h)) return Zone::Bottom;
  if (InBox(p, 2, 2, w - 2, h - 2)) return Zone::Move;
  return Zone::None;
}

void TRectTracker::paintEvent(QPaintEvent*) {
  const int w = width();
  const int h = height();
  const int cx = (w + 1) / 2 - 3;
  const int cy = (h + 1) / 2 - 3;
  QPainter painter(this);
  // Screen OR inverted black pen: white lines that show on any picture.
  painter.setCompositionMode(QPainter::RasterOp_NotSourceOrDestination);
  painter.setPen(QPen(Qt::black, 1, Qt::DotLine));
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(2, 2, w - 5, h - 5);
  for (const QPoint corner : {QPoint(0, 0), QPoint(0, cy), QPoint(0, h - kHandle), QPoint(cx, 0),
                              QPoint(cx, h - kHandle), QPoint(w - kHandle, 0), QPoint(w - kHandle, cy),
                              QPoint(w - kHandle, h - kHandle)})
    painter.fillRect(QRect(corner, QSize(kHandle, kHandle)), Qt::black);
}

void TRectTracker::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) {
    boundsAtPress_ = geometry();
    dragStart_ = event->position().toPoint();
    zone_ = ZoneAt(dragStart_);
  }
  emit OnMouseDown(event);
}

void TRectTracker::mouseMoveEvent(QMouseEvent* event) {
  const QPoint point = event->position().toPoint();
  if (dragStart_ != kNoDrag) Drag(point);
  static const Qt::CursorShape kCursors[] = {
      Qt::ArrowCursor,   Qt::SizeFDiagCursor, Qt::SizeFDiagCursor, Qt::SizeBDiagCursor, Qt::SizeBDiagCursor,
      Qt::SizeHorCursor, Qt::SizeHorCursor,   Qt::SizeVerCursor,   Qt::SizeVerCursor,   Qt::SizeAllCursor};
  setCursor(kCursors[static_cast<int>(ZoneAt(mapFromGlobal(event->globalPosition().toPoint())))]);
  emit OnMouseMove(event);
}

void TRectTracker::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) {
    emit OnMouseUp(event);
    return;
  }
  dragStart_ = kNoDrag;
  zone_ = Zone::None;
  emit OnMouseUp(event);
  if (geometry() != boundsAtPress_) emit OnChange(TrackRect());
}

// The point is in the tracker's own coordinates, which move with its left
// and top edges: dragging those keeps the drag start, while the right and
// bottom edges carry the drag start along with them. Edges stop where the
// tracker would get smaller than kMinSide or leave the limit, and the
// opposite edges never move.
void TRectTracker::Drag(QPoint point) {
  const int dx = point.x() - dragStart_.x();
  const int dy = point.y() - dragStart_.y();
  Edges e = EdgesOf(geometry());
  const Edges area = limit_.isEmpty() ? Edges{INT_MIN / 2, INT_MIN / 2, INT_MAX / 2, INT_MAX / 2}
                                      : EdgesOf(limit_.adjusted(-2, -2, 2, 2));
  if (zone_ == Zone::Move) {
    const int width = e.right - e.left;
    const int height = e.bottom - e.top;
    e.left = std::max(std::min(e.left + dx, area.right - width), area.left);
    e.top = std::max(std::min(e.top + dy, area.bottom - height), area.top);
    e.right = e.left + width;
    e.bottom = e.top + height;
  } else {
    const bool left = zone_ == Zone::Left || zone_ == Zone::TopLeft || zone_ == Zone::BottomLeft;
    const bool right = zone_ == Zone::Right || zone_ == Zone::TopRight || zone_ == Zone::BottomRight;
    const bool top = zone_ == Zone::Top || zone_ == Zone::TopLeft || zone_ == Zone::TopRight;
    const bool bottom = zone_ == Zone::Bottom || zone_ == Zone::BottomLeft || zone_ == Zone::BottomRight;
    if (left) e.left = std::max(std::min(e.left + dx, e.right - kMinSide), area.left);
    if (top) e.top = std::max(std::min(e.top + dy, e.bottom - kMinSide), area.top);
    if (right) {
      const int moved = std::min(std::max(e.right + dx, e.left + kMinSide), area.right) - e.right;
      e.right += moved;
      dragStart_.rx() += moved;
    }
    if (bottom) {
      const int moved = std::min(std::max(e.bottom + dy, e.top + kMinSide), area.bottom) - e.bottom;
      e.bottom += moved;
      dragStart_.ry() += moved;
    }
  }
  setGeometry(e.left, e.top, e.right - e.left, e.bottom - e.top);
}

}  // namespace kx
