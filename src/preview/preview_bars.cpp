#include "preview/preview_bars.h"

#include <QPainter>

#include "controls/track_bar2.h"

namespace kx {
namespace {

// The window's colours: the bar's ground, the played part, the rest.
const QColor kGround(24, 52, 91);
const QColor kPlayed(118, 152, 202);
const QColor kRest(36, 74, 123);
const QColor kThumb(214, 226, 240);
constexpr int kThumbSize = 12;
constexpr int kGrooveHeight = 4;

void DrawTrack(const TTrackBar2& bar, QPainter& canvas) { canvas.fillRect(bar.rect(), kGround); }

// (x, y) is the thumb's top-left corner; the groove runs through its middle.
void DrawThumb(const TTrackBar2& bar, QPainter& canvas, int x, int y) {
  const int middle = y + kThumbSize / 2;
  const int grooveTop = middle - kGrooveHeight / 2;
  canvas.fillRect(QRect(QPoint(2, grooveTop), QPoint(x + kThumbSize / 2, grooveTop + kGrooveHeight - 1)),
                  bar.isEnabled() ? kPlayed : kRest);
  canvas.fillRect(QRect(QPoint(x + kThumbSize / 2 + 1, grooveTop), QPoint(bar.width() - 3, grooveTop + kGrooveHeight - 1)),
                  kRest);
  if (!bar.isEnabled()) return;
  canvas.setRenderHint(QPainter::Antialiasing);
  canvas.setPen(kGround);
  canvas.setBrush(kThumb);
  canvas.drawEllipse(QRectF(x + 0.5, y + 0.5, kThumbSize - 1, kThumbSize - 1));
}

}  // namespace

void SkinPreviewBar(TTrackBar2* bar, PreviewBarKind kind) {
  bar->SetTrackStyle(TTrackStyle::trUserDrawn);
  bar->SetThumbStyle(TThumbStyle::tsUserDrawn);
  bar->SetThumbSize(kThumbSize);
  bar->SetTickStyle(TTickStyle::tiUserDrawn);
  bar->setFixedHeight(20);
  if (kind == PreviewBarKind::Volume) bar->SetMax(128);
  QObject::connect(bar, &TTrackBar2::OnDrawTrack, bar, [bar](QPainter* canvas) { DrawTrack(*bar, *canvas); });
  QObject::connect(bar, &TTrackBar2::OnDrawThumb, bar,
                   [bar](QPainter* canvas, int x, int y) { DrawThumb(*bar, *canvas, x, y); });
}

int PreviewBarDragPosition(const TTrackBar2& bar, PreviewBarKind kind, int x) {
  const int span = bar.width() - (kind == PreviewBarKind::Position ? 15 : 20);
  if (span <= 0) return bar.Min();
  return static_cast<int>(static_cast<double>(x) / span * bar.Max());
}

}  // namespace kx
