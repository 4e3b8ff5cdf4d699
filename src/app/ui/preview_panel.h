#pragma once
// The preview area on the right of the main window: the black video panel
// pan1, the position and volume bars, the time labels and the transport,
// snapshot and mute buttons. The player is not wired yet, so the controls
// stay disabled and the labels show their idle captions.
#include <QWidget>

namespace kx {

class TPreviewPanel : public QWidget {
  Q_OBJECT

 public:
  explicit TPreviewPanel(QWidget* parent);
};

}  // namespace kx
