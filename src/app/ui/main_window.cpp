#include "app/ui/main_window.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QVBoxLayout>

#include "app/folder_settings.h"
#include "app/global_object.h"
#include "app/ui/about_window.h"

namespace kx {

TfrmMain::TfrmMain(std::vector<std::string> extraDrives) : extraDrives_(std::move(extraDrives)) {
  setObjectName("frmMain");
  resize(900, 620);

  auto* skPopupMenuHelp = menuBar()->addMenu("&Help");
  skPopupMenuHelp->setObjectName("skPopupMenuHelp");
  QAction* mniAbout = skPopupMenuHelp->addAction("&About");
  mniAbout->setObjectName("mniAbout");
  connect(mniAbout, &QAction::triggered, this, &TfrmMain::mniAboutClick);

  auto* central = new QWidget(this);
  lblAppName = new QLabel(central);
  lblAppName->setObjectName("lblAppName");
  QFont title = lblAppName->font();
  title.setPointSizeF(title.pointSizeF() * 1.4);
  title.setBold(true);
  lblAppName->setFont(title);

  auto* lblDirectory = new QLabel("Output Directory:", central);
  edDirectory = new QLineEdit(central);
  edDirectory->setObjectName("edDirectory");
  edDirectory->setReadOnly(true);
  lblDirectory->setBuddy(edDirectory);

  mmoLog = new QPlainTextEdit(central);
  mmoLog->setObjectName("mmoLog");
  mmoLog->setReadOnly(true);
  mmoLog->hide();

  auto* directoryRow = new QHBoxLayout;
  directoryRow->addWidget(lblDirectory);
  directoryRow->addWidget(edDirectory, 1);
  auto* layout = new QVBoxLayout(central);
  layout->addWidget(lblAppName);
  layout->addStretch();
  layout->addLayout(directoryRow);
  layout->addWidget(mmoLog);
  setCentralWidget(central);

  FormCreate();
}

TfrmMain::~TfrmMain() { GlobalObject.reset(); }

void TfrmMain::FormCreate() {
  CreateGlobalObject();
  const QString appName = QString::fromStdString(GlobalObject->AppName());
  QApplication::setApplicationDisplayName(appName);
  setWindowTitle(appName);
  lblAppName->setText(QString::fromStdString(GlobalObject->AppName() + GlobalObject->VersionText()));
  // The exception handler is TApplication's, in place before any window.
  // Loading the media libraries from LibAV, with its error text added to
  // mmoLog, belongs here once the player exists.
}

void TfrmMain::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (shownOnce_) return;
  shownOnce_ = true;
  FormShow();
}

void TfrmMain::FormShow() {
  // The preview controls' idle state and the conversion's preview bitmap
  // come first here, once the preview exists.
  const std::string& ini = GlobalObject->SettingsIniName();
  edDirectory->setText(QString::fromStdString(CheckFolderSetting(ini, kOutPutDirKey)));
  CheckFolderSetting(ini, kSnapOutPutDirKey);
  // Volume and mute (ReadVolume, ReadMute) go to the preview controls here.
  GlobalObject->SetVersionText(TGlobalObject::FileVersionText());
  lblAppName->setText(QString::fromStdString(GlobalObject->AppName() + GlobalObject->VersionText()));
  // Then: fill the profile picker; disable the audio and subtitle lists,
  // clear the opened drive and build the drive menu (with ExtraDrives).
}

void TfrmMain::mniAboutClick() {
  if (!frmAbout) frmAbout = new TfrmAbout(*GlobalObject, this);
  frmAbout->exec();
}

}  // namespace kx
