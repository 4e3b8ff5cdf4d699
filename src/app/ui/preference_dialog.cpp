#include "app/ui/preference_dialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QVBoxLayout>

#include "app/folder_settings.h"
#include "app/settings_store.h"
#include "app/ui/desktop_links.h"

namespace kx {
namespace {

QPushButton* Button(const char* name, const char* caption, QWidget* parent) {
  auto* button = new QPushButton(caption, parent);
  button->setObjectName(name);
  return button;
}

QCheckBox* CheckBox(const char* name, const char* caption, QWidget* parent) {
  auto* box = new QCheckBox(caption, parent);
  box->setObjectName(name);
  return box;
}

}  // namespace

TfrmPreference::TfrmPreference(std::string settingsIni, MessageBoxes& messages, FolderChooser chooser,
                               QWidget* parent)
    : QDialog(parent), settingsIni_(std::move(settingsIni)), messages_(messages), chooser_(std::move(chooser)) {
  setObjectName("frmPreference");
  setWindowTitle("Preference");
  setModal(true);

  edtSnapDirectory = new QLineEdit(this);
  edtSnapDirectory->setObjectName("edtSnapDirectory");
  edtSnapDirectory->setReadOnly(true);
  auto* btnOpen = Button("btnOpen", "&Open", this);
  auto* btnBrows = Button("btnBrows", "&Brows", this);
  connect(btnOpen, &QPushButton::clicked, this, &TfrmPreference::btnOpenClick);
  connect(btnBrows, &QPushButton::clicked, this, &TfrmPreference::btnBrowsClick);
  auto* folderRow = new QHBoxLayout;
  folderRow->addWidget(new QLabel("Snapshot folder:", this));
  folderRow->addWidget(edtSnapDirectory, 1);
  folderRow->addWidget(btnOpen);
  folderRow->addWidget(btnBrows);

  auto* btnOk = Button("btnOk", "&Ok", this);
  auto* btnCancel = Button("btnCancel", "&Cancel", this);
  auto* btnDefault = Button("btnDefault", "&Default", this);
  connect(btnOk, &QPushButton::clicked, this, &TfrmPreference::btnOkClick);
  connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(btnDefault, &QPushButton::clicked, this, &TfrmPreference::btnDefaultClick);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(btnDefault);
  buttons->addStretch();
  buttons->addWidget(btnOk);
  buttons->addWidget(btnCancel);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(folderRow);
  layout->addWidget(CreateSnapshotGroups());
  layout->addWidget(CreatePriorityGroup());
  layout->addStretch();
  layout->addLayout(buttons);
}

QWidget* TfrmPreference::CreateSnapshotGroups() {
  auto* panel = new QWidget(this);
  auto* sizes = new QGroupBox("Snapshot size:", panel);
  ckFullSize = CheckBox("ckFullSize", "Full Size", sizes);
  ckSmallSize = CheckBox("ckSmallSize", "Small Size", sizes);
  auto* sizesLayout = new QVBoxLayout(sizes);
  sizesLayout->addWidget(ckFullSize);
  sizesLayout->addWidget(ckSmallSize);

  auto* formats = new QGroupBox("Snapshot format:", panel);
  ckBmp = CheckBox("ckBmp", "BMP", formats);
  ckJpg = CheckBox("ckJpg", "JPG", formats);
  spedCmp = new QSpinBox(formats);
  spedCmp->setObjectName("spedCmp");
  trcCmp = new QSlider(Qt::Horizontal, formats);
  trcCmp->setObjectName("trcCmp");
  spedCmp->setRange(1, 100);
  trcCmp->setRange(1, 100);
  auto* formatsLayout = new QGridLayout(formats);
  formatsLayout->addWidget(ckBmp, 0, 0);
  formatsLayout->addWidget(ckJpg, 0, 1);
  formatsLayout->addWidget(new QLabel("Jpg Compression Quality:", formats), 1, 0);
  formatsLayout->addWidget(spedCmp, 1, 1);
  formatsLayout->addWidget(trcCmp, 2, 0, 1, 2);
  formatsLayout->addWidget(new QLabel("(The higher the value, the better the image quality.)", formats), 3, 0, 1, 2);

  connect(ckFullSize, &QCheckBox::clicked, this, [this] { KeepOneTicked(ckFullSize, ckSmallSize); });
  connect(ckSmallSize, &QCheckBox::clicked, this, [this] { KeepOneTicked(ckSmallSize, ckFullSize); });
  connect(ckBmp, &QCheckBox::clicked, this, [this] { KeepOneTicked(ckBmp, ckJpg); });
  connect(ckJpg, &QCheckBox::clicked, this, [this] { KeepOneTicked(ckJpg, ckBmp); });
  // The quality applies to JPEG pictures only.
  connect(ckJpg, &QCheckBox::toggled, this, [this](bool ticked) {
    spedCmp->setEnabled(ticked);
    trcCmp->setEnabled(ticked);
  });
  connect(trcCmp, &QSlider::valueChanged, spedCmp, &QSpinBox::setValue);
  connect(spedCmp, &QSpinBox::valueChanged, trcCmp, &QSlider::setValue);

  auto* layout = new QHBoxLayout(panel);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(sizes);
  layout->addWidget(formats, 1);
  return panel;
}

QWidget* TfrmPreference::CreatePriorityGroup() {
  auto* group = new QGroupBox("Work priority", this);
  group->setObjectName("rdGrpPriority");
  priority_ = new QButtonGroup(group);
  auto* layout = new QHBoxLayout(group);
  int id = 0;
  for (const char* item : {"Idle", "Normal", "Lower", "Lowest"}) {
    auto* button = new QRadioButton(item, group);
    priority_->addButton(button, id++);
    layout->addWidget(button);
  }
  return group;
}

void TfrmPreference::showEvent(QShowEvent* event) {
  resize(480, 390);
  SnapshotSettings settings = ReadSnapshotSettings(settingsIni_);
  settings.folder = CheckFolderSetting(settingsIni_, kSnapOutPutDirKey);
  ShowSettings(settings);
  QDialog::showEvent(event);
}

void TfrmPreference::ShowSettings(const SnapshotSettings& settings) {
  edtSnapDirectory->setText(QString::fromStdString(settings.folder));
  ckFullSize->setChecked(settings.fullSize);
  ckSmallSize->setChecked(settings.smallSize);
  ckBmp->setChecked(settings.bmp);
  ckJpg->setChecked(settings.jpg);
  spedCmp->setEnabled(settings.jpg);
  trcCmp->setEnabled(settings.jpg);
  spedCmp->setValue(settings.jpgQuality);
  priority_->button(settings.priority)->setChecked(true);
}

void TfrmPreference::KeepOneTicked(QCheckBox* clicked, QCheckBox* other) {
  if (!clicked->isChecked() && !other->isChecked()) clicked->setChecked(true);
}

void TfrmPreference::btnDefaultClick() { ShowSettings(DefaultSnapshotSettings()); }

void TfrmPreference::btnOkClick() {
  SnapshotSettings settings;
  settings.folder = edtSnapDirectory->text().toStdString();
  settings.fullSize = ckFullSize->isChecked();
  settings.smallSize = ckSmallSize->isChecked();
  settings.bmp = ckBmp->isChecked();
  settings.jpg = ckJpg->isChecked();
  settings.jpgQuality = spedCmp->value();
  settings.priority = priority_->checkedId();
  StoreSnapshotSettings(settingsIni_, settings);
  accept();
}

void TfrmPreference::btnOpenClick() {
  const std::string folder = edtSnapDirectory->text().toStdString();
  if (folder.size() > 2) OpenOnDesktop(QUrl::fromLocalFile(QString::fromStdString(folder)));
}

void TfrmPreference::btnBrowsClick() {
  const std::string shown = edtSnapDirectory->text().toStdString();
  const std::string chosen = chooser_(ReadString(settingsIni_, kSettingsSection, kSnapOutPutDirKey, DefaultFolder()));
  if (const auto stored = StoreChosenFolder(settingsIni_, kSnapOutPutDirKey, chosen, shown, messages_))
    edtSnapDirectory->setText(QString::fromStdString(*stored));
}

}  // namespace kx
