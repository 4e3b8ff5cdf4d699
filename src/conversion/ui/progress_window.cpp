#include "conversion/ui/progress_window.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "conversion/conversion_start.h"
#include "conversion/progress_texts.h"
#include "conversion/ui/power_off.h"
#include "conversion/ui/main_thread_pump.h"
#include "conversion/ui/picture_box.h"
#include "conversion/ui/preview_window.h"
#include "controls/picture_button.h"
#include "preview/snapshot.h"

namespace kx {
namespace {

QString Text(const std::string& text) { return QString::fromStdString(text); }

QLabel* AddValueRow(QGridLayout* grid, const char* caption, const char* name) {
  const int row = grid->rowCount();
  grid->addWidget(new QLabel(caption), row, 0);
  auto* value = new QLabel;
  value->setObjectName(name);
  grid->addWidget(value, row, 1);
  return value;
}

QPushButton* Button(const char* text, const char* name) {
  auto* button = new QPushButton(text);
  button->setObjectName(name);
  return button;
}

QCheckBox* CheckBox(const char* text, const char* name) {
  auto* box = new QCheckBox(text);
  box->setObjectName(name);
  return box;
}

}  // namespace

TfrmProgress::TfrmProgress(QWidget* parent) : QDialog(parent) {
  setObjectName("frmProgress");
  setWindowTitle("Progress");
  setFixedSize(420, 460);
  BuildControls();
  InstallMainThreadPump();
  RegisterPreviewWindow();
}

void TfrmProgress::BuildControls() {
  imgPreview = new TPictureBox;
  imgPreview->setObjectName("imgPreview");
  imgPreview->setFixedSize(396, 224);

  auto* values = new QGridLayout;
  values->setColumnStretch(1, 1);
  lblTime = AddValueRow(values, "Current Time:", "lblTime");
  lblLength = AddValueRow(values, "Length:", "lblLength");
  lblSize = AddValueRow(values, "File Size:", "lblSize");
  lblProgress = AddValueRow(values, "Progress:", "lblProgress");
  lblOutput = AddValueRow(values, "File:", "lblOutput");

  progbarFile = new QProgressBar;
  progbarFile->setObjectName("progbarFile");
  ckOpen = CheckBox("Open the output folder after conversion", "ckOpen");
  ckShutDown = CheckBox("Shut down computer after conversion", "ckShutDown");

  btnPause = Button("Pause", "btnPause");
  btnResume = Button("Resume", "btnResume");
  btnCancel = Button("Cancel", "btnCancel");
  connect(btnPause, &QPushButton::clicked, this, &TfrmProgress::btnPauseClick);
  connect(btnResume, &QPushButton::clicked, this, &TfrmProgress::btnResumeClick);
  connect(btnCancel, &QPushButton::clicked, this, &TfrmProgress::close);
  imgbtnSnap = new TPictureButton(Glyph::Snapshot, {}, QSize(30, 26), this);
  imgbtnSnap->setObjectName("imgbtnSnap");
  imgbtnSnap->setToolTip("Save snapshot picture");
  connect(imgbtnSnap, &QAbstractButton::clicked, this, &TfrmProgress::imgbtnSnapClick);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(imgbtnSnap);
  buttons->addStretch();
  buttons->addWidget(btnPause);
  buttons->addWidget(btnResume);
  buttons->addWidget(btnCancel);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(imgPreview, 0, Qt::AlignHCenter);
  layout->addLayout(values);
  layout->addWidget(progbarFile);
  layout->addWidget(ckOpen);
  layout->addWidget(ckShutDown);
  layout->addStretch();
  layout->addLayout(buttons);

  Timer1 = new QTimer(this);
  Timer1->setObjectName("Timer1");
  Timer1->setInterval(100);
  connect(Timer1, &QTimer::timeout, this, &TfrmProgress::Timer1Timer);
}

void TfrmProgress::Run(TFFEncoder& encoder, ConversionHost& host, std::vector<int> taskRows, MessageBoxes& boxes) {
  encoder_ = &encoder;
  host_ = &host;
  boxes_ = &boxes;
  taskRows_ = std::move(taskRows);
  failures_.clear();
  SetBindings(true);
  exec();
  SetBindings(false);
  for (const auto& [row, error] : failures_)
    boxes.Show("Warning", TaskFailureText(host.RowCaption(row), error), MessageIcon::Warning);
  encoder_ = nullptr;
  host_ = nullptr;
  boxes_ = nullptr;
}

void TfrmProgress::imgbtnSnapClick() {
  if (host_ == nullptr || preview_.Width <= 0 || preview_.Height <= 0) return;
  SaveSnapshot(host_->SettingsIni(), preview_, BitmapOf(imgPreview->Canvas()), *boxes_);
}

void TfrmProgress::SetBindings(bool on) {
  if (!on) {
    encoder_->SetOnProgress({});
    encoder_->SetOnPreviewBitmap({});
    encoder_->SetOnTerminate({});
    return;
  }
  encoder_->SetOnProgress([this](TFFEncoder*, PProgressInfo info) { CCAVCProgress(*info); });
  encoder_->SetOnPreviewBitmap([this](TFFEncoder*, const TPreviewInfo& info) { CCAVCPreviewBitmap(info); });
  // Ends come on short-lived threads, one after the other; queued to this
  // window they keep their order, and a Stop waiting in the main thread
  // never waits for the window.
  encoder_->SetOnTerminate([this](TFFEncoder*, const TTerminateInfo& info) {
    QMetaObject::invokeMethod(this, [this, info] { CCAVCTerminate(info); }, Qt::QueuedConnection);
  });
  encoder_->SetPreviewBitmap(true);
}

void TfrmProgress::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (event->spontaneous() || running_ || !encoder_) return;
  for (QLabel* label : {lblTime, lblLength, lblSize, lblProgress, lblOutput}) label->clear();
  ckOpen->setChecked(true);
  btnPause->setEnabled(true);
  btnResume->setEnabled(false);
  preview_.Resize(0, 0);
  imgPreview->Clear();
  Timer1->start();
  progbarFile->setRange(0, 100);
  progbarFile->setValue(0);
  running_ = true;
  encoder_->StartTask(1);
}

void TfrmProgress::closeEvent(QCloseEvent* event) {
  if (!running_) {
    event->accept();
    done(Rejected);
    return;
  }
  // Every task reports its end before this returns; the run end, queued
  // behind them, closes the window.
  event->ignore();
  encoder_->Stop(true);
  Timer1->stop();
}

void TfrmProgress::reject() { close(); }

void TfrmProgress::btnPauseClick() {
  encoder_->Pause();
  btnPause->setEnabled(false);
  btnResume->setEnabled(true);
}

void TfrmProgress::btnResumeClick() {
  encoder_->Resume();
  btnPause->setEnabled(true);
  btnResume->setEnabled(false);
}

void TfrmProgress::Timer1Timer() {
  if (preview_.Width > 0 && preview_.Height > 0) imgPreview->Draw(preview_);
}

bool TfrmProgress::KnownTask(int taskIndex) const {
  return taskIndex >= 0 && taskIndex < static_cast<int>(taskRows_.size());
}

void TfrmProgress::CCAVCPreviewBitmap(const TPreviewInfo& info) {
  // The copy keeps its buffer from picture to picture.
  if (info.Bitmap && info.Bitmap->Width > 0 && info.Bitmap->Height > 0) preview_ = *info.Bitmap;
}

void TfrmProgress::CCAVCProgress(const TProgressInfo& info) {
  if (!KnownTask(info.TaskIndex)) return;
  const int row = taskRows_[info.TaskIndex];
  const int percent = ProgressPercent(info.CurrentDuration, info.TotalDuration);
  progbarFile->setValue(percent);
  host_->SetProgressCell(row, PercentText(percent));
  lblTime->setText(Text(ProgressSecondsText(info.CurrentDuration)));
  lblLength->setText(Text(ProgressSecondsText(info.TotalDuration)));
  lblSize->setText(Text(ProgressSizeText(info.CurrentSize)));
  lblProgress->setText(Text(TaskNumberText(info.TaskIndex, encoder_->TasksCount())));
  lblOutput->setText(Text(ShortCaption(host_->RowCaption(row))));
}

void TfrmProgress::CCAVCTerminate(const TTerminateInfo& info) {
  if (info.TaskIndex < 0) {
    encoder_->ClearTasks();
    Timer1->stop();
    running_ = false;
    accept();
    return;
  }
  if (!KnownTask(info.TaskIndex)) return;
  const int row = taskRows_[info.TaskIndex];
  if (info.Exception) failures_.emplace_back(row, info.ExceptionMsg);
  if (!info.Finished) return;
  host_->SetProgressCell(row, PercentText(100));
  progbarFile->setValue(100);
  // Only after the last ticked title, and only when every ticked title
  // became a task.
  if (info.TaskIndex + 1 != host_->TickedRowCount()) return;
  if (ckOpen->isChecked()) host_->OpenOutputFolder();
  if (ckShutDown->isChecked()) ShutDownComputer();
}

}  // namespace kx
