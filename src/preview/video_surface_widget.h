#pragma once
// A black panel that paints the latest picture of a player, letterboxed by
// the picture's display aspect. Pictures arrive on the player's display
// thread and are painted in the main thread; destroy the widget only after
// its player has stopped.
#include <mutex>

#include <QImage>
#include <QWidget>

#include "player/video_surface.h"

namespace kx {

class VideoSurface : public QWidget, public TVideoSurface {
  Q_OBJECT

 public:
  explicit VideoSurface(QWidget* parent);

  void ShowPicture(const TBitmap& picture, double displayAspect) override;
  void ClearPicture() override;

  // Main thread: a copy of the picture painted last, at its own size (null when black).
  QImage CurrentImage() const;
  // Where the picture is painted in a surface of `area` for `displayAspect`.
  static QRect PictureRect(QSize area, double displayAspect);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  mutable std::mutex mutex_;
  QImage image_;  // kept while the picture size stays
  double aspect_ = 0;
  bool hasPicture_ = false;
};

}  // namespace kx
