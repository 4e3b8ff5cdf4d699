// The engine's own preview window: a task of an encoder with Preview on and
// no OnPreviewBitmap handler shows its pictures in a TPreviewWindow, with the
// picture's time as the title, until the user closes it.
#include "conversion/ui/preview_window.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QEventLoop>
#include <QRegularExpression>
#include <QTimer>
#include <memory>
#include <set>

#include "app/settings_store.h"
#include "conversion/conversion_start.h"
#include "conversion/ui/main_thread_pump.h"
#include "dvd/dvd_plug_in.h"
#include "profiles/profile_files.h"
#include "support/scripted_messages.h"
#include "support/test_env.h"

namespace kx {
namespace {

TEST(PreviewWindow, ShowsTheRunningTasksPicturesUntilClosed) {
  int argc = 1;
  char name[] = "preview_window_test";
  char* argv[] = {name, nullptr};
  QApplication app(argc, argv);
  InstallMainThreadPump();
  RegisterPreviewWindow();

  const std::string dir = test::ScratchDir("preview_window");
  const ProfileIniFiles ini{dir + "/" + kFormatIniFile, dir + "/" + kSettingsIniFile};
  InstallProfileFiles(ini.format, ini.settings);
  WriteString(ini.settings, kSettingsSection, "OutPutDir", dir + "/out");
  const std::string drive = test::DiscFolder("sample");
  ASSERT_TRUE(DVDPlugIn::LoadDVDLib(test::BuildDir() + "/LibAV"));
  ASSERT_GE(DVDPlugIn::EnumTitles(drive), 1);
  TDVDTitleInfo info;
  ASSERT_TRUE(DVDPlugIn::GetTitleInfo(0, info));
  TlvFilesRecord rec = NewTitleJob(0, info);
  const TitleRowRef rows[] = {{"DVD Title 1", true, &rec}};
  TFFEncoder encoder;
  test::ScriptedMessages messages;
  ASSERT_TRUE(StartConversion(rows, drive, ini, encoder, messages).Ready);

  QEventLoop loop;
  encoder.SetOnTerminate([&loop](TFFEncoder*, const TTerminateInfo& end) {
    if (end.TaskIndex < 0) QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
  });
  std::set<QString> captions;
  int shown = 0;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    for (QWidget* window : QApplication::topLevelWidgets()) {
      auto* preview = qobject_cast<TPreviewWindow*>(window);
      if (!preview || !preview->isVisible()) continue;
      captions.insert(preview->windowTitle());
      // Closed by the user after a few pictures: no window comes back.
      if (++shown == 5) preview->close();
    }
  });
  poll.start(5);
  encoder.StartTask(1);
  loop.exec();
  poll.stop();

  EXPECT_GE(shown, 5);
  EXPECT_LE(shown, 6);  // a poll may still see it in the tick it closes
  ASSERT_FALSE(captions.empty());
  for (const QString& caption : captions)
    EXPECT_TRUE(QRegularExpression("^\\d\\d:\\d\\d:\\d\\d\\.\\d\\d\\d$").match(caption).hasMatch()) << caption.toStdString();
  encoder.ClearTasks();
}

}  // namespace
}  // namespace kx
