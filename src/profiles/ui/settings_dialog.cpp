#include "profiles/ui/settings_dialog.h"

#include <QApplication>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "app/message_boxes.h"
#include "profiles/profile_catalogue.h"
#include "profiles/ui/parameter_item_delegate.h"
#include "profiles/ui/profile_picker.h"

namespace kx {
namespace {

constexpr QSize kDialogSize(475, 370);

struct BoxInfo {
  const char* name;
  bool editable;  // the user may type a value that is not in the list
};
// By Parameter.
constexpr std::array<BoxInfo, kParameterCount> kBoxes{{
    {"cmbVideoSize", true},
    {"cmbVideoBitRate", true},
    {"cmbFrameRate", false},
    {"cmbVideoEncoder", false},
    {"cmbAudioBitRate", true},
    {"cmbSamplerate", true},
    {"cmbAudioEncoder", false},
    {"cmbChannel", false},
    {"cmbVolume", false},
}};

QComboBox* ParameterBox(const BoxInfo& info, QWidget* parent) {
  auto* box = new QComboBox(parent);
  box->setObjectName(info.name);
  box->setEditable(info.editable);
  if (info.editable) {
    box->setInsertPolicy(QComboBox::NoInsert);
    box->setCompleter(nullptr);  // a typed value stays as typed
  }
  box->setItemDelegate(new ParameterItemDelegate(box));
  // Long items are cut in the field and shown whole in the list.
  box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  box->setMinimumContentsLength(4);
  return box;
}

void SelectIndex(QComboBox* box, int index) { box->setCurrentIndex(index >= 0 && index < box->count() ? index : -1); }

// A stored text that may be no item of the list: an editable box shows it
// as typed, a pick-only box selects the item of that text, if any.
void ShowText(QComboBox* box, const QString& text) {
  if (box->isEditable()) {
    box->setCurrentIndex(-1);
    box->setEditText(text);
  } else {
    box->setCurrentIndex(box->findText(text));
  }
}

bool IsDigits(const QString& text) {
  return std::all_of(text.begin(), text.end(), [](QChar c) { return c >= '0' && c <= '9'; });
}

}  // namespace

TfrmSettings::TfrmSettings(std::string settingsIni, std::string formatIni, MessageBoxes& messages, QWidget* parent)
    : QDialog(parent), settingsIni_(std::move(settingsIni)), formatIni_(std::move(formatIni)), messages_(messages) {
  setObjectName("frmSettings");
  setWindowTitle("Settings");
  setModal(true);

  for (std::size_t i = 0; i < kParameterCount; ++i) {
    boxes_[i] = ParameterBox(kBoxes[i], this);
    if (kBoxes[i].editable) boxes_[i]->installEventFilter(this);
  }
  cmbZoom = new QComboBox(this);
  cmbZoom->setObjectName("cmbZoom");
  cmbZoom->addItems({"Full screen", "Letterbox", "Pan and Scan"});
  cmbZoom->setItemDelegate(new ParameterItemDelegate(cmbZoom));

  picker_ = new ProfilePicker(settingsIni_, ProfilePicker::Choice::Deferred, ProfilePicker::Opening::Below, this);
  connect(picker_, &ProfilePicker::profileChosen, this, [this](const QString& name) {
    if (name != loadedName_) LoadProfile(Zoom::Full);
  });
  auto* formatRow = new QHBoxLayout;
  formatRow->addWidget(new QLabel("Output Format:", this));
  formatRow->addWidget(picker_, 1);

  auto* groups = new QHBoxLayout;
  groups->addWidget(CreateVideoGroup());
  groups->addWidget(CreateAudioGroup());

  auto* btnDefault = new QPushButton("&Default", this);
  btnDefault->setObjectName("btnDefault");
  auto* btnOk = new QPushButton("&Ok", this);
  btnOk->setObjectName("btnOk");
  auto* btnCancel = new QPushButton("&Cancel", this);
  btnCancel->setObjectName("btnCancel");
  connect(btnDefault, &QPushButton::clicked, this, &TfrmSettings::btnDefaultClick);
  connect(btnOk, &QPushButton::clicked, this, &TfrmSettings::btnOkClick);
  connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(btnDefault);
  buttons->addStretch();
  buttons->addWidget(btnOk);
  buttons->addWidget(btnCancel);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(6, 6, 6, 6);
  layout->addLayout(formatRow);
  layout->addLayout(groups, 1);
  layout->addLayout(buttons);
}

QWidget* TfrmSettings::CreateVideoGroup() {
  auto* group = new QGroupBox("Video Options", this);
  auto* form = new QFormLayout(group);
  form->setHorizontalSpacing(4);
  form->addRow("Frame Size:", Box(Parameter::VideoSize));
  form->addRow("BitRate (Kbps):", Box(Parameter::VideoBitRate));
  form->addRow("Encoder:", Box(Parameter::VideoEncoder));
  form->addRow("FrameRate (Fps):", Box(Parameter::FrameRate));
  form->addRow("Zoom:", cmbZoom);
  return group;
}

QWidget* TfrmSettings::CreateAudioGroup() {
  auto* group = new QGroupBox("Audio Options", this);
  auto* form = new QFormLayout(group);
  form->setHorizontalSpacing(4);
  form->addRow("SampleRate (Hz):", Box(Parameter::SampleRate));
  form->addRow("BitRate (Kbps):", Box(Parameter::AudioBitRate));
  form->addRow("Encoder:", Box(Parameter::AudioEncoder));
  form->addRow("Channel:", Box(Parameter::Channel));
  form->addRow("Volume:", Box(Parameter::Volume));
  return group;
}

void TfrmSettings::showEvent(QShowEvent* event) {
  resize(kDialogSize);
  if (QWidget* owner = parentWidget()) move(owner->frameGeometry().center() - rect().center());
  picker_->Rebuild();
  LoadProfile(Zoom::Letterbox);
  QDialog::showEvent(event);
}

void TfrmSettings::LoadProfile(Zoom zoomWhenMissing) {
  const int code = picker_->SelectedCode();
  loadedName_ = picker_->SelectedName();
  for (std::size_t i = 0; i < kParameterCount; ++i) {
    const auto parameter = static_cast<Parameter>(i);
    QComboBox* box = boxes_[i];
    box->clear();
    for (const std::string& item : ParameterItems(formatIni_, code, parameter))
      box->addItem(QString::fromStdString(item));
    box->setMaxVisibleItems(std::max(1, box->count()));
    const StoredChoice stored = ReadStoredChoice(settingsIni_, code, parameter);
    if (KeysOf(parameter).typedDefault && stored.index < 0)
      ShowText(box, QString::fromStdString(stored.text));
    else
      SelectIndex(box, stored.index);
  }
  cmbZoom->setCurrentIndex(static_cast<int>(ReadZoom(settingsIni_, code, zoomWhenMissing)));
  EnableGroups(zoomWhenMissing == Zoom::Full);
}

void TfrmSettings::EnableGroups(bool switched) {
  // A profile without encoders in a list converts without that kind of stream.
  const bool video = Box(Parameter::VideoEncoder)->count() > 0;
  for (QComboBox* box : {Box(Parameter::VideoSize), Box(Parameter::VideoBitRate), Box(Parameter::FrameRate),
                         Box(Parameter::VideoEncoder), cmbZoom})
    box->setEnabled(video);
  const bool audio = Box(Parameter::AudioEncoder)->count() > 0;
  for (Parameter p : {Parameter::SampleRate, Parameter::AudioBitRate, Parameter::AudioEncoder, Parameter::Channel,
                      Parameter::Volume})
    Box(p)->setEnabled(audio);
  if (switched && Box(Parameter::AudioBitRate)->count() == 0) Box(Parameter::AudioBitRate)->setEnabled(false);
}

bool TfrmSettings::eventFilter(QObject* watched, QEvent* event) {
  const auto found = std::find(boxes_.begin(), boxes_.end(), watched);
  if (found == boxes_.end()) return false;
  const auto parameter = static_cast<Parameter>(found - boxes_.begin());
  if (event->type() == QEvent::KeyPress) {
    const QString typed = static_cast<QKeyEvent*>(event)->text();
    // Keys without a printable character (arrows, Tab, shortcuts) are not typing.
    const bool printable = !typed.isEmpty() && std::none_of(typed.begin(), typed.end(), [](QChar c) {
      return c < ' ' && c != '\b';
    });
    return printable && !AcceptKey(parameter, typed);
  }
  if (event->type() == QEvent::FocusOut) {
    // Opening the box's own list or switching to another program is no leaving.
    const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
    if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason) LeaveBox(parameter);
  }
  return false;
}

bool TfrmSettings::AcceptKey(Parameter parameter, const QString& typed) {
  if (typed == "\b" || IsDigits(typed)) return true;
  if (parameter == Parameter::VideoSize) {
    if (typed == "x" && !Box(parameter)->currentText().contains('x')) return true;
  } else {
    Warn("Please enter numerical.");
  }
  QApplication::beep();
  return false;
}

void TfrmSettings::LeaveBox(Parameter parameter) {
  QComboBox* box = Box(parameter);
  const std::string text = box->currentText().toStdString();
  const auto resetToSecondItem = [box] {
    if (box->count() <= 1) return;
    box->setCurrentIndex(1);
    box->setEditText(box->itemText(1));
  };
  switch (parameter) {
    case Parameter::VideoSize: {
      const FrameSizeCheck check = CheckFrameSize(text);
      if (check.result == FrameSizeCheck::Result::Invalid) {
        Warn("Frame Size is not a valid value!");
        resetToSecondItem();
      } else if (check.result == FrameSizeCheck::Result::Corrected) {
        messages_.Show("Input Error!", "Frame Size must be a multiple of 2.\nThe correct value:" + check.corrected,
                       MessageIcon::Warning);
        box->setEditText(QString::fromStdString(check.corrected));
      }
      return;
    }
    case Parameter::VideoBitRate:
    case Parameter::SampleRate:
    case Parameter::AudioBitRate: {
      if (IsRateText(text, parameter == Parameter::AudioBitRate)) return;
      Warn(parameter == Parameter::VideoBitRate  ? "Video BitRate is not a valid value!"
           : parameter == Parameter::SampleRate ? "Audio SampleRate is not a valid value!"
                                                : "Audio BitRate is not a valid value!");
      resetToSecondItem();
      return;
    }
    default: return;
  }
}

void TfrmSettings::Warn(const std::string& text) {
  messages_.Show(QApplication::applicationDisplayName().toStdString(), text, MessageIcon::Warning);
}

void TfrmSettings::btnDefaultClick() {
  const int code = picker_->SelectedCode();
  for (std::size_t i = 0; i < kParameterCount; ++i)
    SelectIndex(boxes_[i], DefaultIndex(formatIni_, code, static_cast<Parameter>(i)));
  cmbZoom->setCurrentIndex(static_cast<int>(Zoom::Full));
}

ProfileChoices TfrmSettings::ShownChoices() const {
  ProfileChoices choices;
  for (std::size_t i = 0; i < kParameterCount; ++i) {
    const QComboBox* box = boxes_[i];
    // An editable box may show a typed text: its index is that of the same item, if any.
    const int index = box->isEditable() ? box->findText(box->currentText()) : box->currentIndex();
    choices.parameters[i] = {index, box->currentText().toStdString()};
  }
  choices.zoom = static_cast<Zoom>(cmbZoom->currentIndex());
  return choices;
}

void TfrmSettings::btnOkClick() {
  // Ok by the keyboard leaves no box: the typed value is checked all the same.
  for (std::size_t i = 0; i < kParameterCount; ++i)
    if (kBoxes[i].editable && boxes_[i]->hasFocus()) LeaveBox(static_cast<Parameter>(i));
  const int code = picker_->SelectedCode();
  const std::string name = picker_->SelectedName().toStdString();
  StoreProfileChoices(settingsIni_, formatIni_, code, name, ShownChoices());
  picker_->SaveGroupStates();
  StoreCurrentProfile(settingsIni_, name, code);
  accept();
}

}  // namespace kx
