#pragma once
// The directory chooser: the file system's folder tree under "Please select
// an output directory:", with Ok and Cancel. One instance serves the main
// window's output folder and the preferences' snapshot folder. Main thread
// only.
#include <QDialog>
#include <functional>
#include <string>

class QFileSystemModel;
class QPushButton;
class QTreeView;

namespace kx {

class MessageBoxes;

// Asks the user for a folder, starting at the given one; empty when cancelled.
using FolderChooser = std::function<std::string(const std::string& start)>;

class TfmDirectory : public QDialog {
  Q_OBJECT

 public:
  TfmDirectory(MessageBoxes& messages, QWidget* parent);

  // The folder of the last Ok; empty after Cancel or closing the window.
  std::string SelectedDir;

  // Shows the chooser modally with `start` selected (the root folder when
  // `start` does not exist) and answers SelectedDir.
  std::string Choose(const std::string& start);
  // Selects and shows a folder of the tree; false when there is none by that path.
  bool SelectFolder(const std::string& folder);

  // A folder on an optical disc is refused with a message and the chooser
  // stays open.
  void btnOkClick();
  void reject() override;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  MessageBoxes& messages_;
  QFileSystemModel* model_;
  QTreeView* tree_;
  QPushButton* btnOk;
};

}  // namespace kx
