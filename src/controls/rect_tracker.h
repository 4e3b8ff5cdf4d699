#pragma once
// A dotted rectangle with eight square handles, laid over a picture, that
// the user moves by its inside and resizes by its handles (the crop
// rectangle). It paints over whatever lies under it, inverting the pen, so
// it stays visible on any picture. Main thread only.
//
// The rectangle the owner cares about is the inner one, 2 pixels inside the
// tracker's own bounds; OnChange reports it in the parent's coordinates.
#include <QPointer>
#include <QWidget>

class QMouseEvent;

namespace kx {

class TRectTracker : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kMinSide = 10;

  explicit TRectTracker(QWidget* parent = nullptr);

  // A control (sharing the tracker's parent) that the tracker frames 5
  // pixels around and takes along when it is moved or resized. Null, or the
  // tracker itself, detaches. The attachment ends when the control is destroyed.
  QWidget* AcControl() const { return acControl_; }
  void SetAcControl(QWidget* control);

  // While dragging, the inner rectangle is kept inside `area` (parent
  // coordinates); an empty area sets no limit.
  QRect Limit() const { return limit_; }
  void SetLimit(const QRect& area) { limit_ = area; }

  // The inner rectangle in the parent's coordinates.
  QRect TrackRect() const { return geometry().adjusted(2, 2, -2, -2); }

 signals:
  // After a drag that changed the bounds, on release.
  void OnChange(QRect trackRect);
  // The tracker's mouse events, raised after it has applied the event.
  void OnMouseDown(QMouseEvent* event);
  void OnMouseMove(QMouseEvent* event);
  void OnMouseUp(QMouseEvent* event);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  // In this order they index the cursor table of mouseMoveEvent.
  enum class Zone { None, TopLeft, BottomRight, BottomLeft, TopRight, Left, Right, Top, Bottom, Move };

  Zone ZoneAt(QPoint point) const;
  void Drag(QPoint point);
  void TakeControlAlong();

  QPointer<QWidget> acControl_;
  bool placingAroundControl_ = false;
  QRect limit_;
  static constexpr QPoint kNoDrag{-1, -1};
  QPoint dragStart_ = kNoDrag;
  Zone zone_ = Zone::None;
  QRect boundsAtPress_;
};

}  // namespace kx
