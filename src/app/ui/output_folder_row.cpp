#include "app/ui/output_folder_row.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "app/folder_settings.h"
#include "app/global_object.h"
#include "app/settings_store.h"
#include "app/ui/desktop_links.h"

namespace kx {

TOutputFolderRow::TOutputFolderRow(MessageBoxes& messages, FolderChooser chooser, QWidget* parent)
    : QWidget(parent), messages_(messages), chooser_(std::move(chooser)) {
  auto* lblDirectory = new QLabel("Output Directory:", this);
  edDirectory = new QLineEdit(this);
  edDirectory->setObjectName("edDirectory");
  edDirectory->setReadOnly(true);
  lblDirectory->setBuddy(edDirectory);
  auto* btnBrows = new QPushButton("Browse", this);
  btnBrows->setObjectName("btnBrows");
  auto* btnOpen = new QPushButton("Open", this);
  btnOpen->setObjectName("btnOpen");
  connect(btnBrows, &QPushButton::clicked, this, &TOutputFolderRow::btnBrowsClick);
  connect(btnOpen, &QPushButton::clicked, this, &TOutputFolderRow::btnOpenClick);

  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(lblDirectory);
  layout->addWidget(edDirectory, 1);
  layout->addWidget(btnBrows);
  layout->addWidget(btnOpen);
}

void TOutputFolderRow::ShowFolder(const std::string& folder) { edDirectory->setText(QString::fromStdString(folder)); }

std::string TOutputFolderRow::Folder() const { return edDirectory->text().toStdString(); }

void TOutputFolderRow::btnBrowsClick() {
  const std::string& ini = GlobalObject->SettingsIniName();
  const std::string chosen = chooser_(ReadString(ini, kSettingsSection, kOutPutDirKey, DefaultFolder()));
  if (const auto stored = StoreChosenFolder(ini, kOutPutDirKey, chosen, Folder(), messages_)) ShowFolder(*stored);
}

void TOutputFolderRow::btnOpenClick() {
  const std::string folder = Folder();
  if (folder.size() > 2) OpenOnDesktop(QUrl::fromLocalFile(QString::fromStdString(folder)));
}

}  // namespace kx
