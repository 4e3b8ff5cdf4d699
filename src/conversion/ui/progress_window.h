#pragma once
// The progress window: started modally once the tasks of a run are
// registered, it starts the encoder, follows the running task (labels, bar,
// live picture, the title list's "Progress" column), offers Pause, Resume
// and Cancel, runs the after-conversion actions after the last task and
// closes at the run end. Created on the first run and kept. Main thread only.
#include <QDialog>
#include <string>
#include <utility>
#include <vector>

#include "app/message_boxes.h"
#include "conversion/ui/conversion_host.h"
#include "engine/ff_encoder.h"

class QCheckBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

namespace kx {

class TPictureBox;
class TPictureButton;

class TfrmProgress : public QDialog {
  Q_OBJECT

 public:
  explicit TfrmProgress(QWidget* parent = nullptr);

  // Runs every task of `encoder`; `taskRows` maps each task to its row of
  // `host`'s title list. Returns after the run end, with the encoder's list
  // cleared and the window closed; then tells `boxes` of every task that
  // failed, with the engine's text. The encoder's progress, preview and
  // terminate events belong to the window for that time.
  void Run(TFFEncoder& encoder, ConversionHost& host, std::vector<int> taskRows, MessageBoxes& boxes);

  // The encoder's latest preview picture of this run (none before the first).
  const TBitmap& PreviewPicture() const { return preview_; }

 protected:
  void showEvent(QShowEvent* event) override;
  // Any close request (Cancel, the close button, Escape) stops the run; the
  // window closes at the run end that follows.
  void closeEvent(QCloseEvent* event) override;
  void reject() override;

 private:
  void BuildControls();
  void btnPauseClick();
  void btnResumeClick();
  // The run's latest preview picture and the box as shown, into the snapshot files.
  void imgbtnSnapClick();
  void Timer1Timer();
  // Main thread, while the worker waits.
  void CCAVCProgress(const TProgressInfo& info);
  void CCAVCPreviewBitmap(const TPreviewInfo& info);
  // Main thread, in the order the encoder raised the ends.
  void CCAVCTerminate(const TTerminateInfo& info);
  void SetBindings(bool on);
  bool KnownTask(int taskIndex) const;

  TPictureBox* imgPreview = nullptr;
  QLabel* lblTime = nullptr;
  QLabel* lblLength = nullptr;
  QLabel* lblSize = nullptr;
  QLabel* lblProgress = nullptr;
  QLabel* lblOutput = nullptr;
  QProgressBar* progbarFile = nullptr;
  QPushButton* btnPause = nullptr;
  QPushButton* btnResume = nullptr;
  QPushButton* btnCancel = nullptr;
  TPictureButton* imgbtnSnap = nullptr;
  QCheckBox* ckOpen = nullptr;
  QCheckBox* ckShutDown = nullptr;
  QTimer* Timer1 = nullptr;

  TFFEncoder* encoder_ = nullptr;
  ConversionHost* host_ = nullptr;
  MessageBoxes* boxes_ = nullptr;
  std::vector<int> taskRows_;
  TBitmap preview_;
  bool running_ = false;  // from the encoder's start to the run end
  std::vector<std::pair<int, std::string>> failures_;  // task index, engine's text
};

}  // namespace kx
