#include "app/ui/main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

#include "app/disc_opening.h"
#include "app/folder_settings.h"
#include "app/global_object.h"
#include "app/program_folder.h"
#include "app/title_row_texts.h"
#include "app/ui/about_window.h"
#include "app/ui/app_message_hook.h"
#include "app/ui/application.h"
#include "app/ui/desktop_links.h"
#include "app/ui/main_menus.h"
#include "app/ui/output_folder_row.h"
#include "app/ui/preference_dialog.h"
#include "app/ui/preview_panel.h"
#include "app/ui/title_preview.h"
#include "app/ui/stream_choice.h"
#include "app/ui/title_list.h"
#include "app/ui/title_list_host.h"
#include "conversion/conversion_start.h"
#include "conversion/ui/progress_window.h"
#include "controls/picture_button.h"
#include "controls/popup_menu.h"
#include "dvd/drive_scan.h"
#include "dvd/dvd_plug_in.h"
#include "edit/crop_dialog.h"
#include "edit/trim_dialog.h"
#include "edit/watermark_dialog.h"
#include "engine/ff_encoder.h"
#include "profiles/output_options.h"
#include "profiles/profile_files.h"
#include "profiles/ui/profile_picker.h"
#include "profiles/ui/settings_dialog.h"

namespace kx {
namespace {

struct ShareService {
  const char* hint;
  const char* mark;
  QColor face;
  const char* pageForUrl;  // the product page's address is appended, escaped
};

const ShareService kShareServices[] = {
    {"Facebook", "f", QColor(59, 89, 152), "https://www.facebook.com/sharer/sharer.php?u="},
    {"Google", "G", QColor(219, 68, 55), "https://www.google.com/bookmarks/mark?op=edit&bkmk="},
    {"Twitter", "t", QColor(29, 161, 242), "https://twitter.com/intent/tweet?url="},
    {"Delicious", "d", QColor(51, 153, 255), "https://del.icio.us/post?url="},
    {"Digg", "D", QColor(20, 88, 156), "https://digg.com/submit?url="},
    {"Stumbleupon", "s", QColor(235, 73, 36), "https://www.stumbleupon.com/submit?url="},
    {"Reddit", "r", QColor(255, 69, 0), "https://www.reddit.com/submit?url="},
};

// A big picture button of the bar across the top.
TPictureButton* BarButton(const char* name, Glyph glyph, const char* caption, QWidget* parent) {
  auto* button = new TPictureButton(glyph, caption, QSize(66, 58), parent);
  button->setObjectName(name);
  return button;
}

}  // namespace

TfrmMain::TfrmMain(std::vector<std::string> extraDrives)
    : extraDrives_(std::move(extraDrives)), messages_(AppMessages()), CCAVC(std::make_unique<TFFEncoder>()) {
  setObjectName("frmMain");
  resize(980, 660);
  CCAVC->SetOnCustomHook([this](TFFEncoder*, PHookInfo info) { CCAVCCustomHook(info); });

  menus_ = new TMainMenus(this);
  lvFiles = new TTitleList(QString::fromStdString(ProgramFolder() + "skin/lvBack.bmp"), this);
  streamChoice_ = new TStreamChoice([this] { return SelectedRecord(); }, this);
  folderRow_ = new TOutputFolderRow(messages_, [this](const std::string& start) { return ChooseFolder(start); }, this);

  auto* lblOutputFormat = new QLabel("Output Format:", this);
  auto* btnOptions = new QPushButton("Settings", this);
  btnOptions->setObjectName("btnOptions");
  connect(btnOptions, &QPushButton::clicked, this, &TfrmMain::btnSettingsClick);
  formatRow_ = new QHBoxLayout;
  formatRow_->addWidget(lblOutputFormat);
  formatRow_->addStretch(1);
  formatRow_->addWidget(btnOptions);

  auto* btnStartBelow = new TPictureButton(Glyph::Start, "Start", QSize(66, 58), this);
  btnStartBelow->setObjectName("btnStartBelow");
  connect(btnStartBelow, &QAbstractButton::clicked, this, &TfrmMain::btnStartClick);

  mmoLog = new QPlainTextEdit(this);
  mmoLog->setObjectName("mmoLog");
  mmoLog->setReadOnly(true);
  mmoLog->hide();

  auto* left = new QVBoxLayout;
  left->addWidget(lvFiles, 1);
  left->addWidget(streamChoice_);
  auto* middle = new QHBoxLayout;
  middle->addLayout(left, 1);
  auto* previewPanel = new TPreviewPanel(this);
  middle->addWidget(previewPanel);
  preview_ = new TTitlePreview(previewPanel, {lvFiles, mmoLog, [this] { return dvdDrive_; },
                                              [this] { btnAddDVDClick(); },
                                              [] { return GlobalObject->SettingsIniName(); }});
  connect(lvFiles, &QTreeWidget::itemDoubleClicked, preview_, &TTitlePreview::imgbtnPlayClick);

  auto* settingsColumn = new QVBoxLayout;
  settingsColumn->addLayout(formatRow_);
  settingsColumn->addWidget(folderRow_);
  auto* bottom = new QHBoxLayout;
  bottom->addLayout(settingsColumn, 1);
  bottom->addWidget(btnStartBelow);

  auto* body = new QVBoxLayout;
  body->setContentsMargins(10, 8, 10, 10);
  body->addLayout(middle, 1);
  body->addLayout(bottom);
  body->addWidget(mmoLog);

  auto* central = new QWidget(this);
  auto* layout = new QVBoxLayout(central);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(CreateTitleBar());
  layout->addWidget(menus_);
  layout->addWidget(CreateButtonBar());
  layout->addLayout(body, 1);
  setCentralWidget(central);

  connect(lvFiles, &QTreeWidget::itemSelectionChanged, this, &TfrmMain::lvFilesSelectionChange);
  connect(lvFiles, &QTreeWidget::itemClicked, this, &TfrmMain::lvFilesClick);
  connect(lvFiles, &TTitleList::RightButtonPressed, this,
          [this](QPoint at) { PopupFromButtons(menus_->skPopupMenuEdit, at, {}); });
  ConnectMenus();
  new TAppMessageHook(this);

  FormCreate();
  // The picker opens its list upwards, over the title list.
  picker_ = new ProfilePicker(GlobalObject->SettingsIniName(), ProfilePicker::Choice::StoreAtOnce,
                              ProfilePicker::Opening::Above, this);
  formatRow_->insertWidget(1, picker_, 1);
}

TfrmMain::~TfrmMain() {
  // The player's threads draw into pan1, which goes before the preview does.
  preview_->imgbtnStopClick();
  GlobalObject.reset();
}

QWidget* TfrmMain::CreateTitleBar() {
  auto* bar = new QWidget(this);
  bar->setObjectName("panTop");
  bar->setAttribute(Qt::WA_StyledBackground);
  lblAppName = new QLabel(bar);
  lblAppName->setObjectName("lblAppName");
  auto* layout = new QHBoxLayout(bar);
  layout->setContentsMargins(12, 4, 6, 4);
  layout->addWidget(lblAppName);
  layout->addStretch();
  for (const ShareService& service : kShareServices) {
    auto* button = new TPictureButton(Glyph::Letter, service.mark, QSize(20, 20), bar, service.face);
    button->setToolTip(service.hint);
    connect(button, &QAbstractButton::clicked, this, [&service] {
      const QString product = QString::fromStdString(GlobalObject->ProductUrl());
      OpenOnDesktop(QUrl(QString(service.pageForUrl) + QUrl::toPercentEncoding(product)));
    });
    layout->addWidget(button);
  }
  layout->addSpacing(16);
  auto* btnSmall = new TPictureButton(Glyph::Minimise, {}, QSize(22, 20), bar);
  btnSmall->setObjectName("btnSmall");
  auto* btnClose = new TPictureButton(Glyph::Close, {}, QSize(22, 20), bar, QColor(196, 64, 56));
  btnClose->setObjectName("btnClose");
  connect(btnSmall, &QAbstractButton::clicked, this, &QWidget::showMinimized);
  connect(btnClose, &QAbstractButton::clicked, this, &QWidget::close);
  layout->addWidget(btnSmall);
  layout->addWidget(btnClose);
  return bar;
}

QWidget* TfrmMain::CreateButtonBar() {
  auto* bar = new QWidget(this);
  bar->setObjectName("panButtons");
  btnAddDVD = BarButton("btnAddDVD", Glyph::AddDisc, "Add DVD", bar);
  auto* btnClear = BarButton("btnClear", Glyph::Clear, "Clear", bar);
  auto* btnSettings = BarButton("btnSettings", Glyph::Settings, "Settings", bar);
  btnEdit = BarButton("btnEdit", Glyph::Edit, "Edit", bar);
  auto* btnStart = BarButton("btnStart", Glyph::Start, "Start", bar);
  auto* btnExit = BarButton("btnExit", Glyph::Exit, "Exit", bar);
  connect(btnSettings, &QAbstractButton::clicked, this, &TfrmMain::btnSettingsClick);
  connect(btnStart, &QAbstractButton::clicked, this, &TfrmMain::btnStartClick);
  connect(btnAddDVD, &QAbstractButton::clicked, this, &TfrmMain::btnAddDVDClick);
  connect(btnClear, &QAbstractButton::clicked, this, &TfrmMain::btnClearClick);
  connect(btnEdit, &QAbstractButton::clicked, this, &TfrmMain::btnEditClick);
  connect(btnExit, &QAbstractButton::clicked, this, &QWidget::close);

  auto* layout = new QHBoxLayout(bar);
  layout->setContentsMargins(10, 8, 10, 0);
  for (QWidget* button : {btnAddDVD, btnClear, btnSettings, btnEdit, btnStart}) layout->addWidget(button);
  layout->addStretch();
  layout->addWidget(btnExit);
  return bar;
}

void TfrmMain::ConnectMenus() {
  TMainMenus& m = *menus_;
  connect(m.menubtnFile, &QToolButton::clicked, this,
          [&m] { TMainMenus::PopupUnder(m.skPopupMenuFile, m.menubtnFile, {}, {m.menubtnFile}); });
  connect(m.menubtnEdit, &QToolButton::clicked, this,
          [this, &m] { TMainMenus::PopupUnder(m.skPopupMenuEdit, m.menubtnEdit, {}, {m.menubtnEdit, btnEdit}); });
  connect(m.menubtnHelp, &QToolButton::clicked, this,
          [&m] { TMainMenus::PopupUnder(m.skPopupMenuHelp, m.menubtnHelp, {}, {m.menubtnHelp}); });
  connect(m.menubtnWebsite, &QToolButton::clicked, this,
          [] { OpenOnDesktop(QUrl(QString::fromStdString(GlobalObject->ProductUrl()))); });
  // Crop, Trim and the watermark dialog follow the selection.
  for (QAction* later : {m.mniCrop, m.mniTrim, m.mniVideoEffect}) later->setEnabled(false);
  connect(m.mniTrim, &QAction::triggered, this, &TfrmMain::mniTrimClick);
  connect(m.mniCrop, &QAction::triggered, this, &TfrmMain::mniCropClick);
  connect(m.mniVideoEffect, &QAction::triggered, this, &TfrmMain::mniVideoEffectClick);
  connect(m.menubtnPreference, &QToolButton::clicked, this, &TfrmMain::menubtnPreferenceClick);
  connect(m.mniSettings, &QAction::triggered, this, &TfrmMain::btnSettingsClick);

  connect(m.mniAdd, &QAction::triggered, this, &TfrmMain::btnAddDVDClick);
  connect(m.mniClear, &QAction::triggered, this, &TfrmMain::btnClearClick);
  connect(m.mniStart, &QAction::triggered, this, &TfrmMain::btnStartClick);
  connect(m.mniExit, &QAction::triggered, this, &QWidget::close);
  connect(m.mniHelp, &QAction::triggered, this,
          [] { OpenOnDesktop(QUrl(QString::fromStdString(GlobalObject->HelpUrl()))); });
  connect(m.mniSupport, &QAction::triggered, this,
          [] { OpenOnDesktop(QUrl(QString::fromStdString(GlobalObject->ProductUrl() + "support/"))); });
  connect(m.mniAbout, &QAction::triggered, this, &TfrmMain::mniAboutClick);
  connect(m.mniOpenImage, &QAction::triggered, this, &TfrmMain::mniOpenImageClick);
}

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
  // A first start gets the installed profile files before anything writes
  // the settings file; without them every video profile converts audio only.
  InstallProfileFiles(GlobalObject->FormatIniName(), ini);
  folderRow_->ShowFolder(CheckFolderSetting(ini, kOutPutDirKey));
  CheckFolderSetting(ini, kSnapOutPutDirKey);
  preview_->RestoreSound();
  GlobalObject->SetVersionText(TGlobalObject::FileVersionText());
  lblAppName->setText(QString::fromStdString(GlobalObject->AppName() + GlobalObject->VersionText()));
  picker_->Rebuild();
  streamChoice_->ClearChoice();
  dvdDrive_.clear();
  menus_->FillDriveMenu(ScanDvdDrives(extraDrives_), [this](const std::string& drive) { OpenDrive(drive); });
}

TlvFilesRecord* TfrmMain::SelectedRecord() const {
  TTitleRow* row = lvFiles->SelectedRow();
  return row ? &row->Record : nullptr;
}

void TfrmMain::btnClearClick() {
  if (lvFiles->RowCount() == 0) return;
  preview_->imgbtnStopClick();
  CCAVC->ClearTasks();
  lvFiles->ClearTitles();
  streamChoice_->ClearChoice();
}

void TfrmMain::btnAddDVDClick() {
  TMainMenus::PopupUnder(menus_->skPopupMenuAddDVD, btnAddDVD, {}, {btnAddDVD});
}

void TfrmMain::btnEditClick() {
  TMainMenus::PopupUnder(menus_->skPopupMenuEdit, btnEdit, QPoint(4, -5), {menus_->menubtnEdit, btnEdit});
}

void TfrmMain::mniVideoEffectClick() {
  TlvFilesRecord* rec = SelectedRecord();
  if (rec == nullptr) return;
  preview_->imgbtnStopClick();
  delete frmWaterMark;
  frmWaterMark = new TfrmWaterMark(*rec, dvdDrive_, GlobalObject->SettingsIniName(), this);
  frmWaterMark->exec();
}

void TfrmMain::btnStartClick() {
  preview_->imgbtnStopClick();
  TTitleListHost host(*lvFiles, [this] { folderRow_->btnOpenClick(); }, GlobalObject->SettingsIniName());
  const ProfileIniFiles ini{GlobalObject->FormatIniName(), GlobalObject->SettingsIniName()};
  const StartedConversion started = StartConversion(host.Rows(), dvdDrive_, ini, *CCAVC, messages_);
  if (!started.Ready) return;
  TaskRows = started.TaskRows;
  taskEffects_.Prepare(TaskRows, [this](int row) -> const TlvFilesRecord* {
    const TTitleRow* title = lvFiles->Row(row);
    return title ? &title->Record : nullptr;
  });
  if (!frmProgress) frmProgress = new TfrmProgress(this);
  frmProgress->Run(*CCAVC, host, TaskRows, messages_);
}

void TfrmMain::CCAVCCustomHook(PHookInfo AHookInfo) { taskEffects_.Apply(*AHookInfo); }

void TfrmMain::OpenDrive(const std::string& drive) {
  btnClearClick();
  if (!DVDPlugIn::IsDVDLibLoaded() && !DVDPlugIn::LoadDVDLib(DVDPlugIn::ProgramLibAVFolder())) return;
  dvdDrive_ = drive;
  for (const DiscTitle& title : ReadDiscTitles(dvdDrive_, messages_)) lvFiles->AddTitle(title);
  if (lvFiles->RowCount() == 0) return;
  lvFiles->setCurrentItem(lvFiles->Row(0));  // selects, focuses and shows its choice
  lvFiles->setFocus();
}

void TfrmMain::lvFilesSelectionChange() {
  const bool selected = SelectedRecord() != nullptr;
  streamChoice_->SetRowSelected(selected);
  for (QAction* item : {menus_->mniCrop, menus_->mniTrim, menus_->mniVideoEffect}) item->setEnabled(selected);
  lvFilesClick();
}

void TfrmMain::lvFilesClick() {
  if (const TlvFilesRecord* rec = SelectedRecord()) streamChoice_->ShowRecord(*rec);
  preview_->UpdateTitleButtons();
}

void TfrmMain::mniOpenImageClick() {
  // A folder is chosen through its VIDEO_TS.IFO, so one dialog serves both.
  const QString chosen = QFileDialog::getOpenFileName(this, "Open DVD image or folder", QString(),
                                                      "DVD image or folder (*.iso *.ISO VIDEO_TS.IFO video_ts.ifo)");
  if (chosen.isEmpty()) return;
  const QFileInfo file(chosen);
  if (file.suffix().compare("iso", Qt::CaseInsensitive) == 0)
    OpenDrive(file.absoluteFilePath().toStdString());
  else
    OpenDrive(QFileInfo(file.absolutePath()).absolutePath().toStdString());
}

void TfrmMain::btnSettingsClick() {
  // The dialog's picker starts with the groups this window's picker shows open.
  picker_->SaveGroupStates();
  if (!frmSettings)
    frmSettings = new TfrmSettings(GlobalObject->SettingsIniName(), GlobalObject->FormatIniName(), messages_, this);
  if (frmSettings->exec() == QDialog::Accepted) picker_->Rebuild();
}

void TfrmMain::menubtnPreferenceClick() {
  if (!frmPreference)
    frmPreference = new TfrmPreference(GlobalObject->SettingsIniName(), messages_,
                                       [this](const std::string& start) { return ChooseFolder(start); }, this);
  frmPreference->exec();
}

std::string TfrmMain::ChooseFolder(const std::string& start) {
  if (!fmDirectory) fmDirectory = new TfmDirectory(messages_, this);
  return fmDirectory->Choose(start);
}

void TfrmMain::mniTrimClick() {
  TTitleRow* row = lvFiles->SelectedRow();
  if (!row) return;
  preview_->imgbtnStopClick();
  if (!frmTrim) frmTrim = new TfrmTrim(messages_, GlobalObject->SettingsIniName(), this);
  if (frmTrim->Execute(row->Record, dvdDrive_))
    row->setText(colTrimLength, QString::number(frmTrim->StoredLengthSec()));
}

void TfrmMain::mniCropClick() {
  TTitleRow* row = lvFiles->SelectedRow();
  if (!row) return;
  preview_->imgbtnStopClick();
  {
    TfrmCrop frmCrop(GlobalObject->SettingsIniName(), this);
    frmCrop.LoadTitle(row->Record, dvdDrive_);
    frmCrop.exec();
  }
  // The dialog's own sound controls write the same settings keys.
  preview_->RestoreSound();
}

void TfrmMain::mniAboutClick() {
  if (!frmAbout) frmAbout = new TfrmAbout(*GlobalObject, this);
  frmAbout->exec();
}

void TfrmMain::closeEvent(QCloseEvent* event) {
  if (FormCloseQuery())
    event->accept();
  else
    event->ignore();
}

bool TfrmMain::FormCloseQuery() {
  if (!messages_.AskYesNo("Warning", "Do you really want to exit?")) return false;
  picker_->SaveGroupStates();
  preview_->imgbtnStopClick();
  CCAVC->Stop(true);
  GlobalObject.reset();
  return true;
}

}  // namespace kx
