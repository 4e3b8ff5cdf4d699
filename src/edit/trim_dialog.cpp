#include "edit/trim_dialog.h"

#include <cmath>

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/message_boxes.h"
#include "app/sound_settings.h"
#include "app/title_job.h"
#include "controls/picture_button.h"
#include "controls/track_bar2.h"
#include "edit/dialog_transport.h"
#include "app/title_row_texts.h"
#include "edit/trim_range.h"
#include "preview/preview_bars.h"
#include "preview/video_surface_widget.h"

namespace kx {

namespace {
constexpr std::int64_t kMicrosPerSecond = 1000000;
constexpr char kIdleTime[] = "00:00:00";

TTrackBar2* Bar(const char* name, bool secondThumb, QWidget* parent) {
  auto* bar = new TTrackBar2(parent);
  bar->setObjectName(name);
  bar->SetThumbSize(14);
  bar->SetTickStyle(TTickStyle::tiUserDrawn);
  bar->SetSecondThumb(secondThumb);
  bar->setFixedHeight(22);
  return bar;
}

QLineEdit* TimeField(const char* name, QWidget* parent) {
  auto* field = new QLineEdit(parent);
  field->setObjectName(name);
  field->setFixedWidth(90);
  return field;
}
}  // namespace

TfrmTrim::TfrmTrim(MessageBoxes& messages, std::string settingsIni, QWidget* parent)
    : QDialog(parent), messages_(messages), settingsIni_(std::move(settingsIni)) {
  setObjectName("frmTrim");
  setWindowTitle("Trim");
  imgPreview = new VideoSurface(this);
  imgPreview->setObjectName("imgPreview");
  imgPreview->setMinimumSize(640, 360);
  trcPreview = Bar("trcPreview", false, this);
  SkinPreviewBar(trcPreview, PreviewBarKind::Position);
  trcPosition = Bar("trcPosition", true, this);
  lblTime = new QLabel(this);
  lblTime->setObjectName("lblTime");
  lblPTS = new QLabel(this);
  lblPTS->setObjectName("lblPTS");
  edtStart = TimeField("edtStart", this);
  edtTrimLength = TimeField("edtTrimLength", this);
  btnDefault = new QPushButton("&Default", this);
  btnDefault->setObjectName("btnDefault");
  btnOk = new QPushButton("Ok", this);
  btnOk->setObjectName("btnOk");
  btnCancel = new QPushButton("Cancel", this);
  btnCancel->setObjectName("btnCancel");
  transport_ = new TDialogTransport(this, {&FFPlayer, trcPreview, [this] { return OpenTitle(); }, [this] {
                                             lblTime->setText(kIdleTime);
                                             lblPTS->setText(kIdleTime);
                                             imgPreview->update();
                                           }});

  auto* playRow = new QHBoxLayout;
  for (QWidget* button : {transport_->imgbtnPlay, transport_->imgbtnpause, transport_->imgbtnStop})
    playRow->addWidget(button);
  playRow->addWidget(trcPreview, 1);
  playRow->addWidget(lblTime);
  playRow->addWidget(new QLabel("/", this));
  playRow->addWidget(lblPTS);
  auto* rangeRow = new QHBoxLayout;
  rangeRow->addWidget(new QLabel("Trim Start: ", this));
  rangeRow->addWidget(edtStart);
  rangeRow->addSpacing(20);
  rangeRow->addWidget(new QLabel("Trim End: ", this));
  rangeRow->addWidget(edtTrimLength);
  rangeRow->addStretch(1);
  for (QWidget* button : {btnDefault, btnOk, btnCancel}) rangeRow->addWidget(button);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(imgPreview, 1);
  layout->addLayout(playRow);
  layout->addWidget(trcPosition);
  layout->addLayout(rangeRow);

  btnOk->setDefault(true);
  connect(btnDefault, &QPushButton::clicked, this, &TfrmTrim::btnDefaultClick);
  connect(btnOk, &QPushButton::clicked, this, &TfrmTrim::btnOkClick);
  connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(trcPosition, &TTrackBar2::OnChange, this, &TfrmTrim::trcPositionChange);
  connect(edtStart, &QLineEdit::editingFinished, this, [this] { TimeFieldEdited(edtStart, RangeStartSec); });
  connect(edtTrimLength, &QLineEdit::editingFinished, this,
          [this] { TimeFieldEdited(edtTrimLength, RangeEndSec); });
  transport_->WatchBar(trcPosition);

  FFPlayer.OnFileOpen = [this](TFFPlayer*, std::int64_t duration, int, int, int&, int&) {
    FFPlayerFileOpen(duration);
  };
  FFPlayer.OnPosition = [this](TFFPlayer*, std::int64_t pts) { FFPlayerPosition(pts); };
  FFPlayer.OnState = [this](TFFPlayer*, TPlayState state) { transport_->PlayerState(state); };
}

TfrmTrim::~TfrmTrim() { FFPlayer.Stop(true); }

bool TfrmTrim::Execute(TlvFilesRecord& rec, const std::string& drive) {
  LoadTitle(rec, drive);
  const bool stored = exec() == QDialog::Accepted;
  rec_ = nullptr;
  return stored;
}

void TfrmTrim::LoadTitle(TlvFilesRecord& rec, const std::string& drive) {
  rec_ = &rec;
  drive_ = drive;
  TitleMicros = TitleSec = RangeStartSec = RangeEndSec = 0;
  storedLengthSec_ = 0;
  lblTime->clear();
  lblPTS->clear();
  edtStart->clear();
  edtTrimLength->clear();
  const bool opened = OpenTitle();
  transport_->Opened(opened);
  if (!opened || TitleSec <= 0) return;
  if (rec.TrimStart >= 0) RangeStartSec = rec.TrimStart / kMicrosPerSecond;
  RangeEndSec = rec.TrimLength > 0 ? (rec.TrimStart + rec.TrimLength) / kMicrosPerSecond : TitleSec;
  ShowRange();
}

bool TfrmTrim::OpenTitle() {
  if (!rec_) return false;
  return OpenDialogTitle(FFPlayer, drive_, rec_->TitleIndex, imgPreview);
}

// Inside Open, on the main thread.
void TfrmTrim::FFPlayerFileOpen(std::int64_t duration) {
  TitleMicros = duration;
  transport_->SetDuration(duration);
  TitleSec = std::llround(duration / 1e6);
  lblPTS->setText(QString::fromStdString(DurationText(TitleSec)));
  const int max = static_cast<int>(TitleSec);
  trcPreview->SetMax(max);
  trcPreview->SetPositionL(0);
  trcPreview->setEnabled(true);
  {
    const QSignalBlocker quiet(trcPosition);
    trcPosition->SetMax(max);
    trcPosition->SetPositionL(0);
    trcPosition->SetPositionU(max);
  }
  FFPlayer.SetMute(ReadMute(settingsIni_));
  FFPlayer.SetAudioVolume(ReadVolume(settingsIni_));
}

void TfrmTrim::FFPlayerPosition(std::int64_t pts) {
  lblTime->setText(QString::fromStdString(DurationText(std::llround(pts / 1e6))));
  transport_->ShowPosition(pts);
}

// The range as the bar and the two fields show it. A range the bar cannot
// hold (end not after start) shows only in the fields, for Ok to refuse.
void TfrmTrim::ShowRange() {
  edtStart->setText(QString::fromStdString(DurationText(RangeStartSec)));
  edtTrimLength->setText(QString::fromStdString(DurationText(RangeEndSec)));
  if (RangeStartSec < 0 || RangeStartSec >= RangeEndSec || RangeEndSec > TitleSec) return;
  showingRange_ = true;
  trcPosition->SetPositionL(0);
  trcPosition->SetPositionU(static_cast<int>(RangeEndSec));
  trcPosition->SetPositionL(static_cast<int>(RangeStartSec));
  showingRange_ = false;
}

// The user moved a thumb: the preview bar goes to the moved end, and the
// release that follows seeks the player there.
void TfrmTrim::trcPositionChange() {
  if (showingRange_) return;
  const std::int64_t start = trcPosition->PositionL();
  const std::int64_t end = trcPosition->PositionU();
  if (start != RangeStartSec) trcPreview->SetPositionL(static_cast<int>(start));
  else if (end != RangeEndSec) trcPreview->SetPositionL(static_cast<int>(end));
  RangeStartSec = start;
  RangeEndSec = end;
  edtStart->setText(QString::fromStdString(DurationText(start)));
  edtTrimLength->setText(QString::fromStdString(DurationText(end)));
}

void TfrmTrim::TimeFieldEdited(QLineEdit* field, std::int64_t& rangeSec) {
  if (const auto seconds = HMSToSeconds(field->text().toStdString()); seconds && TitleSec > 0)
    rangeSec = std::min(*seconds, TitleSec);
  ShowRange();
}

void TfrmTrim::btnDefaultClick() {
  RangeStartSec = 0;
  RangeEndSec = TitleSec;
  ShowRange();
}

void TfrmTrim::btnOkClick() {
  if (!rec_ || TitleSec <= 0) {
    // Nothing was opened, so there is no range to store: the record stays.
    reject();
    return;
  }
  TimeFieldEdited(edtStart, RangeStartSec);
  TimeFieldEdited(edtTrimLength, RangeEndSec);
  if (RangeEndSec <= RangeStartSec) {
    messages_.Show("Warning", "The trim end must be later than the trim start.", MessageIcon::Warning);
    return;
  }
  const TTrimStore store = TrimToStore(RangeStartSec, RangeEndSec, TitleSec);
  rec_->TrimStart = store.TrimStart;
  rec_->TrimLength = store.TrimLength;
  storedLengthSec_ = store.LengthSec;
  accept();
}

void TfrmTrim::done(int result) {
  FFPlayer.Stop(true);
  QDialog::done(result);
}

}  // namespace kx
