#include "edit/watermark_render.h"

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <stdexcept>

namespace kx {
namespace {

QColor ToQColor(TColor color) { return QColor::fromRgb(static_cast<QRgb>(color & 0xFFFFFF)); }

// Format_ARGB32_Premultiplied holds blue, green, red, alpha bytes on
// little-endian machines: the overlay's layout.
TOverlay ToOverlay(const QImage& image) {
  static_assert(Q_BYTE_ORDER == Q_LITTLE_ENDIAN);
  const QImage premultiplied = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
  TOverlay overlay;
  overlay.Width = premultiplied.width();
  overlay.Height = premultiplied.height();
  overlay.Bgra.resize(static_cast<std::size_t>(overlay.Width) * 4 * overlay.Height);
  for (int y = 0; y < overlay.Height; ++y)
    std::memcpy(overlay.Bgra.data() + static_cast<std::size_t>(overlay.Width) * 4 * y, premultiplied.constScanLine(y),
                static_cast<std::size_t>(overlay.Width) * 4);
  return overlay;
}

// Point sizes are meant at 96 dots per inch, the grid the dialog measured
// the box in.
QFont ToQFont(const TFont& font) {
  QFont qfont(QString::fromStdString(font.Name));
  if (font.Size > 0) qfont.setPixelSize(static_cast<int>(std::lround(font.Size * 96.0 / 72.0)));
  qfont.setBold(HasStyle(font.Style, TFontStyle::Bold));
  qfont.setItalic(HasStyle(font.Style, TFontStyle::Italic));
  qfont.setUnderline(HasStyle(font.Style, TFontStyle::Underline));
  qfont.setStrikeOut(HasStyle(font.Style, TFontStyle::StrikeOut));
  return qfont;
}

}  // namespace

TOverlay RenderTextItem(const TWmRec& item) {
  const int width = std::min(item.TextWidth, kMaxOverlaySide);
  const int height = std::min(item.TextHeight, kMaxOverlaySide);
  if (item.Text.empty() || width <= 0 || height <= 0) return {};
  QImage box(width, height, QImage::Format_ARGB32_Premultiplied);
  box.fill(item.FillBack ? ToQColor(item.BackColor) : QColor(Qt::transparent));
  {
    QPainter painter(&box);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setFont(ToQFont(item.Font));
    painter.setPen(ToQColor(item.Font.Color));
    painter.drawText(QRect(0, 0, width, height), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                     QString::fromStdString(item.Text));
  }
  return ToOverlay(box);
}

QSize TextExtent(const TFont& font, const std::string& text) {
  if (text.empty()) return {};
  const QFontMetrics metrics(ToQFont(font));
  return QSize(metrics.horizontalAdvance(QString::fromStdString(text)), metrics.height());
}

QImage OverlayImage(const TOverlay& overlay) {
  if (overlay.Width <= 0 || overlay.Height <= 0) return {};
  return QImage(overlay.Bgra.data(), overlay.Width, overlay.Height, overlay.Width * 4,
                QImage::Format_ARGB32_Premultiplied)
      .copy();
}

TOverlay LoadPictureItem(const TWmRec& item) {
  QImage picture(QString::fromStdString(item.ImageFile));
  if (picture.isNull()) throw std::runtime_error("Cannot read the picture file " + item.ImageFile);
  if (item.ImageWidth > 0 && item.ImageHeight > 0 && picture.size() != QSize(item.ImageWidth, item.ImageHeight))
    picture = picture.scaled(std::min(item.ImageWidth, kMaxOverlaySide), std::min(item.ImageHeight, kMaxOverlaySide),
                             Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
  else if (picture.width() > kMaxOverlaySide || picture.height() > kMaxOverlaySide)
    picture = picture.copy(0, 0, std::min(picture.width(), kMaxOverlaySide), std::min(picture.height(), kMaxOverlaySide));
  return ToOverlay(picture);
}

}  // namespace kx
