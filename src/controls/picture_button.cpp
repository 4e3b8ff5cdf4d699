#include "controls/picture_button.h"

#include <QPainter>
#include <QPainterPath>

namespace kx {
namespace {

const QColor kSkinBlue(58, 111, 183);
constexpr int kCaptionHeightPx = 15;

QPolygonF Points(std::initializer_list<QPointF> points) { return QPolygonF(QList<QPointF>(points)); }

}  // namespace

TPictureButton::TPictureButton(Glyph glyph, const QString& caption, QSize size, QWidget* parent, QColor face)
    : QAbstractButton(parent), glyph_(glyph), size_(size), face_(face.isValid() ? face : kSkinBlue) {
  setText(caption);
  setFixedSize(size);
  setCursor(Qt::PointingHandCursor);
  setFocusPolicy(Qt::NoFocus);
}

void TPictureButton::enterEvent(QEnterEvent* event) {
  hovered_ = true;
  update();
  QAbstractButton::enterEvent(event);
}

void TPictureButton::leaveEvent(QEvent* event) {
  hovered_ = false;
  update();
  QAbstractButton::leaveEvent(event);
}

void TPictureButton::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  QColor face = face_;
  if (!isEnabled())
    face = QColor::fromHsv(face.hue(), face.saturation() / 4, std::min(face.value() + 40, 230));
  else if (isDown())
    face = face.darker(125);
  else if (hovered_)
    face = face.lighter(120);

  const QRectF frame = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
  const qreal radius = std::min(frame.width(), frame.height()) < 24 ? 3 : 6;
  QLinearGradient shine(frame.topLeft(), frame.bottomLeft());
  shine.setColorAt(0, face.lighter(135));
  shine.setColorAt(0.5, face);
  shine.setColorAt(1, face.darker(115));
  painter.setPen(QPen(face.darker(150), 1));
  painter.setBrush(shine);
  painter.drawRoundedRect(frame, radius, radius);

  const qreal margin = std::min(frame.width(), frame.height()) < 16 ? 1 : 3;
  QRectF glyphBox = frame.adjusted(margin, margin, -margin, -margin);
  const bool captioned = glyph_ != Glyph::Letter && !text().isEmpty();
  if (captioned) glyphBox.setBottom(glyphBox.bottom() - kCaptionHeightPx);
  drawGlyph(painter, glyphBox);
  if (captioned) {
    QFont font = painter.font();
    font.setPixelSize(11);
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(isEnabled() ? Qt::white : QColor(240, 240, 240));
    painter.drawText(QRectF(frame.left(), glyphBox.bottom(), frame.width(), kCaptionHeightPx + 2),
                     Qt::AlignCenter, QString(text()).remove('&'));
  }
}

// Glyphs are drawn on a unit square centred in `box`.
void TPictureButton::drawGlyph(QPainter& painter, const QRectF& box) const {
  const qreal side = std::min(box.width(), box.height());
  painter.save();
  painter.translate(box.center().x() - side / 2, box.center().y() - side / 2);
  painter.scale(side, side);
  const QColor ink = isEnabled() ? Qt::white : QColor(245, 245, 245);
  QPen pen(ink, side < 20 ? 0.14 : 0.09, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
  painter.setPen(pen);
  painter.setBrush(Qt::NoBrush);
  auto fill = [&](const QPolygonF& shape) {
    painter.save();
    painter.setPen(Qt::NoPen);
    painter.setBrush(ink);
    painter.drawPolygon(shape);
    painter.restore();
  };

  switch (glyph_) {
    case Glyph::AddDisc:
      painter.drawEllipse(QPointF(0.45, 0.5), 0.38, 0.38);
      painter.drawEllipse(QPointF(0.45, 0.5), 0.08, 0.08);
      painter.drawLine(QPointF(0.86, 0.08), QPointF(0.86, 0.38));
      painter.drawLine(QPointF(0.71, 0.23), QPointF(1.0, 0.23));
      break;
    case Glyph::Clear:
      painter.drawPolyline(Points({{0.25, 0.25}, {0.32, 0.92}, {0.68, 0.92}, {0.75, 0.25}}));
      painter.drawLine(QPointF(0.15, 0.22), QPointF(0.85, 0.22));
      painter.drawLine(QPointF(0.4, 0.1), QPointF(0.6, 0.1));
      painter.drawLine(QPointF(0.43, 0.4), QPointF(0.45, 0.78));
      painter.drawLine(QPointF(0.57, 0.4), QPointF(0.55, 0.78));
      break;
    case Glyph::Settings:
      for (int i = 0; i < 8; ++i) {
        painter.save();
        painter.translate(0.5, 0.5);
        painter.rotate(45.0 * i);
        painter.drawLine(QPointF(0, 0.3), QPointF(0, 0.44));
        painter.restore();
      }
      painter.drawEllipse(QPointF(0.5, 0.5), 0.28, 0.28);
      painter.drawEllipse(QPointF(0.5, 0.5), 0.1, 0.1);
      break;
    case Glyph::Edit:
      painter.drawEllipse(QPointF(0.25, 0.78), 0.12, 0.12);
      painter.drawEllipse(QPointF(0.75, 0.78), 0.12, 0.12);
      painter.drawLine(QPointF(0.33, 0.69), QPointF(0.72, 0.1));
      painter.drawLine(QPointF(0.67, 0.69), QPointF(0.28, 0.1));
      break;
    case Glyph::Start:
      painter.drawEllipse(QPointF(0.5, 0.5), 0.44, 0.44);
      fill(Points({{0.4, 0.28}, {0.74, 0.5}, {0.4, 0.72}}));
      break;
    case Glyph::Exit:
      painter.drawArc(QRectF(0.12, 0.14, 0.76, 0.76), 125 * 16, 290 * 16);
      painter.drawLine(QPointF(0.5, 0.06), QPointF(0.5, 0.48));
      break;
    case Glyph::ArrowUp: fill(Points({{-0.2, 0.9}, {0.5, 0.1}, {1.2, 0.9}})); break;
    case Glyph::ArrowDown: fill(Points({{-0.2, 0.1}, {0.5, 0.9}, {1.2, 0.1}})); break;
    case Glyph::Minimise: painter.drawLine(QPointF(0.25, 0.72), QPointF(0.75, 0.72)); break;
    case Glyph::Close:
      painter.drawLine(QPointF(0.28, 0.28), QPointF(0.72, 0.72));
      painter.drawLine(QPointF(0.72, 0.28), QPointF(0.28, 0.72));
      break;
    case Glyph::Previous:
      fill(Points({{0.8, 0.22}, {0.34, 0.5}, {0.8, 0.78}}));
      painter.drawLine(QPointF(0.25, 0.22), QPointF(0.25, 0.78));
      break;
    case Glyph::Play: fill(Points({{0.28, 0.18}, {0.82, 0.5}, {0.28, 0.82}})); break;
    case Glyph::Pause:
      fill(Points({{0.24, 0.2}, {0.42, 0.2}, {0.42, 0.8}, {0.24, 0.8}}));
      fill(Points({{0.58, 0.2}, {0.76, 0.2}, {0.76, 0.8}, {0.58, 0.8}}));
      break;
    case Glyph::Stop: fill(Points({{0.24, 0.24}, {0.76, 0.24}, {0.76, 0.76}, {0.24, 0.76}})); break;
    case Glyph::Next:
      fill(Points({{0.2, 0.22}, {0.66, 0.5}, {0.2, 0.78}}));
      painter.drawLine(QPointF(0.75, 0.22), QPointF(0.75, 0.78));
      break;
    case Glyph::Snapshot:
      painter.drawRoundedRect(QRectF(0.1, 0.3, 0.8, 0.52), 0.08, 0.08);
      painter.drawEllipse(QPointF(0.5, 0.56), 0.15, 0.15);
      painter.drawLine(QPointF(0.36, 0.3), QPointF(0.42, 0.18));
      painter.drawLine(QPointF(0.42, 0.18), QPointF(0.58, 0.18));
      painter.drawLine(QPointF(0.58, 0.18), QPointF(0.64, 0.3));
      break;
    case Glyph::Speaker:
      fill(Points({{0.1, 0.38}, {0.28, 0.38}, {0.5, 0.16}, {0.5, 0.84}, {0.28, 0.62}, {0.1, 0.62}}));
      painter.drawArc(QRectF(0.42, 0.3, 0.36, 0.4), -50 * 16, 100 * 16);
      painter.drawArc(QRectF(0.36, 0.16, 0.56, 0.68), -50 * 16, 100 * 16);
      break;
    case Glyph::Letter: {
      painter.resetTransform();
      QFont font = painter.font();
      font.setPixelSize(static_cast<int>(side * 0.7));
      font.setBold(true);
      painter.setFont(font);
      painter.setPen(ink);
      painter.drawText(box, Qt::AlignCenter, text());
      break;
    }
  }
  painter.restore();
}

}  // namespace kx
