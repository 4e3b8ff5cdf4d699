#pragma once
// TfrmTrim: the modal "Trim" dialog. It plays the title with its own player,
// shows a position bar and a range bar whose two thumbs are the trim start
// and end in whole seconds, and on Ok stores the range into the job record.
// Created on first use and kept; every opening loads the title anew.
// Main thread only.
#include <cstdint>
#include <string>

#include <QDialog>

#include "player/ff_player.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace kx {

class MessageBoxes;
class TDialogTransport;
class TTrackBar2;
class VideoSurface;
struct TlvFilesRecord;

class TfrmTrim : public QDialog {
  Q_OBJECT

 public:
  TfrmTrim(MessageBoxes& messages, std::string settingsIni, QWidget* parent);
  ~TfrmTrim() override;

  // Opens the title of `rec` on `drive` and loads its range; Ok writes
  // `rec`, which must outlive the showing.
  void LoadTitle(TlvFilesRecord& rec, const std::string& drive);
  // LoadTitle, then modal; true when Ok stored a range.
  bool Execute(TlvFilesRecord& rec, const std::string& drive);
  // The length Ok stored, in seconds, for the title list's column.
  std::int64_t StoredLengthSec() const { return storedLengthSec_; }

  void btnDefaultClick();
  void btnOkClick();

 protected:
  void done(int result) override;

 private:
  bool OpenTitle();
  void FFPlayerFileOpen(std::int64_t duration);
  void FFPlayerPosition(std::int64_t pts);
  void trcPositionChange();
  // A typed time in edtStart or edtTrimLength; a text that is no time is put back.
  void TimeFieldEdited(QLineEdit* field, std::int64_t& rangeSec);
  void ShowRange();

  MessageBoxes& messages_;
  std::string settingsIni_;
  TFFPlayer FFPlayer;
  TlvFilesRecord* rec_ = nullptr;
  std::string drive_;

  VideoSurface* imgPreview;
  TTrackBar2* trcPreview;
  TTrackBar2* trcPosition;
  QLabel* lblTime;
  QLabel* lblPTS;
  QLineEdit* edtStart;
  QLineEdit* edtTrimLength;
  QPushButton* btnDefault;
  QPushButton* btnOk;
  QPushButton* btnCancel;
  TDialogTransport* transport_;

  std::int64_t TitleMicros = 0;
  std::int64_t TitleSec = 0;
  std::int64_t RangeStartSec = 0;
  std::int64_t RangeEndSec = 0;
  bool showingRange_ = false;  // the bar is being set from the range
  std::int64_t storedLengthSec_ = 0;
};

}  // namespace kx
