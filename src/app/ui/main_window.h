#pragma once
#include <QMainWindow>
#include <string>
#include <vector>

class QLabel;
class QLineEdit;
class QPlainTextEdit;

namespace kx {

class TfrmAbout;

// The main window. Creating it creates the application-wide TGlobalObject;
// destroying it frees it. Main thread only.
class TfrmMain : public QMainWindow {
  Q_OBJECT

 public:
  // extraDrives: ISO images and VIDEO_TS folders from the command line.
  explicit TfrmMain(std::vector<std::string> extraDrives);
  ~TfrmMain() override;

  // Offered by the drive menu after the optical drives.
  const std::vector<std::string>& ExtraDrives() const { return extraDrives_; }

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void FormCreate();
  void FormShow();
  void mniAboutClick();

  std::vector<std::string> extraDrives_;
  bool shownOnce_ = false;
  QLabel* lblAppName = nullptr;
  QLineEdit* edDirectory = nullptr;
  QPlainTextEdit* mmoLog = nullptr;  // diagnostic log, never shown
  TfrmAbout* frmAbout = nullptr;     // created on first use, then kept
};

}  // namespace kx
