#pragma once
#include <QApplication>
#include <string>
#include <vector>

#include "app/ui/qt_message_boxes.h"

namespace kx {

// The application object with the application-wide exception handler: every
// exception that leaves an event handler ends here, on the main thread, and
// is shown in a message box captioned with the application title (the
// display name). The event loop then goes on.
class TApplication : public QApplication {
 public:
  TApplication(int& argc, char** argv);

  bool notify(QObject* receiver, QEvent* event) override;

  // Where the handler's and the windows' messages go; null restores the
  // message boxes.
  void SetMessageBoxes(MessageBoxes* boxes) { boxes_ = boxes ? boxes : &defaultBoxes_; }
  MessageBoxes& Messages() { return *boxes_; }

 private:
  QtMessageBoxes defaultBoxes_;
  MessageBoxes* boxes_ = &defaultBoxes_;
};

// The running TApplication's messages; message boxes under any other
// application object.
MessageBoxes& AppMessages();

// The command line's arguments after the program name, as absolute paths:
// ISO images or VIDEO_TS folders the drive menu offers as extra drives.
std::vector<std::string> ExtraDrivesFrom(const QStringList& arguments);

// Program start: start-up picture, main window, message loop. Returns the exit code.
int RunApplication(int argc, char** argv);

}  // namespace kx
