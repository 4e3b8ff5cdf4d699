#include "app/ui/directory_chooser.h"

#include <QApplication>
#include <QFileSystemModel>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

#include "app/message_boxes.h"
#include "app/optical_drive.h"

namespace kx {

TfmDirectory::TfmDirectory(MessageBoxes& messages, QWidget* parent)
    : QDialog(parent), messages_(messages), model_(new QFileSystemModel(this)), tree_(new QTreeView(this)) {
  setObjectName("fmDirectory");
  setWindowTitle("Browse");
  setModal(true);

  // Folders only; the model's invisible root holds "/" as the one top node.
  model_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot);
  model_->setRootPath("/");
  tree_->setObjectName("tvFolders");
  tree_->setModel(model_);
  tree_->setHeaderHidden(true);
  for (int column = 1; column < model_->columnCount(); ++column) tree_->hideColumn(column);
  // Ok is offered only while a folder is selected.
  connect(tree_->selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this](const QModelIndex& current) { btnOk->setEnabled(current.isValid()); });

  btnOk = new QPushButton("Ok", this);
  btnOk->setObjectName("btnOk");
  btnOk->setEnabled(false);
  auto* btnCancel = new QPushButton("Cancel", this);
  btnCancel->setObjectName("btnCancel");
  connect(btnOk, &QPushButton::clicked, this, &TfmDirectory::btnOkClick);
  connect(btnCancel, &QPushButton::clicked, this, &TfmDirectory::reject);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(btnOk);
  buttons->addWidget(btnCancel);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel("Please select an output directory:", this));
  layout->addWidget(tree_, 1);
  layout->addLayout(buttons);
}

void TfmDirectory::showEvent(QShowEvent* event) {
  resize(322, 351);
  QDialog::showEvent(event);
}

std::string TfmDirectory::Choose(const std::string& start) {
  if (!SelectFolder(start)) SelectFolder("/");
  exec();
  return SelectedDir;
}

bool TfmDirectory::SelectFolder(const std::string& folder) {
  const QModelIndex index = model_->index(QString::fromStdString(folder));
  if (folder.empty() || !index.isValid() || !model_->isDir(index)) return false;
  for (QModelIndex above = index.parent(); above.isValid(); above = above.parent()) tree_->expand(above);
  tree_->setCurrentIndex(index);
  tree_->scrollTo(index);
  return true;
}

void TfmDirectory::btnOkClick() {
  const QModelIndex current = tree_->currentIndex();
  if (!current.isValid()) return;
  const std::string folder = model_->filePath(current).toStdString();
  if (IsOnOpticalDrive(folder)) {
    SelectedDir.clear();
    messages_.Show(QApplication::applicationDisplayName().toStdString(),
                   "Output folder cannot be located in CD-ROM.Please select another folder.",
                   MessageIcon::Information);
    return;
  }
  SelectedDir = folder;
  accept();
}

void TfmDirectory::reject() {
  SelectedDir.clear();
  QDialog::reject();
}

}  // namespace kx
