#pragma once
// The small stay-on-top window in which a running task shows its pictures
// when the encoder's Preview flag is on and no OnPreviewBitmap handler
// takes them; its title is the picture's time.
#include <QWidget>

#include "conversion/ui/picture_box.h"
#include "engine/preview_surface.h"

namespace kx {

class TPreviewWindow : public QWidget, public TPreviewSurface {
  Q_OBJECT

 public:
  TPreviewWindow();
  // Main thread. False once the user has closed the window.
  bool Show(const TBitmap& picture, std::int64_t ptsUs, int frameNumber) override;

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  TPictureBox* imgPreview;
  bool closed_ = false;
};

// Main thread: makes the engine open a TPreviewWindow for every task that
// previews in a window.
void RegisterPreviewWindow();

}  // namespace kx
