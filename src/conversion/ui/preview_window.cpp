#include "conversion/ui/preview_window.h"

#include <QCloseEvent>
#include <QVBoxLayout>

namespace kx {

TPreviewWindow::TPreviewWindow() : QWidget(nullptr, Qt::Tool | Qt::WindowStaysOnTopHint) {
  setObjectName("frmPreview");
  imgPreview = new TPictureBox(this);
  imgPreview->setObjectName("imgPreview");
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(imgPreview);
}

bool TPreviewWindow::Show(const TBitmap& picture, std::int64_t ptsUs, int) {
  if (closed_) return false;
  if (!isVisible()) {
    resize(picture.Width, picture.Height);
    show();
  }
  setWindowTitle(QString::fromStdString(PreviewCaption(ptsUs)));
  imgPreview->Draw(picture);
  return true;
}

void TPreviewWindow::closeEvent(QCloseEvent* event) {
  closed_ = true;
  event->accept();
}

void RegisterPreviewWindow() {
  SetPreviewSurfaceFactory([] { return std::make_unique<TPreviewWindow>(); });
}

}  // namespace kx
