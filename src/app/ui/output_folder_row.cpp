#include "app/ui/output_folder_row.h"

#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "app/folder_settings.h"
#include "app/global_object.h"
#include "app/message_boxes.h"
#include "app/settings_store.h"
#include "app/ui/desktop_links.h"

namespace kx {
namespace {

std::string AskForFolder(QWidget* parent, const std::string& start) {
  return QFileDialog::getExistingDirectory(parent, "Output Directory", QString::fromStdString(start)).toStdString();
}

std::string Trimmed(const std::string& text) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

}  // namespace

TOutputFolderRow::TOutputFolderRow(MessageBoxes& messages, QWidget* parent)
    : QWidget(parent), messages_(messages), chooser_([this](const std::string& start) {
        return AskForFolder(this, start);
      }) {
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
  std::string folder = chooser_(ReadString(ini, "settings", kOutPutDirKey, DefaultFolder()));
  if (folder.empty() || folder == Folder()) return;
  // Too short for anything but the root folder ("/", "/a/"), which takes no output.
  if (folder.size() < 4) {
    messages_.Show("Warning", "The path " + folder + " is not a valid directory.", MessageIcon::Warning);
    return;
  }
  if (!TGlobalObject::IsDirWritable(folder)) {
    messages_.Show("Warning",
                   "You login as " + Trimmed(TGlobalObject::LoginName()) +
                       " .You don't have permission to write to directory:" + folder,
                   MessageIcon::Warning);
    folder = DefaultFolder();
  }
  WriteString(ini, "settings", kOutPutDirKey, folder);
  ShowFolder(folder);
}

void TOutputFolderRow::btnOpenClick() {
  const std::string folder = Folder();
  if (folder.size() > 2) OpenOnDesktop(QUrl::fromLocalFile(QString::fromStdString(folder)));
}

}  // namespace kx
