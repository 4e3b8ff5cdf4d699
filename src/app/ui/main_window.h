#pragma once
#include <QMainWindow>
#include <memory>
#include <string>
#include <vector>

#include "edit/frame_effects.h"

class QHBoxLayout;
class QLabel;
class QPlainTextEdit;

namespace kx {

class MessageBoxes;
class ProfilePicker;
class TAppMessageHook;
class TFFEncoder;
class TfmDirectory;
class TfrmAbout;
class TfrmPreference;
class TfrmProgress;
class TfrmSettings;
class TfrmTrim;
class TfrmWaterMark;
class TMainMenus;
class TOutputFolderRow;
class TPictureButton;
class TStreamChoice;
class TTitleList;
class TTitlePreview;
struct TlvFilesRecord;

// The main window: the title list of the opened disc with the stream and
// chapter choice of the selected title, the output folder, the preview area
// and the menus. Creating it creates the application-wide TGlobalObject;
// agreeing to close frees it. Main thread only.
class TfrmMain : public QMainWindow {
  Q_OBJECT

 public:
  // extraDrives: ISO images and VIDEO_TS folders from the command line.
  explicit TfrmMain(std::vector<std::string> extraDrives);
  ~TfrmMain() override;

  // Offered by the drive menu after the optical drives.
  const std::vector<std::string>& ExtraDrives() const { return extraDrives_; }
  // The disc last chosen: device, ISO image or folder; empty before the first.
  const std::string& DvdDrive() const { return dvdDrive_; }

  // Replaces the title list with the readable titles of `drive`.
  void OpenDrive(const std::string& drive);

  void btnClearClick();
  void btnAddDVDClick();
  void btnEditClick();
  // Every ticked title becomes a task; the progress window runs them.
  void btnStartClick();
  // Worker thread: colours and watermarks of the task's title on each decoded picture.
  void CCAVCCustomHook(PHookInfo AHookInfo);
  void btnSettingsClick();
  void menubtnPreferenceClick();
  // The directory chooser, shared by the output folder and the preferences.
  std::string ChooseFolder(const std::string& start);

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  QWidget* CreateTitleBar();
  QWidget* CreateButtonBar();
  void ConnectMenus();
  void FormCreate();
  void FormShow();
  bool FormCloseQuery();

  TlvFilesRecord* SelectedRecord() const;
  void lvFilesClick();
  void lvFilesSelectionChange();
  void mniOpenImageClick();
  void mniAboutClick();
  void mniTrimClick();
  void mniCropClick();
  void mniVideoEffectClick();

  std::vector<std::string> extraDrives_;
  std::string dvdDrive_;
  bool shownOnce_ = false;
  MessageBoxes& messages_;
  QLabel* lblAppName = nullptr;
  TMainMenus* menus_ = nullptr;
  TPictureButton* btnAddDVD = nullptr;
  TPictureButton* btnEdit = nullptr;
  TTitleList* lvFiles = nullptr;
  TStreamChoice* streamChoice_ = nullptr;
  TOutputFolderRow* folderRow_ = nullptr;
  TTitlePreview* preview_ = nullptr;
  QHBoxLayout* formatRow_ = nullptr;
  ProfilePicker* picker_ = nullptr;
  QPlainTextEdit* mmoLog = nullptr;  // diagnostic log, never shown
  // Created on first use, then kept.
  TfrmAbout* frmAbout = nullptr;
  TfrmSettings* frmSettings = nullptr;
  TfrmPreference* frmPreference = nullptr;
  TfmDirectory* fmDirectory = nullptr;
  TfrmTrim* frmTrim = nullptr;
  // Made anew at every opening, the previous one freed first.
  TfrmWaterMark* frmWaterMark = nullptr;
  TfrmProgress* frmProgress = nullptr;
  std::unique_ptr<TFFEncoder> CCAVC;
  std::vector<int> TaskRows;  // task index -> title list row, for the current run
  TTaskEffects taskEffects_;  // per-task copies of the titles' effects, read by the hook
};

}  // namespace kx
