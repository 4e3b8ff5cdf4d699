#include "controls/track_bar2_pictures.h"

#include <QPainter>
#include <QPolygon>
#include <QTransform>
#include <vector>

namespace kx {
namespace {

const QColor kSilver(192, 192, 192);
const QColor kGrey(128, 128, 128);

// Pointer pictures point up; the other directions are rotations of them.
struct PointerSize {
  int along;
  int across;
};

PointerSize PointerSizeOf(TThumbStyle style) {
  switch (style) {
    case TThumbStyle::tsSmallPointer: return {11, 16};
    case TThumbStyle::tsMediumPointer: return {15, 22};
    case TThumbStyle::tsLargePointer: return {21, 30};
    default: return {0, 0};
  }
}

QImage UpPointer(PointerSize size, QColor fill) {
  QImage picture(size.along, size.across, QImage::Format_ARGB32_Premultiplied);
  picture.fill(Qt::transparent);
  const int w = size.along - 1;
  const int h = size.across - 1;
  const int tip = size.along / 2;
  QPainter painter(&picture);
  painter.setPen(Qt::NoPen);
  painter.setBrush(fill);
  painter.drawPolygon(QPolygon({QPoint(0, h), QPoint(0, tip), QPoint(tip, 0), QPoint(w, tip), QPoint(w, h)}));
  painter.setPen(Qt::white);
  painter.drawPolyline(QPolygon({QPoint(0, h), QPoint(0, tip), QPoint(tip, 0)}));
  painter.setPen(Qt::black);
  painter.drawPolyline(QPolygon({QPoint(tip, 0), QPoint(w, tip), QPoint(w, h), QPoint(0, h)}));
  return picture;
}

// One-pixel edges on the border of `rect` (inclusive corners).
void DrawEdges(QPainter& painter, const QRect& rect, QColor topLeft, QColor bottomRight) {
  painter.setPen(topLeft);
  painter.drawLine(rect.bottomLeft(), rect.topLeft());
  painter.drawLine(rect.topLeft(), rect.topRight());
  painter.setPen(bottomRight);
  painter.drawLine(rect.topRight(), rect.bottomRight());
  painter.drawLine(rect.bottomRight(), rect.bottomLeft());
}

qreal PointerRotation(TOrientation orientation, TTickOrientation ticks) {
  const bool towardsTopLeft = ticks != TTickOrientation::toBottomRight;
  if (orientation == TOrientation::toHorizontal) return towardsTopLeft ? 0 : 180;
  return towardsTopLeft ? -90 : 90;
}

}  // namespace

void DrawBevel(QPainter& painter, const QRect& rect, Bevel bevel) {
  const bool raised = bevel == Bevel::Raised;
  DrawEdges(painter, rect, raised ? Qt::white : Qt::black, raised ? Qt::black : Qt::white);
  if (rect.width() > 2 && rect.height() > 2)
    DrawEdges(painter, rect.adjusted(1, 1, -1, -1), raised ? kSilver : kGrey, raised ? kGrey : kSilver);
}

QImage DitherPattern() {
  const QColor base = Qt::white;
  const QColor dot = base == kSilver ? kGrey : kSilver;
  QImage pattern(8, 8, QImage::Format_RGB32);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) pattern.setPixelColor(x, y, (x + y) % 2 ? dot : base);
  return pattern;
}

int PointerThumbLength(TThumbStyle style) { return PointerSizeOf(style).along; }

QImage ThumbPicture(TThumbStyle style, TOrientation orientation, TTickOrientation ticks, int thumbSize,
                    QColor thumbColor) {
  if (style == TThumbStyle::tsUserDrawn) return {};
  if (PointerThumbLength(style) > 0)
    return UpPointer(PointerSizeOf(style), thumbColor)
        .transformed(QTransform().rotate(PointerRotation(orientation, ticks)));

  const int along = std::max(thumbSize / 2, 1);
  const int across = std::max(thumbSize, 1);
  const QSize size = orientation == TOrientation::toHorizontal ? QSize(along, across) : QSize(across, along);
  QImage picture(size, QImage::Format_ARGB32_Premultiplied);
  picture.fill(thumbColor);
  QPainter painter(&picture);
  const QRect frame(QPoint(0, 0), size);
  if (style == TThumbStyle::tsRectangle) {
    painter.setPen(Qt::black);
    painter.drawRect(frame.adjusted(0, 0, -1, -1));
  } else {
    DrawBevel(painter, frame, style == TThumbStyle::tsRaisedRectangle ? Bevel::Raised : Bevel::Lowered);
  }
  return picture;
}

QImage HatchedThumb(const QImage& thumb, const QImage& pattern) {
  QImage hatched = thumb.convertToFormat(QImage::Format_ARGB32);
  if (hatched.isNull()) return hatched;
  const QPoint centre(hatched.width() / 2, hatched.height() / 2);
  const QRgb face = hatched.pixel(centre);
  if (qAlpha(face) == 0) return hatched;
  // Flood fill over the face colour, so bevels and outlines stay as they are.
  std::vector<bool> seen(static_cast<size_t>(hatched.width() * hatched.height()));
  std::vector<QPoint> todo{centre};
  while (!todo.empty()) {
    const QPoint p = todo.back();
    todo.pop_back();
    if (!hatched.rect().contains(p)) continue;
    const size_t index = static_cast<size_t>(p.y() * hatched.width() + p.x());
    if (seen[index] || hatched.pixel(p) != face) continue;
    seen[index] = true;
    hatched.setPixel(p, pattern.pixel(p.x() % pattern.width(), p.y() % pattern.height()));
    todo.insert(todo.end(), {p + QPoint(1, 0), p - QPoint(1, 0), p + QPoint(0, 1), p - QPoint(0, 1)});
  }
  return hatched;
}

QImage TickPicture(TTickStyle style, int tickSize, QColor tickColor) {
  if (style == TTickStyle::tiUserDrawn || style == TTickStyle::tiLine || tickSize <= 0) return {};
  QImage picture(tickSize, tickSize, QImage::Format_RGB32);
  picture.fill(tickColor);
  QPainter painter(&picture);
  const QRect square(0, 0, tickSize - 1, tickSize - 1);
  if (style == TTickStyle::tiSquare) {
    painter.setPen(Qt::black);
    painter.drawRect(square);
    return picture;
  }
  const bool raised = style == TTickStyle::tiRaisedSquare;
  DrawEdges(painter, square, raised ? Qt::white : Qt::black, raised ? Qt::black : Qt::white);
  return picture;
}

}  // namespace kx
