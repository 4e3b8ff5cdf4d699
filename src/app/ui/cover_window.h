#pragma once
#include <QImage>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <string>

namespace kx {

// The start-up window: the picture "skin/dvdzunecover.jpg" of the program
// folder, borderless and centred, until the main window shows.
class TfrmCover : public QWidget {
  Q_OBJECT

 public:
  explicit TfrmCover(const std::string& programFolder);

  // Shows and paints the window at once, before the event loop runs. Without
  // a picture the window has no size and stays hidden.
  void ShowAtOnce();
  // The window whose showing closes this one, at the next tick of the
  // one-second timer.
  void WatchMainWindow(QWidget* window) { mainWindow_ = window; }
  const QImage& Picture() const { return picture_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void timerTick();

  QImage picture_;
  QTimer timer_;
  QPointer<QWidget> mainWindow_;
};

}  // namespace kx
