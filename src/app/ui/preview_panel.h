#pragma once
// The preview area on the right of the main window: the black video panel
// pan1, the position and volume bars, the time labels and the transport,
// snapshot and mute buttons; TTitlePreview brings them to life.
#include <QWidget>

namespace kx {

class TPreviewPanel : public QWidget {
  Q_OBJECT

 public:
  explicit TPreviewPanel(QWidget* parent);
};

}  // namespace kx
