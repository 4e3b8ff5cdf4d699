#include "app/ui/application.h"

#include <QFileInfo>

#include "app/exception_report.h"
#include "app/program_folder.h"
#include "app/ui/cover_window.h"
#include "app/ui/main_window.h"
#include "controls/skin.h"
#include "engine/main_thread_queue.h"

namespace kx {

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {
  // Workers' calls into this thread run from the event loop: each post
  // queues one drain.
  MainThreadQueue& calls = MainThreadQueue::Instance();
  calls.SetMainThread(std::this_thread::get_id());
  calls.SetWakeUp([this] { QMetaObject::invokeMethod(this, [] { MainThreadQueue::Instance().Drain(); }, Qt::QueuedConnection); });
}

bool TApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (const std::exception& error) {
    ReportException(*boxes_, applicationDisplayName().toStdString(), error);
  } catch (...) {
    ReportUnknownException(*boxes_, applicationDisplayName().toStdString());
  }
  return false;
}

MessageBoxes& AppMessages() {
  if (auto* app = dynamic_cast<TApplication*>(QCoreApplication::instance())) return app->Messages();
  static QtMessageBoxes boxes;
  return boxes;
}

std::vector<std::string> ExtraDrivesFrom(const QStringList& arguments) {
  std::vector<std::string> drives;
  for (qsizetype i = 1; i < arguments.size(); ++i)
    drives.push_back(QFileInfo(arguments[i]).absoluteFilePath().toStdString());
  return drives;
}

int RunApplication(int argc, char** argv) {
  TApplication app(argc, argv);
  ApplySkin(app, ProgramFolder());
  TfrmCover cover(ProgramFolder());
  cover.ShowAtOnce();
  TApplication::setApplicationDisplayName("Kestrix DVD Ripper");
  TfrmMain main(ExtraDrivesFrom(TApplication::arguments()));
  cover.WatchMainWindow(&main);
  main.show();
  return app.exec();
}

}  // namespace kx
