#include "conversion/ui/main_thread_pump.h"

#include <QCoreApplication>

#include "engine/main_thread_queue.h"

namespace kx {
namespace {

bool g_installed = false;

}  // namespace

void InstallMainThreadPump() {
  if (g_installed) return;
  QCoreApplication* const app = QCoreApplication::instance();
  // Runs on the posting worker; the drain itself is queued to the main thread.
  MainThreadQueue::Instance().SetWakeUp([app] {
    QMetaObject::invokeMethod(app, [] { MainThreadQueue::Instance().Drain(); }, Qt::QueuedConnection);
  });
  QObject::connect(app, &QObject::destroyed, [] {
    MainThreadQueue::Instance().SetWakeUp({});
    g_installed = false;
  });
  g_installed = true;
}

}  // namespace kx
